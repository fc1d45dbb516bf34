#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window as a user starts it, on a virtual X display: `ravelmark FILE` shows what FILE holds
# (the same screen for the same bytes under another name, another screen for other bytes),
# `ravelmark` alone starts empty with no message box, and a file that cannot be opened gives
# one box, after which the window is as empty as when started alone. A name that does not exist
# asks whether to make it a new tournament: Yes (Enter) writes the title line and shows it.
# Usage: window_runs.sh PROGRAM. Exit 0 all held, 1 a check failed, 77 no Xvfb or xdotool.
set -u
program=$(realpath "$1")
for tool in Xvfb xdotool import; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed (xvfb, xdotool, imagemagick)"; exit 77; }
done
work=$(mktemp -d)
server=
pid=
cleanup() { [ -z "$pid" ] || kill "$pid" 2>/dev/null; [ -z "$server" ] || kill "$server"; rm -rf "$work"; }
trap cleanup EXIT
for display in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ] && continue
    Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
    server=$!
    for _ in $(seq 50); do xdpyinfo -display ":$display" >/dev/null 2>&1 && break; sleep 0.1; done
    break
done
export DISPLAY=:$display
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$work
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The screen's pixels into $work/$1 once two looks a little apart agree.
settle() { # name
    local last='' now
    for _ in $(seq 100); do
        sleep 0.2
        now=$(import -window root -depth 8 rgb:- | md5sum)
        [ "$now" = "$last" ] && break
        last=$now
    done
    import -window root -depth 8 "rgb:$work/$1"
}
# Starts the program with the arguments; $work/$1 gets the settled screen and $work/$1.windows
# the number of its visible windows.
shot() { # name args...
    local name=$1
    shift
    (cd "$work" && exec "$program" "$@" >/dev/null 2>&1) &
    pid=$!
    # Bounded: a program that dies before its window shows fails the checks instead of hanging.
    timeout 60 xdotool search --sync --onlyvisible --pid "$pid" >/dev/null 2>&1
    settle "$name"
    xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l >"$work/$name.windows"
}
stop() { kill "$pid"; wait "$pid" 2>/dev/null; pid=; }
same() { cmp -s "$work/$1" "$work/$2"; }

printf 'Cup\r\n\r\nR1\r\nAnna 3\r\n' >"$work/cup.txt"
cp "$work/cup.txt" "$work/copy.txt"
printf 'Cup\r\n\r\nR1\r\nAnna 3\r\n\r\nR2\r\nBo 1\r\n' >"$work/other.txt"
shot empty && stop
shot cup cup.txt && stop
shot copy "$work/copy.txt" && stop
shot other other.txt && stop
mkdir "$work/folder.txt"
shot missing folder.txt
[ "$(cat "$work/missing.windows")" = 2 ] || fail "a file that cannot be opened: $(cat "$work/missing.windows") windows, not the window and its box"
xdotool key Return # to the box, which has the focus
settle after
stop
shot asked new.txt
[ "$(cat "$work/asked.windows")" = 2 ] || fail "a new name: $(cat "$work/asked.windows") windows, not the window and its question"
xdotool key Return
settle created
stop
[ "$(od -An -c "$work/new.txt" 2>/dev/null | tr -d ' \n')" = 'new\r\n' ] || fail "the new tournament's file is not its title line: $(od -An -c "$work/new.txt" 2>&1)"
same created empty && fail "the new tournament is not shown"

for name in empty cup copy other; do
    [ "$(cat "$work/$name.windows")" = 1 ] || fail "$name: $(cat "$work/$name.windows") visible windows, not one"
done
same cup copy || fail "the same bytes under another name show otherwise"
same cup other && fail "another tournament shows the same"
same cup empty && fail "ravelmark FILE shows the empty window"
same empty after || fail "after the box of a file that cannot be opened, the window is not as empty as at start"
[ $failed = 0 ] && echo "the window started on a file, alone, on a file it cannot open and on a new name held"
exit $failed
