#!/usr/bin/env python3
"""Writes the seed inputs of fuzz_startup into fuzz/corpus/startup/.

An input is: two bytes (little endian) with the length of the velu.ini part, a flags byte, a
clicks byte, the bytes of velu.ini, the bytes of default.ini (see fuzz_startup.cpp).
"""

import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
EXAMPLES = HERE.parent / "examples"
OUT = HERE / "corpus" / "startup"

COMMA, POINT, NO_VELU, NO_DEFAULT = 0, 1, 2, 4


def combine(velu: bytes, default: bytes, flags: int = COMMA, clicks: int = 0) -> bytes:
    if len(velu) > 0xFFFF:
        raise ValueError("velu.ini part too long")
    return struct.pack("<HBB", len(velu), flags, clicks) + velu + default


def main() -> None:
    velu = (EXAMPLES / "velu.ini").read_bytes()
    default = (EXAMPLES / "default.ini").read_bytes()
    english = (EXAMPLES / "default-en.ini").read_bytes()
    small = b"[Dichtewerte]\r\nAnzahl=1\r\ndefault=1\r\nName0=Blei\r\nWert0=11340\r\nName1=Kork\r\nWert1=0,24\r\n"
    seeds = {
        "examples_comma": combine(velu, default),
        "examples_point": combine(velu, default, POINT, 0x0B),
        "examples_english": combine(velu, english, COMMA, 0x35),
        "no_files": combine(b"", b"", NO_VELU | NO_DEFAULT),
        "no_default_ini": combine(velu, b"", NO_DEFAULT, 0x42),
        "no_velu_ini": combine(b"", default, NO_VELU, 0x81),
        "small_catalogue": combine(small, default, COMMA, 0x12),
        "small_catalogue_point": combine(small.replace(b"0,24", b"0.24"), default, POINT | 0x08),
        "assembly_failure": combine(small, default, COMMA | 0x08 | 0x40, 0x03),
        "material_on_the_part": combine(small, default, COMMA | 0x80, 0x0C),
        "material_and_a_failure": combine(small, english, POINT | 0x80 | 0x40, 0x07),
        "unreachable": combine(small, default, COMMA | 0x20, 0x04),
        "overflow_anzahl": combine(b"[Dichtewerte]\nAnzahl=40000\n", default),
        "negative_anzahl": combine(b"[Dichtewerte]\nAnzahl=-2\n", default),
        "bad_density": combine(small.replace(b"11340", b"11.340"), default),
        "default_out_of_range": combine(small.replace(b"default=1", b"default=7"), default),
        "exponent_density": combine(small.replace(b"0,24", b"2,4E-1").replace(b"11340", b"1E+300"), default),
        "utf8_bom": combine(b"\xef\xbb\xbf" + small.replace(b"Kork", "K\u00f6rk".encode()), default),
        "utf16le": combine(("\ufeff" + small.decode()).encode("utf-16-le"), default),
        "short_lists": combine(small, b"[frmVelumarDichte.cmbAnwendenAuf]\r\nAnzahlListe=1\r\nAddItem0=nur\r\nDefault=0\r\n[messages]\r\nAnzahlInfo=2\r\nInfo0=Titel\r\n"),
        "many_messages": combine(small, b"[messages]\nAnzahlInfo=12\nInfo0=T\nInfo11=x\n"),
        "largest_density": combine(b"[Dichtewerte]\nAnzahl=1\nName0=A\nWert0=1,7976931348623157E308\nName1=B\nWert1=4,9E-324\n", default),
        "quoted_values": combine(b"[Dichtewerte]\nAnzahl=0\nName0=\"  Sand  \"\nWert0='1600'\n", default),
    }
    OUT.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (OUT / name).write_bytes(data)


if __name__ == "__main__":
    main()
