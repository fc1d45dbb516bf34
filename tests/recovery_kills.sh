#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real window killed (SIGKILL) after each kind of change, made by keys under a window manager
# on a virtual X display: the title typed, a round edited, added, removed, a character that makes
# the file UTF-8, and a result added with the round editor still open. Each kill comes as soon as
# the recovery file holds the change, in the bytes written out below (those the close saves); the
# next start answers Ja and makes the next change on what it recovered, so a start that showed
# the file's own tournament after Ja breaks every later step. The last start closes: the file
# holds every change, the old file is the backup, and no recovery file is left.
# Usage: recovery_kills.sh PROGRAM. Exit 0 all held, 1 a check failed, 77 no Xvfb, openbox or xdotool.
set -u
[ -z "${RECOVERY_KILLS_TRACE:-}" ] || set -x
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
openbox --startup "touch $work/wm" >/dev/null 2>&1 &
wm=$!
failed=0
fail() { echo "FAIL: $*"; failed=1; }
# Polls `$@` every 0.05 s, at most $polls times (400 unless set: 20 s).
until_true() { local i; for ((i = 0; i < ${polls:-400}; i++)); do "$@" && return; sleep 0.05; done; return 1; }
until_true test -e "$work/wm" || fail "the window manager did not start"

# Waits until the program shows a window whose title matches $1 (the main window, a box, the
# editor; with $2 "box", one that stands over another) and the window manager has given it the focus.
wait_for() {
    local id=
    find() {
        local w
        for w in $(xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null); do
            [ "${2:-}" != box ] || xprop -id "$w" WM_TRANSIENT_FOR | grep -q 'window id' || continue
            id=$w && return
        done
        return 1
    }
    until_true find "$@" &&
        { [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ] || xdotool windowactivate --sync "$id" 2>/dev/null; } &&
        until_true eval '[ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ]'
}
# Starts the program on cup.txt and waits until its window has the focus, after Ja to the
# question about the changes a kill left, when there is one.
start() {
    (cd "$work" && exec "$program" cup.txt >/dev/null 2>&1) &
    pid=$!
    if [ "${1:-}" = Ja ]; then
        # The main window has the same title until the file is read.
        wait_for '^Ravelmark$' box && keys Return || fail "after the kill at \"$kind\": no question"
        # Unsaved changes again, shown in the window's title.
        until_true eval '[[ "$(xdotool search --all --onlyvisible --pid "$pid" --name "cup\.txt" getwindowname 2>/dev/null)" == \** ]]' ||
            fail "after Ja at \"$kind\": the window shows no unsaved change"
    fi
    wait_for 'cup\.txt'
}
# Keys go to the window with the focus, in order; a window they open is waited for by its title.
keys() { xdotool key --delay 30 "$@"; }
type() { xdotool type --delay 40 "$1"; }
# Ω, until the UTF-8 question shows (5 tries): xdotool lends it a spare key for the moment, and a
# program under load that reads the key before it hears of the loan reads nothing at all.
omega() { local _; for _ in 1 2 3 4 5; do type 'Ω' && polls=60 wait_for '^Spara som' && return; done; return 1; }
# The first row of the round list, clicked (the list is 11 x 70 dialog units into the window).
first_row() { xdotool mousemove --window "$(xdotool getactivewindow)" 30 130 click 1; }
# The change, by keys, from the window as it starts (the focus on "Ny").
change() {
    case $1 in
    title) keys shift+Tab shift+Tab End && type x ;;
    utf8) keys shift+Tab shift+Tab End && omega && keys Return ;;
    added | open) keys space && wait_for '^Omg' && type R3 && keys Tab Tab && type Cilla && keys Tab && type 4 &&
        keys Tab space && { [ "$1" = open ] || keys alt+F4; } ;;
    # The editor puts the focus on the player's name once it shows.
    edited) first_row && keys Tab Tab space && wait_for '^Omg' && sleep 0.5 && type Bo && keys Tab && type 9 &&
        keys Tab space alt+F4 ;;
    removed) first_row && keys Tab Tab Tab space && wait_for '^Ta bort' && keys Return ;;
    esac
}
held() { cmp -s "$work/.cup.txt.osparad" "$work/expected"; }

printf 'V\xe5rcup\r\n\r\nR1\r\nAnna 10\r\nBo 7\r\n\r\nR2\r\nAnna 3\r\n' >"$work/cup.txt"
touch -d '2005-12-06 14:30:05' "$work/cup.txt"
cp -p "$work/cup.txt" "$work/old"
r1='\r\n\r\nR1\r\nAnna  10\r\nBo     9' r2='\r\n\r\nR2\r\nAnna   3' r3='\r\n\r\nR3\r\nCilla  4'
kind=start
start
for step in "title|V\xe5rcupx\r\n\r\nR1\r\nAnna 10\r\nBo    7\r\n\r\nR2\r\nAnna  3\r\n" \
    "edited|V\xe5rcupx\r\n\r\nR1\r\nAnna 10\r\nBo    9\r\n\r\nR2\r\nAnna  3\r\n" \
    "added|V\xe5rcupx$r1$r2$r3\r\n" "removed|V\xe5rcupx$r2$r3\r\n" \
    "utf8|\xef\xbb\xbfV\xc3\xa5rcupx\xce\xa9$r2$r3\r\n" "open|\xef\xbb\xbfV\xc3\xa5rcupx\xce\xa9$r2$r3$r3\r\n"; do
    kind=${step%%|*}
    printf "${step#*|}" >"$work/expected"
    change "$kind" && until_true held ||
        { fail "$kind: the recovery file does not hold the change: $(od -c "$work/.cup.txt.osparad" 2>&1 | head -n 20)"; break; }
    kill -9 "$pid" && wait "$pid" 2>/dev/null
    start Ja
done
keys alt+F4
timeout 20 tail --pid="$pid" -f /dev/null || fail "the window did not close"
pid=
cmp -s "$work/cup.txt" "$work/expected" || fail "Ja after the kills and the close saved other bytes: $(od -c "$work/cup.txt" | head -n 20)"
cmp -s "$work/old" "$work/cup_051206_143005.bak" || fail "the old file is not the backup"
left=$(cd "$work" && ls -A | grep osparad)
[ -z "$left" ] || fail "left $left"
[ $failed = 0 ] && echo "after a kill at each kind of change, Ja and the close saved what the close saves"
exit $failed
