#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A phone's browser sending a card to the round editor: Chromium as a 390 px phone, typing into
the form and pressing Enter (the page has no script), then its list of what it sent, until the
keeper's accept shows.

  proposal_in_browser.py URL   prints "SENT <list address>" once the list says "väntar", then
                               "SEEN" once it says "godkänt" (within 20 s); exit 77: cannot run
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from page_in_browser import Browser, needs  # noqa: E402


def type_into(browser, selector, text):
    node = browser.call("DOM.querySelector", nodeId=browser.call("DOM.getDocument")["root"]["nodeId"],
                        selector=selector)["nodeId"]
    browser.call("DOM.focus", nodeId=node)
    browser.call("Input.insertText", text=text)


def main(url):
    needs()
    browser = Browser()
    try:
        browser.screen(390, 800, True, False)
        browser.open_url(url)
        page = browser.js("[document.scripts.length, document.documentElement.scrollWidth, document.title]")
        if page[0] != 0 or page[1] > 390:
            sys.exit("FAIL: the form has %d scripts, is %d px wide (%s)" % tuple(page))
        type_into(browser, "input[name=n]", "Bo")
        type_into(browser, "input[name=p]", "7")
        # Enter in a field sends the form with its first button, "Skicka": no script of the page's.
        for kind in ("keyDown", "keyUp"):
            browser.call("Input.dispatchKeyEvent", type=kind, key="Enter", code="Enter", windowsVirtualKeyCode=13,
                         text="\r" if kind == "keyDown" else "")
        end = time.monotonic() + 10
        while "väntar" not in (browser.js("document.body ? document.body.innerText : ''") or ""):
            if time.monotonic() > end:
                sys.exit("FAIL: no \"väntar\" after sending: %r" % browser.js("document.body.innerText"))
            time.sleep(0.2)
        print("SENT " + browser.js("location.href"), flush=True)
        # The list is fetched again by the page itself (a refresh, not a script).
        end = time.monotonic() + 20
        while "godkänt" not in (browser.js("document.body ? document.body.innerText : ''") or ""):
            if time.monotonic() > end:
                sys.exit("FAIL: \"godkänt\" not shown within 20 s: %r" % browser.js("document.body.innerText"))
            time.sleep(0.3)
        print("SEEN", flush=True)
    finally:
        browser.close()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
