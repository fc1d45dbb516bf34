#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The standings page as its readers get it: Chromium with a phone's screen (mobile emulation
through the DevTools protocol, not a narrow desktop window), a desktop screen, light and dark,
and printed to PDF; and the character set of a Windows-1252 page as an HTML parser finds it.

  page_in_browser.py check TOOL        the suite's checks (exit 77: cannot run here, with why)
  page_in_browser.py shots TOOL DIR    the pictures of docs/ (phone, desktop, print) into DIR

TOOL is ravelmark-tool; it writes every page looked at here, with its stylesheet beside it.
"""
import base64
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIP = 77
EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")

FIRST = ["Åsa", "Göran", "Märta", "Örjan", "Britt-Marie", "Zoë", "Per-Olof", "Linnéa", "Håkan", "Ylva"]
LAST = ["Östlund-Järvenpää", "Åkerström", "Lindqvist", "Wästerberg-Sjögren", "Öhman", "Källström",
        "Björkenheim-Ahlqvist", "Dahl"]


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


def needs(*programs):
    """Skips, saying why, unless the programs and the DevTools client are installed."""
    for program in programs:
        if not shutil.which(program):
            skip(program + " is not installed (apt-get install poppler-utils)")
    try:
        import websocket  # noqa: F401
    except ImportError as e:
        skip("%s (apt-get install python3-websocket)" % e)


class Failures(list):
    """The checks that failed, each printed as it is found."""

    def expect(self, ok, what):
        if not ok:
            self.append(what)
            print("FAIL: " + what)


def phone_columns(cells, expect, what, widest=50):
    """Place, name and total in view beside the last round on a phone, the place column narrow."""
    expect(all(c[0] >= 0 and c[1] <= 390 and c[2] for c in cells),
           what + "place, name or total not in view beside the last round: %s" % cells)
    expect(cells[0][1] - cells[0][0] <= widest, what + "place %.0f px wide" % (cells[0][1] - cells[0][0]))


def sheets(pdf, expect, what):
    """The words of each sheet of `pdf`, single-spaced, once it is seen to be A4 landscape."""
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    size = re.search(r"Page size:\s+([\d.]+) x ([\d.]+) pts \(A4\)", info)
    expect(size and float(size.group(1)) > float(size.group(2)), what + ": not A4 landscape")
    return [" ".join(subprocess.run(["pdftotext", "-f", str(n), "-l", str(n), pdf, "-"], capture_output=True,
                                    text=True, check=True).stdout.split())
            for n in range(1, int(re.search(r"Pages:\s+(\d+)", info).group(1)) + 1)]


def make_tournament(path, rounds, players):
    """A UTF-8 tournament with long names; every player plays most rounds."""
    lines = ["Höstserien i Ölandsboule %d × %d" % (rounds, players)]
    names = ["%s %s" % (FIRST[p % len(FIRST)], LAST[(p * 3 + p // len(FIRST)) % len(LAST)]) for p in range(players)]
    names = ["%s %d" % (n, i) if names.index(n) != i else n for i, n in enumerate(names)]
    for r in range(1, rounds + 1):
        lines += ["", "Omgång %d" % r]
        lines += ["%s %d" % (n, (p * 7 + r * 3) % 26) for p, n in enumerate(names) if (p + r) % 9]
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def write_page(tool, txt):
    subprocess.run([tool, "table", txt], check=True)
    return txt[:-4] + ".htm"


class Browser:
    """One headless Chromium and one tab, driven through the DevTools protocol."""

    def __init__(self):
        import websocket  # python3-websocket
        binary = shutil.which("chromium") or shutil.which("chromium-browser")
        if not binary:
            skip("chromium is not installed (apt-get install chromium)")
        self.profile = tempfile.mkdtemp(prefix="ravelmark-chromium-")
        args = [binary, "--headless=new", "--remote-debugging-port=0", "--user-data-dir=" + self.profile,
                "--disable-gpu", "--no-first-run", "--hide-scrollbars", "about:blank"]
        if os.geteuid() == 0:
            # Chromium refuses root without this; it only ever loads the local pages made here.
            args.insert(1, "--no-sandbox")
        self.process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        for _ in range(300):
            if os.path.exists(port_file) and open(port_file).read().count("\n") >= 1:
                break
            if self.process.poll() is not None:
                self.close()
                skip("chromium does not start here (exit code %d)" % self.process.returncode)
            time.sleep(0.1)
        else:
            self.close()
            skip("chromium did not open its DevTools port within 30 s")
        port = open(port_file).read().split()[0]
        tabs = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port))
        page = next(t for t in tabs if t["type"] == "page")
        self.ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=60)
        self.next_id = 0
        self.call("Page.enable")

    def close(self):
        if getattr(self, "ws", None):
            self.ws.close()
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def call(self, method, wait_event=None, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        result, seen = None, wait_event is None
        while result is None or not seen:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                result = message["result"]
            seen = seen or message.get("method") == wait_event
        return result

    def screen(self, width, height, mobile, dark, scale=1):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=scale,
                  mobile=mobile, screenWidth=width, screenHeight=height)
        self.call("Emulation.setEmulatedMedia", media="",
                  features=[{"name": "prefers-color-scheme", "value": "dark" if dark else "light"}])

    def open(self, path):
        self.open_url("file://" + os.path.abspath(path))

    def open_url(self, url):
        self.call("Page.navigate", wait_event="Page.loadEventFired", url=url)

    def js(self, expression):
        return self.call("Runtime.evaluate", expression=expression, returnByValue=True)["result"].get("value")

    def png(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"]))

    def pdf(self, path):
        data = self.call("Page.printToPDF", preferCSSPageSize=True)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))


# What a reader sees of the top row at the table's far right: the rectangles of the place,
# name and total cells, which must stay in view, and the layout width.
LAYOUT = """(() => {
  const table = document.querySelector('table');
  table.scrollLeft = table.scrollWidth;
  const cells = [...document.querySelectorAll('tr')[1].children].slice(0, 3);
  return {width: document.documentElement.clientWidth, inner: window.innerWidth,
          scroll: document.documentElement.scrollWidth, font: parseFloat(getComputedStyle(cells[1]).fontSize),
          scrolled: table.scrollLeft, cells: cells.map(c => { const r = c.getBoundingClientRect();
            return [r.left, r.right, document.elementFromPoint(r.left + 2, r.top + 2) === c]; })};
})()"""


def check(tool):
    failures = Failures()
    expect = failures.expect
    # The encoding prescan of an HTML parser that assumes UTF-8 where nothing is declared.
    import html5lib
    work = tempfile.mkdtemp(prefix="ravelmark-page-")
    try:
        samples = {}
        for sample, encoding in (("klubbkamp.txt", "windows-1252"), ("sommarcupen-utf8.txt", "utf-8"),
                                 ("varserien-2024.txt", "windows-1252")):
            shutil.copy(os.path.join(EXAMPLES, sample), work)
            page = samples[sample] = write_page(tool, os.path.join(work, sample))
            parser = html5lib.HTMLParser()
            with open(page, "rb") as f:
                document = parser.parse(f, likely_encoding="utf-8", useChardet=False)
            expect(parser.documentEncoding == encoding, "%s read as %s" % (sample, parser.documentEncoding))
            text = "".join(document.itertext())
            expect("Omgångar" in text and "\ufffd" not in text, sample + ": the Swedish letters")

        big = {}
        for rounds in (30, 40):
            make_tournament(os.path.join(work, "serie%d.txt" % rounds), rounds, 60)
            big[rounds] = write_page(tool, os.path.join(work, "serie%d.txt" % rounds))

        browser = Browser()
        try:
            for dark, page in [(dark, page) for dark in (False, True) for page in [big[30]] + list(samples.values())]:
                browser.screen(390, 800, True, dark)
                browser.open(page)
                seen = browser.js(LAYOUT)
                what = "phone%s, %s: " % (" dark" if dark else "", os.path.basename(page))
                expect(seen["width"] == 390 and seen["inner"] == 390 and seen["scroll"] == 390,
                       what + "laid out %(width)d (inner %(inner)d, content %(scroll)d) wide, not 390" % seen)
                expect(seen["font"] >= 13, what + "names in %.1f px type" % seen["font"])
                expect(seen["scrolled"] > (1000 if page == big[30] else 0), what + "the rounds do not scroll sideways")
                phone_columns(seen["cells"], expect, what)
                name = seen["cells"][1]
                expect(name[1] - name[0] <= 0.41 * 390, what + "name %.0f px wide" % (name[1] - name[0]))
                browser.screen(1280, 800, False, dark)
                browser.open(page)
                expect(browser.js("document.documentElement.clientWidth") == 1280, what + "desktop width")

            # Paper from a dark desktop: black on white, every column, the header row on every sheet.
            browser.call("Emulation.setEmulatedMedia", media="print",
                         features=[{"name": "prefers-color-scheme", "value": "dark"}])
            colours = browser.js("[getComputedStyle(document.body).color, getComputedStyle(document.body)"
                                 ".backgroundColor, getComputedStyle(document.querySelector('td b')).color]")
            expect(colours == ["rgb(0, 0, 0)", "rgb(255, 255, 255)", "rgb(0, 0, 0)"], "print colours %s" % colours)
            for rounds, page in big.items():
                browser.open(page)
                pdf = page[:-4] + ".pdf"
                browser.pdf(pdf)
                for sheet, text in enumerate(sheets(pdf, expect, "%d rounds" % rounds), 1):
                    for word in ("Omgång %d" % rounds, "Antal", "Summa"):
                        expect(word in text, "%d rounds, sheet %d: no %s" % (rounds, sheet, word))
            following(tool, work, browser, expect)
        finally:
            browser.close()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


def following(tool, work, browser, expect):
    """The served page on a phone: a change of the file shows within 5 s, where the reader was."""
    from serve_runs import Server
    txt = os.path.join(work, "kvall.txt")
    make_tournament(txt, 12, 80)
    server = Server(tool, txt, 18842)
    try:
        browser.screen(390, 800, True, False)
        browser.open_url("http://127.0.0.1:%d/" % server.port)
        where = "[window.scrollY, document.querySelector('table').scrollLeft]"
        browser.js("window.scrollTo(0, 900); document.querySelector('table').scrollLeft = 200")
        before = browser.js(where)
        with open(txt, "a", encoding="utf-8") as f:
            f.write("\nOmgång 13\nÅsa Östlund-Järvenpää 40\n")
        changed = "document.querySelectorAll('th').length == 17 && document.body.innerText.includes('Omgång\\n13')"
        end = time.monotonic() + 5
        while not browser.js(changed) and time.monotonic() < end:
            time.sleep(0.2)
        expect(browser.js(changed), "served page: the new round not shown within 5 s")
        expect(before == [900, 200] and browser.js(where) == before,
               "served page: scrolled to %s before the change, %s after" % (before, browser.js(where)))
    finally:
        server.stop()


def shots(tool, out):
    work = tempfile.mkdtemp(prefix="ravelmark-shots-")
    browser = Browser()
    try:
        shutil.copy(os.path.join(EXAMPLES, "varserien-2024.txt"), work)
        sample = write_page(tool, os.path.join(work, "varserien-2024.txt"))
        make_tournament(os.path.join(work, "serie.txt"), 30, 60)
        big = write_page(tool, os.path.join(work, "serie.txt"))
        browser.screen(1280, 800, False, False)
        browser.open(sample)
        browser.png(os.path.join(out, "table-desktop.png"))
        browser.screen(390, 800, True, False, 2)
        browser.open(big)
        browser.js("document.querySelector('table').scrollLeft = 600")
        browser.png(os.path.join(out, "table-phone.png"))
        browser.screen(390, 800, True, True, 2)
        browser.open(sample)
        browser.png(os.path.join(out, "table-phone-dark.png"))
        browser.call("Emulation.setEmulatedMedia", media="print")
        browser.open(big)
        pdf = os.path.join(work, "serie.pdf")
        browser.pdf(pdf)
        subprocess.run(["pdftoppm", "-png", "-r", "100", "-f", "1", "-l", "1", "-singlefile", pdf,
                        os.path.join(out, "table-print")], check=True)
    finally:
        browser.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("check", "shots"):
        sys.exit(__doc__)
    needs("pdftotext", "pdfinfo", "pdftoppm")
    try:
        import html5lib  # noqa: F401
    except ImportError as e:
        skip("%s (apt-get install python3-html5lib)" % e)
    sys.exit(check(sys.argv[2]) if sys.argv[1] == "check" else shots(sys.argv[2], sys.argv[3]))
