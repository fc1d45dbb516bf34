#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""docs/table-rules.png: the sample tournament's page with a rules file beside it, on a desktop
screen in headless Chromium (through tests/page_in_browser.py's driver).
Usage: rules_page_shot.py TOOL DIR"""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import page_in_browser as pib  # noqa: E402

RULES = "# Vårserien räknar sex bästa av tio\nbästa = 6\nomgångar = 10\nminst = 7\nsärskiljning = segrar, högsta\n"

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
    finally:
        browser.close()
        shutil.rmtree(work, ignore_errors=True)
