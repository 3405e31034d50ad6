#!/usr/bin/env python3
"""Writes the profile corpus: small, awkward INI files whose bytes are exactly as intended.

profile_oracle_test.exe reads every file in this folder (not in intended/) with our profile
reader and with the platform's profile functions and requires the same answers. The files in
intended/ are those the program reads differently on purpose (byte-order marks, UTF-8 without
a mark); their expected answers are written in the test.

Run from anywhere: python3 make_corpus.py. It rewrites every file it knows and leaves others.
"""

from pathlib import Path

HERE = Path(__file__).resolve().parent
INTENDED = HERE / "intended"

FILES: dict[str, bytes] = {}
INTENDED_FILES: dict[str, bytes] = {}


def ansi(text: str) -> bytes:
    """The text in Windows-1252, as the program's own files are written."""
    return text.encode("cp1252")


def lines(*rows: str, end: str = "\r\n", final: bool = True) -> bytes:
    body = end.join(rows)
    if final:
        body += end
    return ansi(body)


def add(name: str, data: bytes) -> None:
    assert name not in FILES, name
    FILES[name] = data


def add_intended(name: str, data: bytes) -> None:
    assert name not in INTENDED_FILES, name
    INTENDED_FILES[name] = data


# --- Blanks and tabs -------------------------------------------------------------------------

add("blanks_around.ini", lines(
    "[Werte]",
    "  Eins  =  1  ",
    "\tZwei\t=\tzwei\t",
    "Drei = a  b  c ",
    "Vier=   ",
    "Fuenf    =x",
    "Sechs=    y",
    " Sieben Acht = mit Blank im Namen",
    "Neun= \t innen\t blanks \t ",
))

add("bracket_blanks.ini", lines(
    "[ Dichtewerte ]",
    "Anzahl=2",
    "[\tTabulator\t]",
    "Name0=Stahl",
    "   [Eingerueckt]   ",
    "Wert0=7,85",
    "[Zwei  Worte]",
    "Name1=Kupfer",
    "[ Links]",
    "a=links",
    "[Rechts ]",
    "b=rechts",
))

add("tabs.ini", lines(
    "\t[Tab]\t",
    "\tkey\t=\tvalue\twith\ttabs\t",
    "\t\t",
    "other\t\t=\t\t",
    "\tlast=\t\"\tquoted tab\t\"\t",
))

# --- Quotes ----------------------------------------------------------------------------------

add("quotes.ini", lines(
    "[Quotes]",
    "double=\"x\"",
    "single='x'",
    "mixed1=\"x'",
    "mixed2='x\"",
    "lone_double=\"",
    "lone_single='",
    "empty_double=\"\"",
    "empty_single=''",
    "three=\"\"\"",
    "inside=a\"b\"c",
    "words=ein \"zitiertes\" Wort",
    "padded=  \"  innen blanks  \"  ",
    "open=\"nur vorne",
    "close=nur hinten\"",
    "comment=\"x\" ; kein Kommentar",
    "nested=\"'x'\"",
    "number=\"42\"",
    "space_quote=\" \"",
))

add("quotes_long.ini", lines(
    "[Lang]",
    "q253=\"" + "a" * 253 + "\"",
    "q254=\"" + "b" * 254 + "\"",
    "q255=\"" + "c" * 255 + "\"",
    "q256=\"" + "d" * 256 + "\"",
    "q257=\"" + "e" * 257 + "\"",
    "q300='" + ("0123456789" * 30) + "'",
    "open300=\"" + "f" * 300,
))

# --- Comments --------------------------------------------------------------------------------

add("comments.ini", lines(
    "; Kommentar am Dateianfang",
    "[Kommentare]",
    ";key=versteckt",
    "   ; eingerueckter Kommentar",
    "# Raute",
    "#hash=raute",
    "inline=wert ; Kommentar",
    "inline2=wert;Kommentar",
    "semi=;",
    "hash=#",
    "a;b=semikolon im Namen",
    "\t;tab=kommentar",
))

add("only_comments.ini", lines(
    "; nur Kommentare",
    ";[Kein]",
    "; key=value",
    "   ; noch einer",
))

add("only_blank_lines.ini", b"\r\n  \r\n\t\r\n\r\n \t \r\n")

add("empty.ini", b"")

# --- Duplicates and case ---------------------------------------------------------------------

