#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the program's icon, a gold cup on a blue plinth, and renders it at every size.

Writes ravelmark.svg beside this script, the one source of the icon, then renders it with
rsvg-convert (librsvg2-bin) into ravelmark-SIZE.png for each size the desktop looks for. Run it
again after changing the drawing below and commit its output: the build never renders.
"""

import pathlib
import shutil
import subprocess
import sys

SIZES = (16, 24, 32, 48, 64, 128, 256)

# Drawn on a 64 x 64 grid; outlines thick enough to survive 16 pixels.
SVG = """<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <title>Ravelmark</title>
  <defs>
    <linearGradient id="gold" x1="0" y1="0" x2="1" y2="0">
      <stop offset="0" stop-color="#ffe25a"/>
      <stop offset="0.3" stop-color="#fff6b0"/>
      <stop offset="0.55" stop-color="#f2c400"/>
      <stop offset="1" stop-color="#a87d00"/>
    </linearGradient>
    <linearGradient id="plinth" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#2a4fd0"/>
      <stop offset="1" stop-color="#0b1f6e"/>
    </linearGradient>
  </defs>
  <g stroke="#2b1d00" stroke-width="2.5" stroke-linejoin="round" stroke-linecap="round">
    <path d="M15 13 H7 C7 25 11 31 20 33 M49 13 H57 C57 25 53 31 44 33" fill="none" stroke="#a87d00"
          stroke-width="4"/>
    <path d="M15 13 H7 C7 25 11 31 20 33 M49 13 H57 C57 25 53 31 44 33" fill="none" stroke-width="1.2"/>
    <path d="M13 5 H51 V19 C51 32 43 38 32 38 C21 38 13 32 13 19 Z" fill="url(#gold)"/>
    <path d="M28 38 H36 V44 C36 46 39 47 41 48 H23 C25 47 28 46 28 44 Z" fill="url(#gold)"/>
    <rect x="20" y="48" width="24" height="4" fill="#d9a800"/>
    <rect x="12" y="52" width="40" height="10" rx="1" fill="url(#plinth)"/>
  </g>
  <rect x="19" y="55" width="26" height="4" fill="#c0c0c0" stroke="#808080" stroke-width="1"/>
  <path d="M19 9 V20 C19 26 21 30 24 32" fill="none" stroke="#ffffff" stroke-width="2.5" stroke-linecap="round"
        opacity="0.8"/>
</svg>
"""


def main():
    here = pathlib.Path(__file__).resolve().parent
    source = here / 'ravelmark.svg'
    source.write_text(SVG, encoding='utf-8')
    renderer = shutil.which('rsvg-convert')
    if renderer is None:
        sys.exit('make_icon.py: rsvg-convert not found (apt-get install librsvg2-bin)')
    for size in SIZES:
        subprocess.run([renderer, '-w', str(size), '-h', str(size), '-o', str(here / f'ravelmark-{size}.png'),
                        str(source)], check=True)


if __name__ == '__main__':
    main()
