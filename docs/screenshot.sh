#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes docs/main-window.png: the program under Xvfb with openbox, a sample chosen through the
# real file dialog by keyboard, one round clicked. Needs xvfb, openbox, xdotool and imagemagick
# (apt-get install xvfb openbox xdotool imagemagick); none of them is needed to build or test.
# Usage: docs/screenshot.sh [build dir] [sample]
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build}/ui/ravelmark")
sample=$(realpath "${2:-examples/varserien-2024.txt}")
out=$PWD/docs/main-window.png

if [ -z "${RAVELMARK_SHOT_INNER:-}" ]; then
  RAVELMARK_SHOT_INNER=1 exec xvfb-run -a -s "-screen 0 520x640x24" "$0" "$@"
fi

openbox >/dev/null 2>&1 &
wm=$!
sleep 1
"$program" &
app=$!
trap 'kill $app $wm 2>/dev/null || true' EXIT
win=
for _ in $(seq 50); do
  win=$(xdotool search --class '^ravelmark$' 2>/dev/null | tail -1) && [ -n "$win" ] && break
  sleep 0.2
done
sleep 1
xdotool windowactivate --sync "$win" 2>/dev/null || true
xdotool key --clearmodifiers Return # the focus starts on "Välj Turnering"
sleep 2
xdotool type --delay 20 "$sample"
xdotool key Return
sleep 2
# The third round's row: the list starts at 11, 70 dialog units; rows are about 13 pixels high.
xdotool mousemove --window "$win" 45 156 click 1
xdotool mousemove --window "$win" 290 480
sleep 1
import -window root -trim +repage "$out"
echo "wrote $out"