add("duplicates.ini", lines(
    "[A]",
    "k=eins",
    "K=zwei",
    "k=drei",
    "bare",
    "bare=mit Wert",
    "[B]",
    "k=b",
    "[A]",
    "k=zweiter Abschnitt",
    "nur2=nur im zweiten A",
    "[a]",
    "klein=kleines a",
))

add("case.ini", lines(
    "[MiXeD]",
    "KeY=mixed",
    "[Gr\u00f6\u00dfe]",
    "\u00c4nderung=gross",
    "\u00e4nderung=klein",
    "[\u0160ef]",
    "\u017dahl=1",
    "[\u00ff]",
    "\u00fe=thorn",
    "[\u00c6\u00d8]",
    "\u00e6\u00f8=nordisch",
))

# --- Lines without '=' and empty values ------------------------------------------------------

add("no_equals.ini", lines(
    "[Zeilen]",
    "nurname",
    "=wert ohne Namen",
    "  =  zweiter ohne Namen",
    "==",
    "k==v",
    "m = = v",
    "name mit blanks",
    "leer=",
    "gleich=a=b=c",
    "url=http://x?y=z",
))

add("empty_values.ini", lines(
    "[Leer]",
    "a=",
    "b = ",
    "c=\t",
    "d=\"\"",
    "e=''",
    "Anzahl=",
    "[Leer2]",
))

# --- Long values -----------------------------------------------------------------------------

add("long_values.ini", lines(
    "[Lang]",
    "v254=" + "a" * 254,
    "v255=" + "b" * 255,
    "v256=" + "c" * 256,
    "v300=" + ("Stahl " * 50),
    "tail255=" + "d" * 254 + "  ",
    "blank255=" + "e" * 254 + " x",
    "umlaut256=" + "\u00fc" * 256,
))

# --- Integers --------------------------------------------------------------------------------

add("integers.ini", lines(
    "[Zahlen]",
    "big=40000",
    "neg=-5",
    "lead= 12abc",
    "abc=abc",
    "hex=0x10",
    "plus=+7",
    "negzero=-0",
    "mixed=42A9",
    "empty=",
    "two32=4294967296",
    "eleven=99999999999",
    "below=-2147483649",
    "forty=" + "1234567890" * 4,
    "max16=32767",
    "over16=32768",
    "min16=-32768",
    "under16=-32769",
    "u16=65535",
    "u16p1=65536",
    "max32=2147483647",
    "over32=2147483648",
    "u32=4294967295",
    "u32p1=4294967297",
    "zero=0",
    "lead0=007",
    "decimal=7,85",
    "point=1.5",
    "exp=1e3",
))

add("integer_prefixes.ini", lines(
    "[Praefixe]",
    "hexlow=0x1f",
    "hexup=0X1F",
    "hexmax=0xffffffff",
    "hexbig=0x1FFFFFFFF",
    "hexneg=-0x10",
    "hexbad=0xG",
    "hexonly=0x",
    "bin=0b101",
    "binbad=0b102",
    "oct=0o17",
    "octbad=0o78",
    "plusminus=+-5",
    "minusplus=-+5",
    "signblank=- 5",
    "twosigns=--5",
    "quoted=\"42\"",
    "squoted='-7'",
    "qblank=\" 12\"",
    "qtab=\"\t13\"",
    "qhex=\"0x20\"",
    "lone=\"",
    "letters=zz",
    "thirty=" + "1" * 29 + "9",
    "quoted29=\"" + "2" * 28 + "\"",
    "quoted30=\"" + "3" * 29 + "\"",
))

# --- Line ends -------------------------------------------------------------------------------

_ENDINGS_ROWS = ("[Zeilenende]", "eins=1", "zwei=zwei", "drei = 3 ", "[Zweiter]", "vier=4")
add("crlf.ini", lines(*_ENDINGS_ROWS, end="\r\n"))
add("lf.ini", lines(*_ENDINGS_ROWS, end="\n"))
add("cr_only.ini", lines(*_ENDINGS_ROWS, end="\r"))
add("cr_only_no_final.ini", lines(*_ENDINGS_ROWS, end="\r", final=False))
add("no_final_newline.ini", lines(*_ENDINGS_ROWS, end="\r\n", final=False))
add("lf_cr.ini", lines(*_ENDINGS_ROWS, end="\n\r"))
add("cr_cr_lf.ini", lines(*_ENDINGS_ROWS, end="\r\r\n"))
# CR-only lines up to a single LF further down: everything before the LF is one line.
add("mixed_endings.ini", ansi(
    "[Gemischt]\r\na=1\rb=2\r\nc=3\nd=4\r[Cr]\re=5\nf=6\r\n[Lf]\ng=7\n"))
