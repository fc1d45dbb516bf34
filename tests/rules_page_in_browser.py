#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The standings page with a rules file in force, in Chromium as page_in_browser.py looks at it:
on a phone, light and dark, place, name and total stay in view beside the last round, the rules
and notes keep to the screen's width, dropped scores are greyed; on paper, A4 landscape, the
header row on every sheet, black on white, the rules under the table.
Usage: rules_page_in_browser.py TOOL (exit 77: cannot run here, with why)."""
import os
import re
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import page_in_browser as pib  # noqa: E402

SEEN = """(() => {
  const css = (q, p) => getComputedStyle(document.querySelector(q))[p];
  const right = q => Math.max(...[...document.querySelectorAll(q)].map(e => e.getBoundingClientRect().right));
  return {dropped: css('td.struken', 'color'), text: css('td', 'color'), out: document.querySelectorAll('tr.ejplacerad').length,
          wide: Math.max(right('p.regler'), right('p.noter')), marks: document.querySelectorAll('td sup').length};
})()"""


def check(tool):
    failures = pib.Failures()
    expect = failures.expect
    pib.needs("pdftotext", "pdfinfo")
    work = tempfile.mkdtemp(prefix="ravelmark-rules-page-")
    try:
        txt = os.path.join(work, "serie.txt")
        pib.make_tournament(txt, 30, 60)
        with open(txt[:-4] + ".regler", "w", encoding="utf-8") as f:
            f.write("bästa = 20\nomgångar = 40\nminst = 37\nsärskiljning = segrar, högsta, struket, senaste\n")
        page = pib.write_page(tool, txt)
        browser = pib.Browser()
        try:
            for dark in (False, True):
                browser.screen(390, 800, True, dark)
                browser.open(page)
                layout, seen = browser.js(pib.LAYOUT), browser.js(SEEN)
                what = "phone%s: %s %s" % (" dark" if dark else "", layout, seen)
                expect(layout["scroll"] == 390 and seen["wide"] <= 390, what + ": wider than the screen")
                pib.phone_columns(layout["cells"], expect, what + ": ")
                expect(seen["dropped"] != seen["text"] and seen["out"] and seen["marks"], what + ": additions not seen")
            browser.call("Emulation.setEmulatedMedia", media="print",
                         features=[{"name": "prefers-color-scheme", "value": "dark"}])
            expect(browser.js(SEEN)["dropped"] == "rgb(0, 0, 0)", "print: dropped scores not black")
            pdf = page[:-4] + ".pdf"
            browser.pdf(pdf)
        finally:
            browser.close()
        sheets = pib.sheets(pdf, expect, "print")
        expect(all("Omgång 30" in s and "Summa" in s for s in sheets), "print: a sheet without the header row")
        expect("De 20 bästa av 40 omgångar räknas." in sheets[-1] and re.search(r"\(\d+\)", sheets[0]),
               "print: no rules under the table, or no score in parentheses")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(check(sys.argv[1]) if len(sys.argv) == 2 else __doc__)
