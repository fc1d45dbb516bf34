#!/usr/bin/env python3
"""Draws the program's icon, a gold cup on a blue plinth, in the 16 classic colours.

Writes ravelmark-32.png and ravelmark-16.png beside this script: indexed PNGs whose palette
holds the 16 colours and one transparent entry. Standard library only; run it again after
changing the pictures below and commit its output.
"""

import pathlib
import struct
import zlib

# The 16-colour palette; '.' is transparent.
PALETTE = {
    '.': None,
    'K': (0x00, 0x00, 0x00),  # black: outline
    'M': (0x80, 0x00, 0x00),
    'G': (0x00, 0x80, 0x00),
    'O': (0x80, 0x80, 0x00),  # olive: shaded gold
    'N': (0x00, 0x00, 0x80),  # navy: plinth
    'P': (0x80, 0x00, 0x80),
    'T': (0x00, 0x80, 0x80),
    'S': (0xC0, 0xC0, 0xC0),  # silver: plaque
    'D': (0x80, 0x80, 0x80),  # grey: plaque shade
    'R': (0xFF, 0x00, 0x00),
    'L': (0x00, 0xFF, 0x00),
    'Y': (0xFF, 0xFF, 0x00),  # yellow: gold
    'B': (0x00, 0x00, 0xFF),  # blue: plinth light
    'F': (0xFF, 0x00, 0xFF),
    'A': (0x00, 0xFF, 0xFF),
    'W': (0xFF, 0xFF, 0xFF),  # white: shine
}

ICON_32 = """
................................
................................
......KKKKKKKKKKKKKKKKKKKK......
......KOYYYYYYYYYYYYYYYYOK......
......KOOOOOOOOOOOOOOOOOOK......
..KKKKKYWWYYYYYYYYYYYYYOOKKKKK..
.KOOOOKYWWYYYYYYYYYYYYYOOKOOOOK.
.KOKKKKYWWYYYYYYYYYYYYYOOKKKKOK.
.KOK..KYWWYYYYYYYYYYYYYOOK..KOK.
.KOK..KYWWYYYYYYYYYYYYYOOK..KOK.
.KOK..KYWWYYYYYYYYYYYYYOOK..KOK.
..KOK.KYWWYYYYYYYYYYYYYOOK.KOK..
..KOK.KYYWWYYYYYYYYYYYOOOK.KOK..
...KOKKKYWWYYYYYYYYYYYOOKKKOK...
....KOOKYYWWYYYYYYYYYOOOKOOK....
.....KKKKYYWYYYYYYYYYOOKKKK.....
.........KYYYYYYYYYYOOK.........
..........KKYYYYYYOOKK..........
............KKYYOOKK............
.............KYYOOK.............
.............KYYOOK.............
.............KYYOOK.............
............KYYYYOOK............
...........KYYYYYYOOK...........
.........KKKKKKKKKKKKKK.........
........KYYYYYYYYYYYYYOK........
........KOOOOOOOOOOOOOOK........
......KKKKKKKKKKKKKKKKKKKK......
......KBNNNNNNNNNNNNNNNNNK......
......KBNNSSSSSSSSSSSSNNNK......
......KBNNSDDDDDDDDDDSNNNK......
......KKKKKKKKKKKKKKKKKKKK......
"""

ICON_16 = """
................
...KKKKKKKKKK...
.KKKYWYYYYYOKKK.
K.OKYWYYYYYOKO.K
K.OKYWYYYYYOKO.K
.KOKYWYYYYYOKOK.
..KKYYWYYYOOKK..
....KYYYYYOK....
.....KKYOKK.....
......KYOK......
......KYOK......
.....KYYYOK.....
....KKKKKKKK....
...KBNNNNNNNK...
...KBNSSSSNNK...
...KKKKKKKKKK...
"""


def parse(picture, size):
    rows = [row for row in picture.strip('\n').split('\n')]
    assert len(rows) == size, (size, len(rows))
    for row in rows:
        assert len(row) == size, (size, row)
    return rows


def write_png(path, rows):
    keys = list(PALETTE)
    index = {key: i for i, key in enumerate(keys)}
    plte = b''.join(bytes(PALETTE[k] or (0, 0, 0)) for k in keys)
    trns = bytes(0 if PALETTE[k] is None else 255 for k in keys)
    raw = b''.join(b'\x00' + bytes(index[c] for c in row) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

    size = len(rows)
    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 3, 0, 0, 0))
    png += chunk(b'PLTE', plte)
    png += chunk(b'tRNS', trns)
    png += chunk(b'IDAT', zlib.compress(raw, 9))
    png += chunk(b'IEND', b'')
    path.write_bytes(png)


def main():
    here = pathlib.Path(__file__).resolve().parent
    write_png(here / 'ravelmark-32.png', parse(ICON_32, 32))
    write_png(here / 'ravelmark-16.png', parse(ICON_16, 16))


if __name__ == '__main__':
    main()