add("mixed_cr_tail.ini", ansi("[Kopf]\r\nk=1\r\n[Cr]\rx=1\ry=2\r"))

# --- Section headings ------------------------------------------------------------------------

add("keys_before_section.ini", lines(
    "vorher=vor dem ersten Abschnitt",
    "Anzahl=3",
    "[Danach]",
    "Anzahl=4",
))

add("heading_no_bracket.ini", lines(
    "[Offen",
    "key=value",
    "[Gut]",
    "[Kaputt",
    "Anzahl=5",
    "[Kaputt=1",
    "[Ende]",
    "x=y",
))

add("heading_junk.ini", lines(
    "[a]b",
    "k1=aus a",
    "[c]d]",
    "k2=aus c]d",
    "[e] ; Kommentar",
    "k3=aus e",
    "[]",
    "k4=aus leerem Namen",
    "[ ]",
    "k5=aus blank",
    "[[doppelt]]",
    "k6=doppelt",
    "[f]k=v",
    "k7=aus f",
    "[g=h]",
    "k8=gleich im Namen",
    "x[1]=index",
))

add("single_heading.ini", ansi("[Nur]"))

add("odd_lines.ini", lines(
    "[Odd]",
    "[",
    "]",
    "=",
    " = ",
    ";",
    "#",
    "]=schliessend",
    "Odd=Name wie der Abschnitt",
    "\x1a=steuer",
    "\"quoted key\"=q",
    "[Odd]]",
    "k=doppelte Klammer",
))

# A heading without a name first: its keys are behind the nameless section of the file start.
add("empty_heading_first.ini", lines(
    "[]",
    "k=hinter leerem Namen",
    "=leerer Name",
    "=zweiter leerer Name",
    "[Danach]",
    "k=danach",
))

add("catalogue.ini", lines(
    "[Dichtewerte]",
    "Anzahl=6",
    "default=2",
    "Name0=Stahl",
    "Wert0=7,85",
    "Name1=Aluminium",
    "Wert1=2,70",
    "Name2=Kupfer",
    "Wert2=8,96",
    "Name3=Messing (CuZn37)",
    "Wert3=8,44",
    "Name4=Edelstahl 1.4301",
    "Wert4=7,90",
    "Name5=Holz, Eiche",
    "Wert5=0,67",
))

add("catalogue_ansi.ini", lines(
    "; Dichtewerte in g/cm\u00b3",
    "[Dichtewerte]",
    "Anzahl = 4",
    "default = 0",
    "Name0 = Stahl \u00fc",
    "Wert0 = 7,85",
    "Name1 = Wei\u00dfblech",
    "Wert1 = 7,80",
    "Name2 = Bronze \u00bbCuSn8\u00ab",
    "Wert2 = 8,80",
    "Name3 = Glas \u2013 Kalk-Natron",
    "Wert3 = 2,50",
))

add("catalogue_large.ini", ansi(
    "[Dichtewerte]\r\nAnzahl=200\r\ndefault=17\r\n"
    + "".join(f"Name{i}=Werkstoff {i}\r\nWert{i}={i // 10},{i % 100:02d}\r\n" for i in range(200))
))

add("interface_texts.ini", lines(
    "[messages]",
    "AnzahlInfo=3",
    "Info0=Dichte w\u00e4hlen und Volumen eingeben.",
    "Info1=Das Gewicht erscheint in Kilogramm.",
    "Info2=\"  Mit Blanks am Rand  \"",
    "[frmVelumarDichte]",
    "Caption=VelumarDichte",
    "[frmVelumarDichte.cmdExit]",
    "Caption=&Beenden",
    "ToolTipText=Programm beenden",
    "[frmVelumarDichte.cmdCalc]",
    "Caption=&Berechnen",
    "ToolTipText=Gewicht berechnen (Eingabe)",
))

add("many_sections.ini", ansi("".join(f"[S{i}]\r\nk=v{i}\r\n" for i in range(120))))

# --- ANSI text -------------------------------------------------------------------------------

