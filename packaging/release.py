#!/usr/bin/env python3
"""Helpers of the release build (scripts/package, packaging/make-msi).

  release.py guide SOURCE.md OUTPUT.html --lang de --pictures Bilder --version 1.1.6
      Renders a user guide from Markdown into one complete HTML page (packaging/guide.html),
      with the version being released wherever the guide says @VERSION@.
      Pictures that the guide shows from beside its Markdown file are looked up in the
      folder PICTURES beside the page; a link to anything but the web or an anchor of the
      page itself is refused, since the package holds no other documents.
  release.py zip FOLDER OUTPUT.zip
      Packs every file under FOLDER, in byte order of their paths, with the time of
      SOURCE_DATE_EPOCH and fixed attributes: the same files always give the same archive.
  release.py product-code VERSION
      The MSI product code of a version: the same for every build of that version, another
      one for each version.
  release.py package-code MSI
      A package code made from the contents of MSI (built with a placeholder code), so two
      different packages never share one and a rebuild of the same one gets the same.
  release.py check-program EXE
      What a released VelumarDichte.exe must be, read from its PE headers: it imports only
      DLLs that come with Windows, it is hardened (ASLR with high entropy, DEP, aware of
      Terminal Server), its link time is 0, and it is smaller than 1 MB. Prints what it read;
      exits non-zero naming each fault.

Needs Debian's python3-markdown-it for "guide". Exits non-zero with a message on any fault.
"""

import argparse
import datetime
import hashlib
import html
import os
import re
import string
import struct
import sys
import uuid
import zipfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
TEMPLATE = HERE / "guide.html"

# Namespace of the product codes; never change it, or every version gets a new code.
PRODUCT_CODE_NAMESPACE = uuid.UUID("8f3c1e52-6a0d-4b9e-a1f7-3d2c5b8e9a60")


# Windows' own DLLs (lower case); anything else would have to be shipped beside the program.
WINDOWS_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "ole32.dll",
    "oleaut32.dll", "advapi32.dll", "shell32.dll", "shlwapi.dll", "uxtheme.dll", "version.dll",
    "msvcrt.dll",
}
# IMAGE_DLLCHARACTERISTICS_* the release must carry.
HARDENING = {
    "HIGH_ENTROPY_VA": 0x0020,
    "DYNAMIC_BASE": 0x0040,
    "NX_COMPAT": 0x0100,
    "TERMINAL_SERVER_AWARE": 0x8000,
}
PROGRAM_SIZE_LIMIT = 1024 * 1024


class ReleaseError(Exception):
    pass


def guide(source: Path, output: Path, lang: str, pictures: str, version: str) -> None:
    try:
        from markdown_it import MarkdownIt
    except ImportError as error:
        raise ReleaseError(f"cannot render {source}: {error} (Debian package python3-markdown-it)")

    text = source.read_text(encoding="utf-8").replace("@VERSION@", version)
    heading = re.search(r"^# +(.+?) *$", text, re.MULTILINE)
    if not heading:
        raise ReleaseError(f"{source} has no first-level heading to name the page")
    title = re.sub(r"[*_`]", "", heading.group(1))

    # CommonMark, as the guides are written, with tables; raw HTML in a guide stays text.
    md = MarkdownIt("commonmark", {"html": False}).enable("table")
    tokens = md.parse(text)
    problems = []
    for token in tokens:
        for child in token.children or []:
            if child.type == "image":
                src = str(child.attrGet("src") or "")
                if re.match(r"^[a-z][a-z0-9+.-]*:", src, re.IGNORECASE) or src.startswith("/"):
                    problems.append(f"picture {src!r} is not a file beside the guide")
                    continue
                picture = (source.parent / src).resolve()
                if not picture.is_file():
                    problems.append(f"picture {src!r} not found ({picture})")
                    continue
                child.attrSet("src", f"{pictures}/{picture.name}")
            elif child.type == "link_open":
                href = str(child.attrGet("href") or "")
                if not (href.startswith("#") or re.match(r"^(https?|mailto):", href, re.IGNORECASE)):
                    problems.append(f"link {href!r} leads to a file the package does not hold")
    if problems:
        raise ReleaseError(f"{source}: " + "; ".join(problems))
    body = md.renderer.render(tokens, md.options, {})
    if re.search(r"^\|?[ :]*-{3,}[ :]*\|", text, re.MULTILINE) and "<table>" not in body:
        raise ReleaseError(f"{source}: its tables were not rendered")

    page = string.Template(TEMPLATE.read_text(encoding="utf-8")).substitute(
        lang=html.escape(lang, quote=True), title=html.escape(title, quote=False), body=body
    )
    output.parent.mkdir(parents=True, exist_ok=True)
    output.write_bytes(page.encode("utf-8"))


def source_date() -> tuple:
    value = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not value.isdigit():
        raise ReleaseError("SOURCE_DATE_EPOCH is not set to a time in seconds")
    moment = datetime.datetime.fromtimestamp(int(value), tz=datetime.timezone.utc)
    # The archive format cannot hold times before 1980.
    moment = max(moment, datetime.datetime(1980, 1, 1, tzinfo=datetime.timezone.utc))
    return moment.timetuple()[:6]


