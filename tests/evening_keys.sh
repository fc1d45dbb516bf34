#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An evening's habits by keys alone, in the real window under a window manager on a virtual X
# display: "Redigera" on a round and a late result typed as a new round's would be (name, Tab,
# points, Tab, Enter), a second result typed and the editor closed by Alt+F4 (Enter answers the
# question: Ja), then "Välj Turnering" with the changes unsaved (Enter: Ja, save) and the file
# dialog cancelled. The saved file must hold both results under the round's own name. Then
# blocks of results pasted by every way there is into a new round (below).
# Usage: evening_keys.sh PROGRAM. Exit 0 all held, 1 a check failed, 77 no Xvfb, openbox, xdotool or xclip.
set -u
program=$(realpath "$1")
command -v xvfb-run >/dev/null && command -v openbox >/dev/null && command -v xdotool >/dev/null ||
    { echo "SKIP: xvfb-run, openbox or xdotool is not installed"; exit 77; }
[ -n "${EVENING_KEYS_DISPLAY:-}" ] ||
    exec env EVENING_KEYS_DISPLAY=1 xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash "$0" "$program"
work=$(mktemp -d) wm= pid=
cleanup() { [ -z "$pid" ] || kill -9 "$pid" 2>/dev/null; [ -z "$wm" ] || kill "$wm"; rm -rf "$work"; }
trap cleanup EXIT
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$work XDG_STATE_HOME=$work/state
openbox >/dev/null 2>&1 & wm=$!
sleep 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }
# Waits until the program shows a window whose title matches $1, or says which did not come.
wait_for() {
    timeout 30 xdotool search --sync --onlyvisible --pid "$pid" --name "$1" >/dev/null 2>&1 || fail "no window \"$1\""
    sleep 0.5
}
# The main window in front again once a dialog over it has gone (asked for: the window manager
# may hand the focus back late, or to a window already gone).
window() { xdotool search --onlyvisible --pid "$pid" --name 'cup\.txt' windowactivate --sync >/dev/null 2>&1; sleep 0.5; }
keys() { xdotool key --delay 80 "$@"; sleep 0.4; }
type() { xdotool type --delay 80 "$1"; sleep 0.3; }

printf 'Cup\r\n\r\nR1\r\nAnna 7\r\n\r\nR2\r\nBo 3\r\n' >"$work/cup.txt"
touch -d '2005-12-06 14:30:05' "$work/cup.txt"
(cd "$work" && exec "$program" cup.txt >/dev/null 2>&1) &
pid=$!
wait_for 'cup\.txt'
window
# From "Ny", where the focus is: back to the list, the first round, on to "Redigera".
keys shift+Tab Home Tab Tab space
wait_for '^Omg'
type 'Viktor Ek' && keys Tab && type 25 && keys Tab Return
type Cilla && keys Tab && type 5 && keys alt+F4
wait_for '^Ravelmark$' && keys Return # "Lägga till Cilla 5 innan omgången stängs?" Ja
window
# Back on the round just edited, in the list: to "Välj Turnering" (the title, "Skapa Tabell" before it).
keys shift+Tab shift+Tab shift+Tab space
wait_for '^Ravelmark$' && keys Return # "Vill du spara ändringarna i cup.txt?" Ja
wait_for '^Öppna$' && keys Escape
window
keys alt+F4
timeout 20 tail --pid="$pid" -f /dev/null || fail "the window did not close"
pid=
expected=$(printf 'Cup\r\n\r\nR1\r\nAnna       7\r\nViktor Ek 25\r\nCilla      5\r\n\r\nR2\r\nBo         3\r\n')
[ "$(cat "$work/cup.txt")" = "$expected" ] || fail "saved: $(od -An -c "$work/cup.txt" | tr -s ' ')"
cmp -s "$work/cup_051206_143005.bak" <(printf 'Cup\r\n\r\nR1\r\nAnna 7\r\n\r\nR2\r\nBo 3\r\n') || fail "no backup"
[ -z "$(ls -A "$work" | grep osparad)" ] || fail "a recovery file was left: $(ls -A "$work")"

# The next evening, results pasted by keys alone into a new round: Tab from its name to the empty
# list and Ctrl+V there; in the name box Ctrl+V, Shift+Insert, the Menu key's and Shift+F10's
# "Klistra in" and the middle button; in the round's name box Ctrl+V. Each block opens the
# preview, whose Enter enters it. Nothing pasted may become a name of its own.
command -v xclip >/dev/null || { echo "SKIP: xclip is not installed"; exit 77; }
clip() { printf "$1" | xclip -selection "${2:-clipboard}"; sleep 0.3; }
pasted() { wait_for '^Klistra in resultat$' && keys Return; }
(cd "$work" && exec "$program" cup.txt >/dev/null 2>&1) &
pid=$!
wait_for 'cup\.txt'
window
keys space # "Ny", where the focus is
wait_for '^Omg'
editor=$(xdotool getactivewindow)
type R3
clip 'Eva\t5\nFia\t6\n' && keys Tab ctrl+v && pasted
clip 'Gun\t7\nHan\t8\n' && keys ctrl+v && pasted
clip 'Ida\t9\nJon\t10\n' && keys shift+Insert && pasted
clip 'Kim\t11\nLisa\t12\n' && keys Menu i && pasted
clip 'Mia\t13\nNils\t14\n' && keys shift+F10 i && pasted
# The name box lies at the bottom left of the template, above "Ta emot resultat", whose height
# the font sets: the middle button looks for it from there up, over controls it does nothing to.
clip 'Ola\t15\nPer\t16\n' primary
eval "$(xdotool getwindowgeometry --shell "$editor")"
for permille in 950 935 920 905 890 875 860 845 830 815; do
    xdotool mousemove $((X + WIDTH / 5)) $((Y + HEIGHT * permille / 1000)) click 2
    sleep 0.7
    [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "Klistra in resultat" ] && break
done
pasted
clip 'Rut\t17\nSam\t18\n' && keys shift+Tab shift+Tab ctrl+v && pasted
keys alt+F4
window
keys alt+F4
timeout 20 tail --pid="$pid" -f /dev/null || fail "the window did not close after the pastes"
pid=
r3=R3
for row in Eva:5 Fia:6 Gun:7 Han:8 Ida:9 Jon:10 Kim:11 Lisa:12 Mia:13 Nils:14 Ola:15 Per:16 Rut:17 Sam:18; do
    r3="$r3 ${row%:*} ${row#*:}"
done
[ "$(sed -n '/^R3/,$p' "$work/cup.txt" | tr -d '\r' | tr -s ' \n' '  ' | sed 's/ $//')" = "$r3" ] ||
    fail "pasted by keys: $(od -An -c "$work/cup.txt" | tr -s ' ')"
[ $failed = 0 ] && echo "by habit, a late result, a typed one closed with Alt+F4 and Välj Turnering kept every change;" \
    "every way of pasting by keys and the middle button entered its block"
exit $failed