add("ansi_umlauts.ini", lines(
    "[Werkstoffe]",
    "Name0=Stahl \u00fc",
    "Name1=\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df",
    "Preis=\u20ac 12",
    "Zitat=\u201eGut\u201c",
    "Gr\u00f6\u00dfe=gro\u00df",
    "Grad=20 \u00b0C",
))

# Bytes outside the text helpers: the undefined 0x81, NBSP (0xA0), the ellipsis (0x85) and
# control white space around names and values.
add("whitespace_kinds.ini",
    b"[Raum]\r\n"
    b"nbsp=\xa0wert\xa0\r\n"
    b"\xa0nbspkey=1\r\n"
    b"vt=\x0bwert\x0b\r\n"
    b"ff=\x0cwert\x0c\r\n"
    b"fs=\x1cwert\x1f\r\n"
    b"ellipsis=\x85wert\x85\r\n"
    b"undef=\x81wert\x81\r\n"
    b"del=\x7fwert\x7f\r\n"
    b"\x0b[Vt]\x0b\r\n"
    b"k=vt\r\n")

add("ctrl_z.ini", b"[Ende]\r\nk=v\r\nz=\x1awert\x1a\r\ninnen=a\x1ab\r\n\x1a")
add("ctrl_z_only_tail.ini", b"[Ende]\r\nk=v\x1a")

add("nul_byte.ini", b"[Nul]\r\nk=ab\x00cd\r\nn\x00x=1\r\nt=x \x00 y\r\n[N\x00ach]\r\nq=2\r\n")

add("equals_and_names.ini", lines(
    "[Namen]",
    "Punkt.Name=punkt",
    "Bindestrich-Name=strich",
    "Klammer(1)=klammer",
    "Eckig]=eckig",
    "  a b  =  c d  ",
    "!=ausruf",
    "\u00fcber=umlaut im Namen",
))

add("heading_case_dupes.ini", lines(
    "[Dichtewerte]",
    "Anzahl=1",
    "[DICHTEWERTE]",
    "Anzahl=2",
    "Name0=nur gross",
    "[dichtewerte]",
    "Wert0=nur klein",
))

add("blank_value_keys.ini", lines(
    "[Leerzeichen]",
    "innen=a     b",
    "quote_blanks=\"   \"",
    "quote_tab='\t'",
    "trail=wert     ",
    "lead=     wert",
))

# --- Files the program reads differently on purpose -------------------------------------------

_INTENDED_TEXT = (
    "[Dichtewerte]\r\n"
    "Anzahl=2\r\n"
    "Name0=Stahl \u00fc\r\n"
    "Wert0=7,85\r\n"
    "Name1=\u039a\u03c5\u03c0\u03c1\u03bf\u03c2 \u20ac\r\n"
    "[Gr\u00f6\u00dfe]\r\n"
    "\u00e4=\"  zitiert  \"\r\n"
)
add_intended("utf8_bom.ini", b"\xef\xbb\xbf" + _INTENDED_TEXT.encode("utf-8"))
add_intended("utf16le_bom.ini", b"\xff\xfe" + _INTENDED_TEXT.encode("utf-16-le"))
add_intended("utf16be_bom.ini", b"\xfe\xff" + _INTENDED_TEXT.encode("utf-16-be"))
add_intended("utf8_no_bom.ini", _INTENDED_TEXT.encode("utf-8"))
add_intended("utf16le_bom_cr.ini", b"\xff\xfe" + "[Cr]\rk=\u00fc\rn=2".encode("utf-16-le"))
add_intended("utf8_bom_only.ini", b"\xef\xbb\xbf")


def is_utf8_beyond_ascii(data: bytes) -> bool:
    try:
        data.decode("utf-8")
    except UnicodeDecodeError:
        return False
    return any(b >= 0x80 for b in data)


def main() -> None:
    # A file outside intended/ that is valid UTF-8 beyond ASCII would be read as UTF-8 by the
    # program and in the ANSI code page by the platform: it belongs in intended/.
    for name, data in FILES.items():
        assert not is_utf8_beyond_ascii(data), name
    INTENDED.mkdir(exist_ok=True)
    for folder, files in ((HERE, FILES), (INTENDED, INTENDED_FILES)):
        for name, data in files.items():
            (folder / name).write_bytes(data)
    print(f"{len(FILES)} files, {len(INTENDED_FILES)} in intended/")


if __name__ == "__main__":
    main()
