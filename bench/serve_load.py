#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A room of phones on `ravelmark-tool serve --bind 127.0.0.1`: 200 clients, ten to a loopback
address (phones each have their own), each polling the version every 2 s for 30 s on a
keep-alive connection and fetching the page when it changed, which the file does once, half-way.
Prints the figures; fails when an answer is neither 200 nor 304 or the 99th percentile reaches
100 ms.

  serve_load.py TOOL EXAMPLES [SECONDS]   SECONDS instead of 30 (the suite's short run)
"""
import asyncio
import os
import re
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from serve_runs import Server, expect, report  # noqa: E402


async def poller(port, source, until, latencies, statuses, stagger):
    """One phone: the page once, then the version every 2 s, and the page when it changed."""
    await asyncio.sleep(stagger)
    # Phones each have an address of their own: ten clients an address keeps below the limit a client address has.
    reader, writer = await asyncio.open_connection("127.0.0.1", port, local_addr=(source, 0))
    tag = None

    async def ask(path, tag):
        start = time.monotonic()
        extra = "If-None-Match: %s\r\n" % tag if tag else ""
        writer.write(("GET %s HTTP/1.1\r\nHost: x\r\n%s\r\n" % (path, extra)).encode())
        head = await reader.readuntil(b"\r\n\r\n")
        length = re.search(rb"(?i)content-length: *(\d+)", head)
        if length:
            await reader.readexactly(int(length.group(1)))
        latencies.append(time.monotonic() - start)
        statuses.append(int(head.split()[1]))
        return int(head.split()[1]), re.search(rb"(?i)etag: *(\S+)", head).group(1).decode()

    _, tag = await ask("/", None)
    while time.monotonic() < until:
        await asyncio.sleep(2)
        status, new = await ask("/version", tag)
        if status == 200:
            _, tag = await ask("/", None)
    writer.close()


def load(tool, examples, seconds):
    work = tempfile.mkdtemp(prefix="ravelmark-load-")
    try:
        cup = os.path.join(work, "varserien.txt")
        shutil.copy(os.path.join(examples, "varserien-2024.txt"), cup)
        server = Server(tool, cup, 18742)
        latencies, statuses = [], []

        async def run():
            until = time.monotonic() + seconds
            clients = [poller(server.port, "127.0.1.%d" % (1 + i // 10), until, latencies, statuses, i * 2 / 200)
                       for i in range(200)]

            async def change():
                await asyncio.sleep(seconds / 2)
                with open(cup, "ab") as f:
                    f.write(b"\r\nExtra\r\nAnna 3\r\n")
            await asyncio.wait_for(asyncio.gather(change(), *clients), seconds + 30)
        asyncio.run(run())
        expect(server.stop() == 0, "serve did not end with 0 on SIGTERM")
        latencies.sort()
        p50, p99 = latencies[len(latencies) // 2], latencies[int(len(latencies) * 0.99)]
        print("load: %d requests, %d answered 200, %d 304, others %d; p50 %.1f ms, p99 %.1f ms, max %.1f ms"
              % (len(statuses), statuses.count(200), statuses.count(304),
                 len(statuses) - statuses.count(200) - statuses.count(304), p50 * 1e3, p99 * 1e3, latencies[-1] * 1e3))
        expect(set(statuses) <= {200, 304} and statuses.count(304) > 200 * (seconds / 2 - 3), "answers other than 200 and 304")
        expect(p99 < 0.1, "p99 %.1f ms" % (p99 * 1e3))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    load(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), int(sys.argv[3]) if len(sys.argv) == 4 else 30)
    report()
