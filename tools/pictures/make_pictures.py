#!/usr/bin/env python3
"""Draw the three pictures of VelumarDichte and write them as Windows icons.

    python3 tools/pictures/make_pictures.py [OUTPUT_DIR]

writes, by default into src/res/ of this repository:

    tool.ico     42 x 42 pixels, 8 bits per pixel (256-colour palette):
                 a metal block with the Greek letter rho, the sign for
                 density; the tool picture and the window icon
    success.ico  32 x 32 pixels, 4 bits per pixel (16 colours):
                 a yellow smiling face
    error.ico    32 x 32 pixels, 4 bits per pixel (16 colours):
                 a yellow frowning face

Each file is a classic icon: an ICONDIR with one ICONDIRENTRY, followed by
a BITMAPINFOHEADER (height doubled), the colour table, the XOR bitmap and
the AND mask, both bottom-up with rows padded to 32 bits.  Pixels outside
the drawing are transparent (AND bit set, XOR index 0).

Only the Python standard library is used, and the output is byte-for-byte
the same on every run.
"""

import math
import os
import struct
import sys

# Every pixel is sampled SUB x SUB times; the colour seen most often wins.
# This gives smooth, tidy outlines without blending colours.
SUB = 4


# --------------------------------------------------------------------------
# Small geometry helpers (coordinates in pixels, y growing downwards)
# --------------------------------------------------------------------------

def in_polygon(x, y, pts):
    """Even-odd test of point (x, y) against polygon pts."""
    inside = False
    n = len(pts)
    for i in range(n):
        x1, y1 = pts[i]
        x2, y2 = pts[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            xc = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
            if x < xc:
                inside = not inside
    return inside


def dist_segment(x, y, a, b):
    """Distance of point (x, y) from segment a-b."""
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    len2 = dx * dx + dy * dy
    t = 0.0 if len2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / len2))
    px, py = ax + t * dx, ay + t * dy
    return math.hypot(x - px, y - py)


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def on_arc(x, y, cx, cy, radius, width, a_from, a_to):
    """Point lies on a thick circular arc with round caps.

    Angles in degrees, measured clockwise on screen from the positive
    x axis (y grows downwards), a_from < a_to.
    """
    ang = math.degrees(math.atan2(y - cy, x - cx)) % 360.0
    lo, hi = a_from % 360.0, a_to % 360.0
    within = lo <= ang <= hi if lo <= hi else (ang >= lo or ang <= hi)
    if within and abs(math.hypot(x - cx, y - cy) - radius) <= width / 2.0:
        return True
    for a in (a_from, a_to):
        ex = cx + radius * math.cos(math.radians(a))
        ey = cy + radius * math.sin(math.radians(a))
        if math.hypot(x - ex, y - ey) <= width / 2.0:
            return True
    return False


# --------------------------------------------------------------------------
# Rendering
# --------------------------------------------------------------------------

