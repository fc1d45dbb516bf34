#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Results from phones as `ravelmark-tool serve --accept` takes them on loopback: every answer
with its body, the limits, markup and a name Windows-1252 cannot hold, a new code ending the
old one, the log and the list written beside the file, which itself is never touched.

  proposal_runs.py TOOL EXAMPLES
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from serve_runs import expect, report, request  # noqa: E402


class Accepting:
    """The tool serving FILE on loopback and taking results for ROUND."""

    def __init__(self, tool, path, round_):
        self.process = subprocess.Popen([tool, "serve", path, "--bind", "127.0.0.1", "--port", "18700",
                                         "--accept", round_], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True)
        self.printed = ""
        self.port, self.code = self.address()

    def address(self):
        # After the lines of the proposals taken so far.
        for _ in range(1000):
            line = self.process.stdout.readline()
            self.printed += line
            found = re.search(r"http://127\.0\.0\.1:(\d+)/r/([0-9a-f]+)", line)
            if found:
                return int(found.group(1)), found.group(2)
        self.process.kill()
        sys.exit("FAIL: no address for results: %r" % self.process.stderr.read())


def send(port, method, path, body=b"", headers="", source="127.0.0.1"):
    raw = ("%s %s HTTP/1.1\r\nHost: x\r\nConnection: close\r\n%s" % (method, path, headers)).encode()
    if method == "POST" and "Transfer-Encoding" not in headers:
        raw += b"Content-Length: %d\r\n" % len(body)
    return request(port, raw + b"\r\n" + body, source)


def form(code, rows, sender="", extra=""):
    fields = [("t", code), ("s", sender)] + [kv for name, points in rows for kv in (("n", name), ("p", points))]
    return (urllib.parse.urlencode(fields) + extra).encode()


FORM = "Content-Type: application/x-www-form-urlencoded\r\n"


