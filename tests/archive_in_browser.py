#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The club's archive as its readers get it, in Chromium as page_in_browser.py drives it: a club
of three seasons with long names and markup in them, every page of the site on a phone (390 px,
light and dark) laid out no wider than the screen (the tables scroll inside themselves), in
readable type, without script; on paper the archive's headers read across, black on white; and
every link between the pages leads to a file of the site.
Usage: archive_in_browser.py TOOL (exit 77: cannot run here, with why)."""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
from html.parser import HTMLParser
from urllib.parse import unquote

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import page_in_browser as pib  # noqa: E402

SEEN = """(() => ({scroll: document.documentElement.scrollWidth, inner: window.innerWidth,
  font: Math.min(...[...document.querySelectorAll('td, li')].map(e => parseFloat(getComputedStyle(e).fontSize))),
  scripts: document.scripts.length}))()"""


class Links(HTMLParser):
    def __init__(self):
        super().__init__()
        self.links = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if (tag, name) in (("a", "href"), ("link", "href")):
                self.links.append(value)


def club(work):
    """Three seasons: long names, markup, two classes, a player in one season only."""
    os.makedirs(os.path.join(work, "2024"))
    for s, (name, season) in enumerate((("2024/vår.txt", "2024 vår"), ("2024/höst.txt", "2024 höst"),
                                        ("2025.txt", "2025 vår"))):
        pib.make_tournament(os.path.join(work, name), 6 + 4 * s, 40 + 10 * s)
        with open(os.path.join(work, name[:-4] + ".regler"), "w", encoding="utf-8") as f:
            f.write("säsong = %s\n" % season)
    with open(os.path.join(work, "2025.txt"), "a", encoding="utf-8") as f:
        f.write("\nExtra\n<b>Zoë & \"Åsa\"</b> Östlund-Järvenpää-Björkenheim-Wästerberg 7\n")
    with open(os.path.join(work, "2025.spelare"), "w", encoding="utf-8") as f:
        f.write("[klass Damer]\nÅsa Östlund-Järvenpää\n[klass Herrar]\nGöran Åkerström\n")


def check(tool):
    failures = pib.Failures()
    expect = failures.expect
    work = tempfile.mkdtemp(prefix="ravelmark-archive-")
    try:
        club(work)
        subprocess.run([tool, "archive", work], check=True, stdout=subprocess.DEVNULL)
        site = os.path.join(work, "arkiv")
        pages = sorted(glob.glob(os.path.join(site, "*.html")) + glob.glob(os.path.join(site, "spelare", "*.html")))
        expect(len(pages) > 60, "only %d pages" % len(pages))
        for page in pages + glob.glob(os.path.join(site, "*.htm")):
            parser = Links()
            with open(page, encoding="utf-8", errors="replace") as f:
                parser.feed(f.read())
            for link in parser.links:
                target = os.path.normpath(os.path.join(os.path.dirname(page), unquote(link)))
                expect(target.startswith(site + os.sep) and os.path.isfile(target),
                       "%s: the link %s leads nowhere" % (os.path.relpath(page, site), link))
        browser = pib.Browser()
        try:
            looked = [p for p in pages if not p.startswith(os.path.join(site, "spelare"))]
            looked += [p for p in pages if p.startswith(os.path.join(site, "spelare"))][:40]
            for dark in (False, True):
                browser.screen(390, 800, True, dark)
                for page in looked:
                    browser.open(page)
                    seen = browser.js(SEEN)
                    what = "phone%s, %s: " % (" dark" if dark else "", os.path.relpath(page, site))
                    expect(seen["inner"] == 390 and seen["scroll"] <= 390,
                           what + "laid out %(scroll)d wide (screen %(inner)d)" % seen)
                    expect(seen["font"] >= 13, what + "text in %.1f px type" % seen["font"])
                    expect(seen["scripts"] == 0, what + "a script")
            browser.call("Emulation.setEmulatedMedia", media="print",
                         features=[{"name": "prefers-color-scheme", "value": "dark"}])
            browser.open(os.path.join(site, "rekord.html"))
            seen = browser.js("[getComputedStyle(document.body).color, getComputedStyle(document.body).backgroundColor,"
                              " getComputedStyle(document.querySelector('th b')).writingMode]")
            expect(seen == ["rgb(0, 0, 0)", "rgb(255, 255, 255)", "horizontal-tb"], "print: %s" % seen)
            pdf = os.path.join(work, "rekord.pdf")
            browser.pdf(pdf)
            text = " ".join(pib.sheets(pdf, expect, "rekord.pdf"))
            expect("Mästare" in text and "Högsta omgång" in text, "print: the records are not on paper")
        finally:
            browser.close()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    pib.needs("pdfinfo", "pdftotext")
    sys.exit(check(sys.argv[1]))
