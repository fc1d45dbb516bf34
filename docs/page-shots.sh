#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the pictures of the standings page in docs/ as readers see it, in headless Chromium
# driven through its DevTools protocol: table-desktop.png (examples/varserien-2024.txt at 1280
# CSS pixels), table-phone.png (a generated 30 rounds × 60 players with long names on a 390-pixel
# phone, real mobile emulation, scrolled to the middle rounds), table-phone-dark.png (the sample
# on a dark phone) and table-print.png (the first A4 sheet of the generated tournament printed to
# PDF, through pdftoppm), table-rules.png (the sample with a rules file beside it, desktop), and
# table-moves-phone.png and table-chart-phone.png (a series with the column of change and the
# chart, on a phone).
# The tool writes each page and its stylesheet.
# Needs chromium, poppler-utils and python3-websocket; none of them is needed to build.
# Usage: docs/page-shots.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(realpath "${1:-build}/tools/ravelmark-tool")
/usr/bin/python3 tests/page_in_browser.py shots "$tool" docs
/usr/bin/python3 docs/rules_page_shot.py "$tool" docs
echo "wrote docs/table-desktop.png docs/table-phone.png docs/table-phone-dark.png docs/table-print.png docs/table-rules.png"
echo "and docs/table-moves-phone.png docs/table-chart-phone.png"
