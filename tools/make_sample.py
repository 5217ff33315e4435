#!/usr/bin/env python3
"""Rebuild sample/8x12.fnt and sample/koi.bin from the misc-fixed 6x12 BDF font.

    pcf2bdf -o 6x12.bdf /usr/share/fonts/X11/misc/6x12.pcf.gz
    python3 tools/make_sample.py 6x12.bdf

Glyph slots follow code page 866; koi.bin makes every KOI8-R code 128-255
show its own character.
"""
import pathlib
import re
import sys

GLYPH_COUNT = 256
GLYPH_LINES = 12
SOURCE_BBX = "6 12 0 -2"  # every glyph of the 6x12 font fills its 6x12 cell

# KOI8-R characters that code page 866 lacks, given slots 1-8 in KOI8-R order.
KOI8_EXTRAS = "⌠≈≤≥⌡²÷©"
# The other control slots keep the symbols PC fonts show there; 127 is the house.
PC_SYMBOLS = "○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼"
DEL_SYMBOL = "⌂"

BOX_AND_BLOCKS = range(0x2500, 0x25A0)
SHADES = "░▒▓"


def slot_characters():
    """The character shown by each glyph slot; slot 0 stays blank."""
    chars = [None] * GLYPH_COUNT
    chars[1:9] = KOI8_EXTRAS
    chars[9:32] = PC_SYMBOLS
    chars[0x20:0x7F] = (chr(c) for c in range(0x20, 0x7F))
    chars[0x7F] = DEL_SYMBOL
    chars[0x80:] = bytes(range(0x80, 0x100)).decode("cp866")
    return chars


def read_bdf(path):
    """Map each code point of a BDF font to its 12 bitmap rows."""
    glyphs = {}
    pattern = r"^ENCODING (\d+)\n.*?^BBX (.*?)\n^BITMAP\n(.*?)^ENDCHAR"
    for match in re.finditer(pattern, path.read_text(encoding="ascii"), re.M | re.S):
        rows = [int(row, 16) for row in match.group(3).split()]
        if match.group(2) != SOURCE_BBX or len(rows) != GLYPH_LINES:
            continue
        glyphs[int(match.group(1))] = rows
    return glyphs


def stretched(char, rows):
    """Carry box-drawing and block glyphs into columns 6 and 7 (bits 1 and 0) so
    that they join the next cell: shades continue their two-column pattern,
    everything else repeats column 5."""
    if ord(char) not in BOX_AND_BLOCKS:
        return rows
    if char in SHADES:
        return [row | (row >> 2) & 0b11 for row in rows]
    return [row | (0b11 if row & 0b100 else 0) for row in rows]


def build_font(glyphs):
    font = bytearray()
    for char in slot_characters():
        if char is None:
            font += bytes(GLYPH_LINES)
        elif ord(char) in glyphs:
            font += bytes(stretched(char, glyphs[ord(char)]))
        else:
            sys.exit(f"make_sample.py: the BDF font has no glyph for U+{ord(char):04X}")
    return font


def build_table():
    slot_of = {char: slot for slot, char in enumerate(slot_characters()) if char}
    koi8 = bytes(range(0x80, 0x100)).decode("koi8_r")
    return bytes(slot_of[char] for char in koi8)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_sample.py 6x12.bdf")
    out = pathlib.Path(__file__).resolve().parent.parent / "sample"
    (out / "8x12.fnt").write_bytes(build_font(read_bdf(pathlib.Path(sys.argv[1]))))
    (out / "koi.bin").write_bytes(build_table())


if __name__ == "__main__":
    main()