def render(size, scene):
    """Sample scene(x, y) -> colour name or None; return rows of names."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            counts = {}
            order = []
            for sy in range(SUB):
                for sx in range(SUB):
                    c = scene(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
                    if c not in counts:
                        counts[c] = 0
                        order.append(c)
                    counts[c] += 1
            if counts.get(None, 0) * 2 > SUB * SUB:
                row.append(None)
                continue
            best = None
            for c in order:  # first seen wins ties: deterministic
                if c is None:
                    continue
                if best is None or counts[c] > counts[best]:
                    best = c
            row.append(best)
        rows.append(row)
    return rows


# --------------------------------------------------------------------------
# Icon file writer
# --------------------------------------------------------------------------

def build_ico(size, bpp, palette, names, rows):
    """Return the bytes of a one-image .ico file.

    palette: list of (r, g, b), at most 2**bpp entries; entry 0 should be
    black, it is the XOR value of transparent pixels.
    names:   colour name -> palette index.
    rows:    size x size colour names, None for transparent, top row first.
    """
    ncolours = 1 << bpp
    if len(palette) > ncolours:
        raise ValueError("too many colours for %d bits per pixel" % bpp)
    pal = list(palette) + [(0, 0, 0)] * (ncolours - len(palette))

    xor_stride = ((size * bpp + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4

    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # DIBs are stored bottom-up
        idx = [0 if c is None else names[c] for c in row]
        line = bytearray(xor_stride)
        if bpp == 8:
            line[:size] = bytes(idx)
        elif bpp == 4:
            for x, v in enumerate(idx):
                if x % 2 == 0:
                    line[x // 2] |= v << 4
                else:
                    line[x // 2] |= v
        else:
            raise ValueError("unsupported depth %d" % bpp)
        xor += line

        mline = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is None:
                mline[x // 8] |= 0x80 >> (x % 8)
        mask += mline

    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in pal)
    image_size = len(xor) + len(mask)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,            # biSize
        size,          # biWidth
        size * 2,      # biHeight: XOR bitmap and AND mask together
        1,             # biPlanes
        bpp,           # biBitCount
        0,             # biCompression: BI_RGB
        image_size,    # biSizeImage
        0, 0,          # biXPelsPerMeter, biYPelsPerMeter
        0,             # biClrUsed: 0 = full table of 2**bpp entries
        0,             # biClrImportant
    )
    data = header + colour_table + bytes(xor) + bytes(mask)

    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack(
        "<BBBBHHII",
        size if size < 256 else 0,          # bWidth
        size if size < 256 else 0,          # bHeight
        ncolours if ncolours < 256 else 0,  # bColorCount: 0 means 256
        0,                                  # bReserved
        1,                                  # wPlanes
        bpp,                                # wBitCount
        len(data),                          # dwBytesInRes
        6 + 16,                             # dwImageOffset
    )
    return icondir + entry + data


# --------------------------------------------------------------------------
# The tool picture: a metal block with a rho
# --------------------------------------------------------------------------

TOOL_COLOURS = [
    ("transparent", (0, 0, 0)),
    ("outline", (52, 56, 64)),
    ("top1", (226, 230, 236)),
    ("top2", (206, 211, 218)),
    ("front1", (186, 192, 200)),
    ("front2", (170, 177, 186)),
    ("front3", (154, 162, 172)),
    ("front4", (140, 148, 159)),
    ("side1", (118, 126, 137)),
    ("side2", (100, 108, 120)),
    ("hilite", (248, 250, 252)),
    ("rho", (22, 70, 160)),
    ("rhoshade", (235, 240, 248)),
]

# Block corners: front face square, depth offset up and to the right.
_F = [(3.5, 14.5), (28.5, 14.5), (28.5, 38.5), (3.5, 38.5)]   # front
_D = (10.0, -10.0)                                            # depth


def _add(p, d):
    return (p[0] + d[0], p[1] + d[1])


_TOP = [_F[0], _F[1], _add(_F[1], _D), _add(_F[0], _D)]
_SIDE = [_F[1], _add(_F[1], _D), _add(_F[2], _D), _F[2]]
_SILHOUETTE = [_F[0], _add(_F[0], _D), _add(_F[1], _D), _add(_F[2], _D), _F[2], _F[3]]


def _rho(x, y):
    """Greek small rho on the front face: a round bowl and a stem,
    slanted a little like the letter in a formula."""
    cx, cy, r_out, r_in = 17.0, 24.0, 6.2, 3.4
    x = x + (y - cy) * 0.2
    d = math.hypot(x - cx, y - cy)
    if r_in <= d <= r_out:
        return True
    # stem down the left side of the bowl, slightly rounded at the foot
    left = cx - r_out
    if left <= x <= left + (r_out - r_in) and cy <= y <= 35.0:
        return True
    return False


def tool_scene(x, y):
    if not in_polygon(x, y, _SILHOUETTE):
        return None
    # outer outline
    n = len(_SILHOUETTE)
    for i in range(n):
        if dist_segment(x, y, _SILHOUETTE[i], _SILHOUETTE[(i + 1) % n]) < 0.75:
            return "outline"
    # inner edges: bright edge along the top of the front face and up the
    # near vertical corner, darker line between front and side
    if dist_segment(x, y, _F[0], _F[1]) < 0.5 or dist_segment(x, y, _F[1], _add(_F[1], _D)) < 0.6:
        return "hilite"
    if dist_segment(x, y, _F[1], _F[2]) < 0.5:
        return "outline"
    if in_polygon(x, y, _TOP):
        # lighter towards the front edge
        return "top1" if y > _F[0][1] - 5.0 else "top2"
    if in_polygon(x, y, _SIDE):
        # darker towards the bottom, following the slant of the face
        return "side1" if y + (x - _F[1][0]) < 26.0 else "side2"
    # front face, with an engraved rho
    if _rho(x, y):
        return "rho"
    if _rho(x - 0.9, y - 0.9):
        return "rhoshade"
    t = (y - _F[0][1]) / (_F[3][1] - _F[0][1])
    return ("front1", "front2", "front3", "front4")[min(3, int(t * 4))]


# --------------------------------------------------------------------------
# The faces
# --------------------------------------------------------------------------

# The standard 16-colour Windows palette.
VGA16 = [
    ("black", (0, 0, 0)),
    ("maroon", (128, 0, 0)),
    ("green", (0, 128, 0)),
    ("olive", (128, 128, 0)),
    ("navy", (0, 0, 128)),
    ("purple", (128, 0, 128)),
    ("teal", (0, 128, 128)),
    ("silver", (192, 192, 192)),
    ("gray", (128, 128, 128)),
    ("red", (255, 0, 0)),
    ("lime", (0, 255, 0)),
    ("yellow", (255, 255, 0)),
    ("blue", (0, 0, 255)),
    ("fuchsia", (255, 0, 255)),
    ("aqua", (0, 255, 255)),
    ("white", (255, 255, 255)),
]

_FC = 16.0      # centre of the face
_FR = 15.0      # outer radius


def _face_base(x, y):
    d = math.hypot(x - _FC, y - _FC)
    if d > _FR:
        return None
    if d > _FR - 1.3:
        return "black"
    # shadow crescent at the lower right
    if math.hypot(x - _FC + 1.6, y - _FC + 1.6) > _FR - 0.9:
        return "olive"
    return "yellow"


def _eyes(x, y):
    return in_ellipse(x, y, 11.5, 12.5, 1.9, 3.0) or in_ellipse(x, y, 20.5, 12.5, 1.9, 3.0)


def success_scene(x, y):
    base = _face_base(x, y)
    if base is None or base == "black":
        return base
    if _eyes(x, y):
        return "black"
    # smile: lower arc
    if on_arc(x, y, 16.0, 15.5, 8.5, 2.2, 30.0, 150.0):
        return "black"
    return base


def error_scene(x, y):
    base = _face_base(x, y)
    if base is None or base == "black":
        return base
    if _eyes(x, y):
        return "black"
    # frown: upper arc of a circle below the face centre
    if on_arc(x, y, 16.0, 31.0, 8.5, 2.2, 220.0, 320.0):
        return "black"
    # brows drawn together
    if dist_segment(x, y, (8.5, 7.0), (13.5, 8.5)) < 0.9:
        return "black"
    if dist_segment(x, y, (23.5, 7.0), (18.5, 8.5)) < 0.9:
        return "black"
    return base


# --------------------------------------------------------------------------

def make(size, bpp, colours, scene):
    names = {name: i for i, (name, _) in enumerate(colours)}
    palette = [rgb for _, rgb in colours]
    rows = render(size, scene)
    return build_ico(size, bpp, palette, names, rows)


def main(argv):
    if len(argv) > 2:
        sys.stderr.write(__doc__)
        return 2
    if len(argv) == 2:
        out_dir = argv[1]
    else:
        repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
        out_dir = os.path.join(repo, "src", "res")
    os.makedirs(out_dir, exist_ok=True)

    pictures = [
        ("tool.ico", make(42, 8, TOOL_COLOURS, tool_scene)),
        ("success.ico", make(32, 4, VGA16, success_scene)),
        ("error.ico", make(32, 4, VGA16, error_scene)),
    ]
    for name, data in pictures:
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(data)
        print("%s: %d bytes" % (path, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
