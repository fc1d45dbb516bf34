#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""docs/table-rules.png: the sample tournament's page with a rules file beside it, on a desktop
screen in headless Chromium (through tests/page_in_browser.py's driver); docs/table-moves-phone.png
and docs/table-chart-phone.png: a 12-round series after round 8 with "förändring = ja" and
"diagram = ja" on a 390-pixel phone, the top of the table with its column +/− and the chart.
Usage: rules_page_shot.py TOOL DIR"""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import page_in_browser as pib  # noqa: E402

RULES = "# Vårserien räknar sex bästa av tio\nbästa = 6\nomgångar = 10\nminst = 7\nsärskiljning = segrar, högsta\n"
MOVES = "bästa = 6\nomgångar = 12\nminst = 5\nsärskiljning = segrar, högsta\nförändring = ja\ndiagram = ja\n"

if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    work = tempfile.mkdtemp(prefix="ravelmark-rules-shot-")
    browser = pib.Browser()
    try:
        shutil.copy(os.path.join(pib.EXAMPLES, "varserien-2024.txt"), work)
        with open(os.path.join(work, "varserien-2024.regler"), "w", encoding="utf-8") as f:
            f.write(RULES)
        browser.screen(1280, 1000, False, False)
        browser.open(pib.write_page(sys.argv[1], os.path.join(work, "varserien-2024.txt")))
        browser.png(os.path.join(sys.argv[2], "table-rules.png"))
        txt = os.path.join(work, "hostserien.txt")
        pib.make_tournament(txt, 8, 24)
        with open(txt[:-4] + ".regler", "w", encoding="utf-8") as f:
            f.write(MOVES)
        browser.screen(390, 760, True, False, 2)
        browser.open(pib.write_page(sys.argv[1], txt))
        browser.png(os.path.join(sys.argv[2], "table-moves-phone.png"))
        browser.js("document.querySelector('figure.diagram').scrollIntoView()")
        browser.png(os.path.join(sys.argv[2], "table-chart-phone.png"))
    finally:
        browser.close()
        shutil.rmtree(work, ignore_errors=True)