def make_zip(folder: Path, output: Path) -> None:
    if not folder.is_dir():
        raise ReleaseError(f"no folder {folder} to pack")
    date_time = source_date()
    files = sorted(
        (path for path in folder.rglob("*") if path.is_file() or path.is_symlink()),
        key=lambda path: path.relative_to(folder).as_posix().encode("utf-8"),
    )
    if not files:
        raise ReleaseError(f"{folder} holds no files")
    for path in files:
        if path.is_symlink():
            raise ReleaseError(f"{path} is a symbolic link; the archive takes only files")
    temporary = output.with_name(output.name + ".part")
    with zipfile.ZipFile(temporary, "w") as archive:
        for path in files:
            info = zipfile.ZipInfo(path.relative_to(folder).as_posix(), date_time=date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # attributes below are Unix modes; Windows ignores them
            mode = 0o755 if path.suffix.lower() == ".exe" else 0o644
            info.external_attr = (0o100000 | mode) << 16
            archive.writestr(info, path.read_bytes(), compresslevel=9)
    temporary.replace(output)


def product_code(version: str) -> str:
    if not re.fullmatch(r"\d+\.\d+\.\d+", version):
        raise ReleaseError(f"version {version!r} is not major.minor.patch")
    return str(uuid.uuid5(PRODUCT_CODE_NAMESPACE, f"VelumarDichte {version} win64")).upper()


def package_code(msi: Path) -> str:
    digest = hashlib.sha256(msi.read_bytes()).digest()
    return str(uuid.UUID(bytes=digest[:16], version=4)).upper()


def read_pe(data: bytes) -> tuple:
    """The link time, the DLL characteristics and the imported DLLs of a 64-bit PE file."""
    try:
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header : header + 4] != b"PE\0\0":
            raise ReleaseError("not a PE file")
        sections, stamp = struct.unpack_from("<HI", data, header + 6)
        optional_size = struct.unpack_from("<H", data, header + 20)[0]
        optional = header + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x20B:
            raise ReleaseError("not a 64-bit (PE32+) program")
        characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        import_rva = struct.unpack_from("<I", data, optional + 112 + 8)[0]
        table = [
            struct.unpack_from("<II4xI", data, optional + optional_size + 40 * i + 8)
            for i in range(sections)
        ]  # virtual size, virtual address, file offset of each section

        def offset(rva: int) -> int:
            for size, address, raw in table:
                if address <= rva < address + size:
                    return rva - address + raw
            raise ReleaseError(f"address {rva:#x} lies in no section")

        imports = []
        descriptor = offset(import_rva) if import_rva else None
        while descriptor is not None:
            name_rva = struct.unpack_from("<I", data, descriptor + 12)[0]
            if name_rva == 0:
                break
            name = offset(name_rva)
            imports.append(data[name : data.index(b"\0", name)].decode("ascii"))
            descriptor += 20
    except (struct.error, ValueError, UnicodeDecodeError) as error:
        raise ReleaseError(f"unreadable PE headers: {error}")
    return stamp, characteristics, imports


def check_program(exe: Path) -> None:
    data = exe.read_bytes()
    stamp, characteristics, imports = read_pe(data)
    flags = [name for name, bit in HARDENING.items() if characteristics & bit]
    print(f"imports {' '.join(imports)}")
    print(f"DllCharacteristics {characteristics:#06x}: {' '.join(flags)}; link time {stamp}")
    print(f"{len(data)} bytes ({len(data) // 1024} KiB)")
    faults = []
    if not imports:
        faults.append("no import table")
    foreign = [name for name in imports if name.lower() not in WINDOWS_DLLS]
    if foreign:
        faults.append(f"needs DLLs that Windows does not provide: {' '.join(foreign)}")
    missing = [name for name in HARDENING if name not in flags]
    if missing:
        faults.append(f"lacks {' '.join(missing)}")
    if stamp != 0:
        faults.append(f"carries a link time stamp ({stamp})")
    if len(data) >= PROGRAM_SIZE_LIMIT:
        faults.append(f"is {len(data)} bytes, the limit is {PROGRAM_SIZE_LIMIT}")
    if faults:
        raise ReleaseError(f"{exe}: {'; '.join(faults)}")


def main(argv) -> int:
    parser = argparse.ArgumentParser(prog="release.py", description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    command = commands.add_parser("guide")
    command.add_argument("source", type=Path)
    command.add_argument("output", type=Path)
    command.add_argument("--lang", required=True)
    command.add_argument("--pictures", required=True)
    command.add_argument("--version", required=True)
    command = commands.add_parser("zip")
    command.add_argument("folder", type=Path)
    command.add_argument("output", type=Path)
    command = commands.add_parser("product-code")
    command.add_argument("version")
    command = commands.add_parser("package-code")
    command.add_argument("msi", type=Path)
    command = commands.add_parser("check-program")
    command.add_argument("exe", type=Path)
    args = parser.parse_args(argv)
    try:
        if args.command == "guide":
            guide(args.source, args.output, args.lang, args.pictures, args.version)
        elif args.command == "zip":
            make_zip(args.folder, args.output)
        elif args.command == "check-program":
            check_program(args.exe)
        elif args.command == "product-code":
            print("{" + product_code(args.version) + "}")
        else:
            print("{" + package_code(args.msi) + "}")
    except (ReleaseError, OSError) as error:
        print(f"release.py {args.command}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
