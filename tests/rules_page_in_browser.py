#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The standings page with a rules file in force, in Chromium as page_in_browser.py looks at it:
on a phone, light and dark, place, name and total stay in view beside the last round, the rules
and notes keep to the screen's width, dropped scores are greyed; on paper, A4 landscape, the
header row on every sheet, black on white, the rules under the table. Then a 12-round series
after round 8 with the column of change and the chart: on a phone the column stays in view with
place, name and total, the chart keeps to the width with readable names; screen readers get the
moves in words and the chart's title; on paper nothing is cut and the chart is on one sheet.
Then points by placing and strokes less a handicap: the number played readable beside the points.
Usage: rules_page_in_browser.py TOOL (exit 77: cannot run here, with why)."""
import json
import os
import re
import shutil
import subprocess
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


# The column of change and the chart on a phone: the first four cells beside the last round,
# and every part of the chart inside the screen.
MOVES = """(() => {
  const table = document.querySelector('table'), svg = document.querySelector('svg.diagram');
  table.scrollLeft = table.scrollWidth;
  const box = e => e.getBoundingClientRect(), parts = [...svg.querySelectorAll('text, polyline, use')].map(box);
  return {scroll: document.documentElement.scrollWidth, font: parseFloat(getComputedStyle(svg.querySelector('text')).fontSize),
          cells: [...document.querySelectorAll('tr')[1].children].slice(0, 4).map(c =>
            [box(c).left, box(c).right, document.elementFromPoint(box(c).left + 2, box(c).top + 2) === c]),
          left: Math.min(...parts.map(r => r.left)), right: Math.max(...parts.map(r => r.right)),
          plot: box(svg.querySelector('polyline')).width};
})()"""


def race(tool, work, browser, expect):
    txt = os.path.join(work, "tolv.txt")
    pib.make_tournament(txt, 8, 60)
    with open(txt[:-4] + ".regler", "w", encoding="utf-8") as f:
        f.write("bästa = 6\nomgångar = 12\nminst = 5\nsärskiljning = segrar\nförändring = ja\ndiagram = ja\n")
    page = pib.write_page(tool, txt)
    json_text = subprocess.run([tool, "standings", txt, "--format", "json"], capture_output=True, check=True).stdout
    leaders = [line["name"] for line in json.loads(json_text)["standings"] if line["place"]][:10]
    for dark in (False, True):
        browser.screen(390, 800, True, dark)
        browser.open(page)
        seen = browser.js(MOVES)
        expect(seen["scroll"] == 390 and all(c[0] >= 0 and c[1] <= 390 and c[2] for c in seen["cells"]) and
               seen["left"] >= 0 and seen["right"] <= 390 and seen["plot"] >= 100 and seen["font"] >= 11,
               "change and chart, phone%s: %s: not all in view, or too small" % (" dark" if dark else "", seen))
    # What a screen reader is told: the moves in words, the chart by its title.
    browser.call("Accessibility.enable")
    told = {(n.get("role", {}).get("value"), n.get("name", {}).get("value"))
            for n in browser.call("Accessibility.getFullAXTree")["nodes"]}
    words = " ".join(name for role, name in told if role == "image")
    expect(re.search(r"upp \d+ platser?", words) and re.search(r"ned \d+ platser?", words) and "samma plats" in words and
           "Summan (de 6 bästa omgångarna) efter varje omgång för de 10 främsta" in words, "screen reader: " + words[:300])
    browser.call("Emulation.setEmulatedMedia", media="print")
    browser.open(page)
    browser.pdf(page[:-4] + ".pdf")
    sheets = pib.sheets(page[:-4] + ".pdf", expect, "change, print")
    chart = [s for s in sheets if "efter varje omgång för de 10 främsta" in s]
    # (The round names slant: the PDF's text has them in pieces.)
    expect(all("Omgång 8" in s and "Summa" in s for s in sheets[:-1]) and "Förändring sedan Omgång 7" in " ".join(sheets) and
           len(chart) == 1 and all(name in chart[0] for name in leaders) and chart[0].count("gå") >= 8,
           "change, print: a sheet without its header, no line on the change, or the chart not whole on one sheet")


# A round's quieter text beside its points: its size and colour against the cell's, and the
# handicap's explanation out of sight but in the page.
QUIET = """(() => {
  const small = document.querySelector('td small'), cell = small.closest('td'), hidden = document.querySelector('.dold');
  const box = hidden ? hidden.getBoundingClientRect() : null;
  return {size: parseFloat(getComputedStyle(small).fontSize), cell: parseFloat(getComputedStyle(cell).fontSize),
          color: getComputedStyle(small).color, background: getComputedStyle(document.body).backgroundColor,
          hidden: box ? box.right <= 0 || box.bottom <= 0 : null, title: (document.querySelector('td[title]') || {}).title || ''};
})()"""


def counted(tool, work, browser, expect):
    """Points by placing with the strokes beside them, and strokes less a handicap, on a phone
    light and dark and on paper: the number played readable beside the points."""
    for name, rules, word in (("placering", "räkning = placering\nplaceringspoäng = 25 21 18 16 14 12 10 8\n"
                               "övriga = 1\nlägst vinner = ja\n", None),
                              ("handikapp", "räkning = slag\nhandikapp = ja\nhandikappbas = 54\n"
                               "handikappprocent = 80\nhandikappsnitt = senaste 5\n", "snitt")):
        txt = os.path.join(work, name + ".txt")
        pib.make_tournament(txt, 6, 30)
        with open(txt[:-4] + ".regler", "w", encoding="utf-8") as f:
            f.write(rules)
        page = pib.write_page(tool, txt)
        for dark in (False, True):
            browser.screen(390, 800, True, dark)
            browser.open(page)
            layout, quiet = browser.js(pib.LAYOUT), browser.js(QUIET)
            what = "%s, phone%s: %s" % (name, " dark" if dark else "", quiet)
            expect(layout["scroll"] == 390, what + ": wider than the screen")
            expect(11 <= quiet["size"] < quiet["cell"] + 0.1 and quiet["color"] != quiet["background"],
                   what + ": the number played unreadable")
            expect(word is None or (quiet["hidden"] and word in quiet["title"]),
                   what + ": the handicap's explanation shown, or not in its title")
        browser.call("Emulation.setEmulatedMedia", media="print")
        browser.open(page)
        browser.pdf(page[:-4] + ".pdf")
        sheets = pib.sheets(page[:-4] + ".pdf", expect, name + ", print")
        expect(all("Summa" in s for s in sheets) and (word is None or "Handikapp: 80 %" in sheets[-1]),
               name + ", print: a sheet without its header, or no formula under the table")
        browser.call("Emulation.setEmulatedMedia", media="screen")


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
            race(tool, work, browser, expect)
            counted(tool, work, browser, expect)
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