def check(tool, examples):
    work = tempfile.mkdtemp(prefix="ravelmark-proposals-")
    try:
        cup = os.path.join(work, "klubbkamp.txt")
        shutil.copyfile(os.path.join(examples, "klubbkamp.txt"), cup)
        before = open(cup, "rb").read()
        server = Accepting(tool, cup, "1")
        port, code = server.port, server.code
        here = "/r/" + code
        expect(len(code) == 32, "the code is not 128 bits: %s" % code)

        status, headers, page = send(port, "GET", here)
        expect(status == 200 and b"<h1>Omg\xc3\xa5ng 1</h1>" in page and b'<option value="Anna">' in page
               and ('name="t" value="%s"' % code).encode() in page and b"<script" not in page,
               "the form: %d %r" % (status, page[:200]))
        expect("script-src" not in headers.get("content-security-policy", "x") and
               "default-src 'none'" in headers.get("content-security-policy", ""), "no CSP on the form")

        card = [("Anna", "7"), ("Bo", "12"), ("<b>Åke & \"Co\"</b>", "3"), ("Łukasz", "5")]
        status, headers, body = send(port, "POST", here, form(code, card), FORM)
        sender = headers.get("location", "").rpartition("/")[2]
        expect(status == 303 and headers.get("location") == here + "/" + sender and len(sender) == 32
               and "Tack!" in body.decode(), "a card: %d %r" % (status, headers))
        status, _, mine = send(port, "GET", here + "/" + sender)
        text = mine.decode()
        expect(status == 200 and "Tack! Väntar på att sekreteraren godkänner" in text and
               'http-equiv="refresh"' in text, "the phone's list: %d" % status)
        expect("&lt;b&gt;Åke &amp; &quot;Co&quot;&lt;/b&gt;" in text and "<b>" not in text,
               "markup in a name is not escaped on the phone")
        expect(text.count(">väntar<") == 3 and "avvisat: namnet har tecken som turneringens teckenkodning" in text,
               "the phone's states: %s" % re.findall(r'<td class="[^"]*">[^<]*', text))
        expect(send(port, "GET", here + "/" + sender + "/ny")[0] == 200, "the phone's own form again")

        # Every refusal, each with its Swedish line.
        big = form(code, [("A" * 5000, "1")])
        cases = [
            ("PUT", here, form(code, card), FORM, 405, "bara skicka resultat"),
            ("DELETE", here, b"", "", 405, "bara skicka resultat"),
            ("POST", here, b"t=%s&n=Anna" % code.encode(), FORM, 400, "gick inte att l\u00e4sa"),
            ("POST", here, b"n=Anna&p=7", FORM, 400, "gick inte att l\u00e4sa"),
            ("POST", here, form(code, card), "Content-Type: text/plain\r\n", 400, "gick inte att l\u00e4sa"),
            ("POST", here, form(code, [], extra="&n=%zz&p=1"), FORM, 400, "gick inte att l\u00e4sa"),
            ("POST", here, form(code, [], extra="&n=A%01&p=1"), FORM, 400, "gick inte att l\u00e4sa"),
            ("POST", here, form(code, [], extra="&n=%ff&p=1"), FORM, 400, "gick inte att l\u00e4sa"),
            ("POST", here, form(code, [("", "")]), FORM, 400, "Skriv namn och po\u00e4ng."),
            ("POST", here, form("0" * 32, card), FORM, 403, "Fel kod"),
            ("POST", "/r/" + "0" * 32, form("0" * 32, card), FORM, 403, "Fel kod"),
            ("GET", "/r/" + code[:-1] + "g", b"", "", 403, "Fel kod"),
            ("GET", "/r/", b"", "", 403, "Fel kod"),
            ("GET", here + "/" + "0" * 32, b"", "", 404, "Finns inte"),
            ("POST", here, big, FORM, 413, "f\u00f6r stort"),
            ("POST", here, b"%x\r\n%s\r\n0\r\n\r\n" % (len(big), big), FORM + "Transfer-Encoding: chunked\r\n", 413,
             "f\u00f6r stort"),
            ("POST", here, form(code, card[:1], extra="&rad=1"), FORM, 200, 'value="Anna"'),
        ]
        for method, path, body, extra, expected, words in cases:
            status, headers, answer = send(port, method, path, body, extra)
            expect(status == expected and words in answer.decode(errors="replace"),
                   "%s %s %r: %d %r" % (method, path[-8:], body[:30], status, answer[:80]))
            if status == 405:
                expect(headers.get("allow") == "GET, HEAD, POST", "Allow: %s" % headers.get("allow"))
        status, _, answer = send(port, "POST", here, form(code, card[:1] + [("", "")] * 3, extra="&rad=1"), FORM)
        expect(answer.count(b'name="n"') == 5 and answer.count(b'aria-label="Namn" value="Anna"') == 1, "one more row: not 5 with Anna")

        # 20 a minute from one address: a fifth card of four is taken, a sixth refused; another
        # address is not held up by it.
        for i in range(5):
            status = send(port, "POST", here, form(code, [("P%d%d" % (i, j), "1") for j in range(4)]), FORM,
                          "127.0.0.9")[0]
            expect(status == 303, "card %d of 127.0.0.9: %d" % (i + 1, status))
        status, headers, answer = send(port, "POST", here, form(code, card[:1]), FORM, "127.0.0.9")
        expect(status == 429 and headers.get("retry-after") == "60" and "V\u00e4nta en minut" in answer.decode(),
               "a sixth card: %d" % status)
        expect(send(port, "POST", here, form(code, card[:1]), FORM, "127.0.0.10")[0] == 303, "another address held up")
        # At most 200 waiting in the round (3 + 20 + 1 so far): from other addresses until refused.
        taken, status = 24, 303
        for i in range(60):
            status, headers, answer = send(port, "POST", here, form(code, [("Q%d" % i, "1")] * 4), FORM,
                                           "127.0.1.%d" % (i // 5 + 1))
            if status != 303:
                break
            taken += 4
        expect(status == 503 and taken == 200 and "Sekreteraren har m\u00e5nga" in answer.decode(),
               "the round's limit: %d after %d" % (status, taken))

        # A new code (SIGHUP): the old one answers 410 to a form, to a phone's list and to its page.
        server.process.send_signal(signal.SIGHUP)
        port, new = server.address()
        for method, path, body in (("POST", here, form(code, card)), ("GET", here + "/" + sender, b""),
                                   ("GET", here, b"")):
            status, _, answer = send(port, method, path, body, FORM)
            expect(status == 410 and "tar inte emot resultat l\u00e4ngre" in answer.decode(),
                   "the ended code: %s %d" % (method, status))
        expect(new != code and send(port, "GET", "/r/" + new)[0] == 200, "the new code")
        # The standings page beside it is as before.
        expect(send(port, "GET", "/")[0] == 200 and send(port, "POST", "/")[0] == 405, "the page beside")

        expect(server.process.send_signal(signal.SIGTERM) or server.process.wait(timeout=10) == 0, "exit code")
        out = server.printed + server.process.stdout.read()
        expect("F\u00f6rslag fr\u00e5n 127.0.0.1: Anna 7" in out, "no line on stdout for a proposal")
        # The file as it was; the list and the log beside it.
        expect(open(cup, "rb").read() == before, "the tournament file was written")
        listed = open(os.path.join(work, "klubbkamp.forslag"), encoding="utf-8").read()
        expect(re.search(r"# 127\.0\.0\.1 \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d.*\nAnna 7\n", listed) and
               "# avvisat (namnet har tecken" in listed, "the list: %r" % listed[:300])
        log = open(os.path.join(work, "klubbkamp.forslag.log"), encoding="utf-8").read().splitlines()
        fields = [line.split("\t") for line in log]
        expect(len([f for f in fields if f[2] == "f\u00f6rslag"]) == 4 + 20 + 1 + 176 and
               all(len(f) >= 7 and f[3] == "Omg\u00e5ng 1" and re.match(r"\d{4}-\d\d-\d\dT", f[0]) for f in fields),
               "the log: %d lines, %r" % (len(log), log[:2]))
        expect(["127.0.0.1", "avvisat", "\u0141ukasz", "5"] == [fields[4][1], fields[4][2], fields[4][5], fields[4][6]],
               "the refusal's line: %r" % fields[4:5])
        expect(not any(code in line or new in line for line in log), "a code in the log")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    check(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    report()
