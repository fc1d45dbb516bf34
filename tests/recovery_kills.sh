#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real window killed (SIGKILL) 2.5 s after each kind of change, by keys under a window
# manager on a virtual X display: the title typed, a character that makes the file UTF-8, a
# round added, edited, removed, and a result added with the round editor still open. Started
# again on the file, answered Ja and closed, it must save the bytes that an orderly close after
# the same change saves, keep the old file as the backup and leave no recovery file.
# Usage: recovery_kills.sh PROGRAM. Exit 0 all held, 1 a check failed, 77 no Xvfb, openbox or xdotool.
set -u
program=$(realpath "$1")
command -v xvfb-run >/dev/null && command -v openbox >/dev/null && command -v xdotool >/dev/null ||
    { echo "SKIP: xvfb-run, openbox or xdotool is not installed"; exit 77; }
# On a display of its own.
[ -n "${RECOVERY_KILLS_DISPLAY:-}" ] ||
    exec env RECOVERY_KILLS_DISPLAY=1 xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash "$0" "$program"
work=$(mktemp -d)
wm= pid=
cleanup() { [ -z "$pid" ] || kill -9 "$pid" 2>/dev/null; [ -z "$wm" ] || kill "$wm"; rm -rf "$work"; }
trap cleanup EXIT
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$work XDG_STATE_HOME=$work/state
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Starts the program on cup.txt in folder $1 and waits until its window has the focus.
start() {
    (cd "$1" && exec "$program" cup.txt >/dev/null 2>&1) &
    pid=$!
    wait_for 'cup\.txt' && xdotool windowactivate --sync "$(xdotool search --onlyvisible --pid "$pid" --name 'cup\.txt')"
}
# Waits until the program shows a window whose title matches $1 (a box, the editor).
wait_for() { timeout 60 xdotool search --sync --onlyvisible --pid "$pid" --name "$1" >/dev/null 2>&1; sleep 0.5; }
keys() { xdotool key --delay 80 "$@"; sleep 0.5; }
type() { xdotool type --delay 80 "$1"; sleep 0.3; }
# The first row of the round list, clicked (the list is 11 x 70 dialog units into the window).
first_row() { xdotool mousemove --window "$(xdotool getactivewindow)" 30 130 click 1 && sleep 0.5; }
# The change, by keys, from the window as it starts (the focus on "Ny").
change() {
    case $1 in
    title) keys shift+Tab shift+Tab End && type x ;;
    utf8) keys shift+Tab shift+Tab End && type 'Ω' && wait_for '^Spara som' && keys Return ;;
    added | open) keys space && wait_for '^Omg' && type R3 && keys Tab && type Cilla && keys Tab && type 4 &&
        keys Tab space && { [ "$1" = open ] || keys alt+F4; } ;;
    edited) first_row && keys Tab Tab space && wait_for '^Omg' && sleep 0.5 && type Bo && keys Tab && type 9 && keys Tab space alt+F4 ;;
    removed) first_row && keys Tab Tab Tab space && wait_for '^Ta bort' && keys Return ;;
    esac
}
close() { keys alt+F4 && keys alt+F4; timeout 20 tail --pid="$pid" -f /dev/null; pid=; }

printf 'V\xe5rcup\r\n\r\nR1\r\nAnna 10\r\nBo 7\r\n\r\nR2\r\nAnna 3\r\n' >"$work/cup.txt"
touch -d '2005-12-06 14:30:05' "$work/cup.txt"
for kind in ${RECOVERY_KILLS:-title utf8 added edited removed open}; do
    for run in orderly killed; do
        dir=$work/$kind-$run
        mkdir "$dir" && cp -p "$work/cup.txt" "$dir/"
        start "$dir"
        change $kind
        if [ $run = killed ]; then
            sleep 2.5
            kill -9 "$pid" && wait "$pid" 2>/dev/null
            [ -f "$dir/.cup.txt.osparad" ] || fail "$kind: no recovery file 2.5 s after the change"
            start "$dir"
            wait_for '^Ravelmark$' && keys Return # Ja
        fi
        close
    done
    cmp -s "$work/cup.txt" "$work/$kind-orderly/cup.txt" && fail "$kind: the orderly close saved no change"
    cmp -s "$work/$kind-orderly/cup.txt" "$work/$kind-killed/cup.txt" ||
        fail "$kind: Ja after the kill saved other bytes than an orderly close"
    cmp -s "$work/cup.txt" "$work/$kind-killed/cup_051206_143005.bak" || fail "$kind: the old file is not the backup"
    left=$(cd "$work/$kind-killed" && ls -A | grep osparad)
    [ -z "$left" ] || fail "$kind: left $left"
done
[ $failed = 0 ] && echo "after a kill at each kind of change, Ja and the close saved what an orderly close saves"
exit $failed
