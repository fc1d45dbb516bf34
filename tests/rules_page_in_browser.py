#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The standings page with a series' rules file as readers get it, in Chromium as
page_in_browser.py looks at the page without one: on a phone (light and dark) place, name and
total stay in view beside the last round, the rules and the notes keep to the screen's width,
the scores that do not count are greyed; on paper every sheet is A4 landscape with the header
row, black on white, the rules under the table.

  rules_page_in_browser.py check TOOL      the suite's checks (exit 77: cannot run here, with why)
  rules_page_in_browser.py shots TOOL DIR  docs/table-rules.png: the sample with rules, desktop
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import page_in_browser as pib  # noqa: E402

RULES = "bästa = 20\nomgångar = 40\nminst = 37\nsärskiljning = segrar, högsta, struket, senaste\n"
SAMPLE_RULES = "# Vårserien räknar sex bästa av tio\nbästa = 6\nomgångar = 10\nminst = 7\nsärskiljning = segrar, högsta\n"

SEEN = """(() => {
  const css = (q, p) => getComputedStyle(document.querySelector(q))[p];
  const right = q => Math.max(...[...document.querySelectorAll(q)].map(e => e.getBoundingClientRect().right));
  return {dropped: css('td.struken', 'color'), text: css('td', 'color'), out: document.querySelectorAll('tr.ejplacerad').length,
          rules: right('p.regler'), notes: right('p.noter'), marks: document.querySelectorAll('td sup').length};
})()"""


def ruled(tool, work, name, rounds, players, rules):
    txt = os.path.join(work, name + ".txt")
    pib.make_tournament(txt, rounds, players)
    with open(txt[:-4] + ".regler", "w", encoding="utf-8") as f:
        f.write(rules)
    return pib.write_page(tool, txt)


def check(tool):
    failures = []

    def expect(ok, what):
        if not ok:
            failures.append(what)
            print("FAIL: " + what)

    work = tempfile.mkdtemp(prefix="ravelmark-rules-page-")
    browser = None
    try:
        page = ruled(tool, work, "serie", 30, 60, RULES)
        browser = pib.Browser()
        for dark in (False, True):
            what = "phone%s: " % (" dark" if dark else "")
            browser.screen(390, 800, True, dark)
            browser.open(page)
            layout = browser.js(pib.LAYOUT)
            expect(layout["width"] == 390 and layout["scroll"] == 390, what + "laid out %(scroll)d wide" % layout)
            expect(all(c[0] >= 0 and c[1] <= 390 and c[2] for c in layout["cells"]),
                   what + "place, name or total not in view beside the last round: %s" % layout["cells"])
            place = layout["cells"][0]
            expect(place[1] - place[0] <= 50, what + "place %.0f px wide" % (place[1] - place[0]))
            seen = browser.js(SEEN)
            expect(seen["dropped"] != seen["text"], what + "dropped scores not greyed (%(dropped)s)" % seen)
            expect(seen["out"] > 0 and seen["marks"] > 0, what + "no player set apart or no note mark: %s" % seen)
            expect(seen["rules"] <= 390 and seen["notes"] <= 390, what + "rules or notes wider than the screen: %s" % seen)
        browser.call("Emulation.setEmulatedMedia", media="print",
                     features=[{"name": "prefers-color-scheme", "value": "dark"}])
        seen = browser.js(SEEN)
        expect(seen["dropped"] == "rgb(0, 0, 0)", "print: dropped scores in %(dropped)s" % seen)
        pdf = page[:-4] + ".pdf"
        browser.pdf(pdf)
        info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
        sheets = int(re.search(r"Pages:\s+(\d+)", info).group(1))
        size = re.search(r"Page size:\s+([\d.]+) x ([\d.]+) pts \(A4\)", info)
        expect(size and float(size.group(1)) > float(size.group(2)), "print: not A4 landscape")
        text = ""
        for sheet in range(1, sheets + 1):
            sheet_text = " ".join(subprocess.run(["pdftotext", "-f", str(sheet), "-l", str(sheet), pdf, "-"],
                                                 capture_output=True, text=True, check=True).stdout.split())
            expect("Omgång 30" in sheet_text and "Summa" in sheet_text, "print, sheet %d: no header row" % sheet)
            text += sheet_text + " "
        expect("De 20 bästa av 40 omgångar räknas." in text and "Efter 30 av 40 omgångar." in text,
               "print: the rules are missing")
        expect(re.search(r"\(\d+\)", text) is not None, "print: no score in parentheses")
    finally:
        if browser:
            browser.close()
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


def shots(tool, out):
    work = tempfile.mkdtemp(prefix="ravelmark-rules-shots-")
    browser = pib.Browser()
    try:
        shutil.copy(os.path.join(pib.EXAMPLES, "varserien-2024.txt"), work)
        with open(os.path.join(work, "varserien-2024.regler"), "w", encoding="utf-8") as f:
            f.write(SAMPLE_RULES)
        sample = pib.write_page(tool, os.path.join(work, "varserien-2024.txt"))
        browser.screen(1280, 1000, False, False)
        browser.open(sample)
        browser.png(os.path.join(out, "table-rules.png"))
    finally:
        browser.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("check", "shots"):
        sys.exit(__doc__)
    for program in ("pdftotext", "pdfinfo"):
        if not shutil.which(program):
            pib.skip(program + " is not installed (apt-get install poppler-utils)")
    try:
        import websocket  # noqa: F401
    except ImportError as e:
        pib.skip("%s (apt-get install python3-websocket)" % e)
    sys.exit(check(sys.argv[2]) if sys.argv[1] == "check" else shots(sys.argv[2], sys.argv[3]))
