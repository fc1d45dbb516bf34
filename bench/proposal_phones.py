#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""PHONES phones, each from its own loopback address, each sending one card of 4 results to URL
at a moment of its own within the same 10 s (the names "Spelare N" of the bench's tournament).
Prints one line per result: "NAME SENT_MONOTONIC_S STATUS".

  proposal_phones.py URL [PHONES]
"""
import random
import sys
import threading
import time
import urllib.parse
import http.client

url = urllib.parse.urlsplit(sys.argv[1])
phones = int(sys.argv[2]) if len(sys.argv) > 2 else 40
code = url.path.rsplit("/", 1)[1]
lines, lock = [], threading.Lock()
start = time.monotonic()


def phone(i):
    time.sleep(random.Random(i).uniform(0, 9.5))
    names = ["Spelare %d" % (4 * i + j + 1) for j in range(4)]
    fields = [("t", code), ("s", "")] + [kv for n in names for kv in (("n", n), ("p", str(10 + i % 7)))]
    sent = time.monotonic()
    connection = http.client.HTTPConnection(url.hostname, url.port, timeout=10,
                                            source_address=("127.0.%d.%d" % (1 + i // 200, 2 + i % 200), 0))
    connection.request("POST", url.path, urllib.parse.urlencode(fields),
                       {"Content-Type": "application/x-www-form-urlencoded"})
    status = connection.getresponse().status
    connection.close()
    with lock:
        lines.extend("%s %.6f %d" % (n, sent, status) for n in names)


threads = [threading.Thread(target=phone, args=(i,)) for i in range(phones)]
for t in threads:
    t.start()
for t in threads:
    t.join(30)
print("\n".join(lines), flush=True)
