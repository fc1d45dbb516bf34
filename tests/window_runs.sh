#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window as a user starts it, on a virtual X display: `ravelmark FILE` shows what FILE holds
# (the same screen for the same bytes under another name, another screen for other bytes),
# `ravelmark` alone starts empty with no message box, and a file that cannot be opened gives
# one box, after which the window is as empty as when started alone. A name that does not exist
# asks whether to make it a new tournament, Nej first: Tab to Ja and Space write the title line and show it. The
# page, from "Skapa Tabell" and from `ravelmark-tool table --open`, goes to the desktop's services
# (a stand-in xdg-open that writes down its call) once, and the default application is not started
# as well. A reload that fails partway keeps nothing of the file for a later save.
# Usage: window_runs.sh PROGRAM TOOL. Exit 0 all held, 1 a check failed, 77 no Xvfb or xdotool.
set -u
program=$(realpath "$1")
cli=$(realpath "$2")
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
    local _
    import -window root -depth 8 "rgb:$work/$1"
    for _ in $(seq 100); do
        sleep 0.1
        import -window root -depth 8 "rgb:$work/$1.next"
        cmp -s "$work/$1" "$work/$1.next" && break
        mv "$work/$1.next" "$work/$1"
    done
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
xdotool key Tab space
settle created
stop
[ "$(od -An -c "$work/new.txt" 2>/dev/null | tr -d ' \n')" = 'new\r\n' ] || fail "the new tournament's file is not its title line: $(od -An -c "$work/new.txt" 2>&1)"
same created empty && fail "the new tournament is not shown"

# A desktop whose services take the page: xdg-open first on the path, and a default application
# for web pages that must not be started beside it.
mkdir -p "$work/bin" "$work/xdg/data/applications" "$work/xdg/config"
printf '#!/bin/sh\necho "$1" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
printf '#!/bin/sh\necho "$1" >>"%s/browsed"\n' "$work" >"$work/bin/browser"
chmod +x "$work/bin/xdg-open" "$work/bin/browser"
printf '[Desktop Entry]\nType=Application\nName=Browser\nMimeType=text/html;\nExec=%s/bin/browser %%u\n' "$work" \
    >"$work/xdg/data/applications/browser.desktop"
printf '[Default Applications]\ntext/html=browser.desktop\n' >"$work/xdg/config/mimeapps.list"
# Waits for the page to be handed on, then a moment for a second program that must not start.
opened_once() { # what
    for _ in $(seq 100); do [ -s "$work/opened" ] && break; sleep 0.1; done
    sleep 1
    [ "$(cat "$work/opened" 2>/dev/null)" = "file://$work/cup.htm" ] && [ ! -e "$work/browsed" ] ||
        fail "$1: the desktop's opener got \"$(cat "$work/opened" 2>/dev/null)\", the browser \"$(cat "$work/browsed" 2>/dev/null)\""
    rm -f "$work/opened" "$work/browsed" "$work/cup.htm"
}
(
    export PATH=$work/bin:$PATH XDG_DATA_HOME=$work/xdg/data XDG_CONFIG_HOME=$work/xdg/config
    export XDG_DATA_DIRS=$work/none XDG_CONFIG_DIRS=$work/none
    unset XDG_CURRENT_DESKTOP
    shot page cup.txt
    xdotool key shift+Tab shift+Tab shift+Tab space # from "Ny" back to "Skapa Tabell", pressed
    opened_once "Skapa Tabell"
    stop
    "$cli" table "$work/cup.txt" --open || fail "table --open"
    opened_once "table --open"
    exit $failed
) || failed=1

# A read that fails partway keeps nothing of the file: EIO at the second piece of a reload (strace
# on that file alone), then a title typed and the close (under a window manager): the file is
# left as it was, or saved with none of the part that was read.
if command -v strace >/dev/null && command -v openbox >/dev/null && strace -f -qq -o /dev/null true 2>/dev/null; then
    openbox --startup "touch $work/wm" >/dev/null 2>&1 &
    wm=$!
    big=$work/big.txt
    # Rounds of a thousand players: the first piece holds whole rounds.
    awk 'BEGIN { printf "Cup\r\n"; for (i = 1; i <= 30000; i++) {
        if (i % 1000 == 1) printf "\r\nR%d\r\n", int(i / 1000) + 1
        printf "Player %d 1\r\n", i } }' >"$big"
    for _ in $(seq 100); do [ -e "$work/wm" ] && break; sleep 0.1; done
    (cd "$work" && exec strace -f -qq -o /dev/null -P "$big" -e trace=read -e inject=read:error=EIO:when=5 \
        "$program" big.txt >/dev/null 2>&1) &
    pid=$!
    # A box over the window (two windows of the program), answered with Return (Ja for a question).
    windows() { xdotool search --onlyvisible --name Ravelmark 2>/dev/null | wc -l; }
    box() {
        for _ in $(seq 300); do [ "$(windows)" = 2 ] && break; sleep 0.1; done
        [ "$(windows)" = 2 ] && sleep 0.5 && xdotool key Return || return 1
        for _ in $(seq 100); do [ "$(windows)" = 1 ] && return; sleep 0.1; done
    }
    if timeout 60 xdotool search --sync --onlyvisible --name 'big[.]txt' >/dev/null 2>&1; then
        sleep 1
        sed 's/^Player 1 1/Player 1 2/' "$big" >"$work/big.new" && mv "$work/big.new" "$big" && cp "$big" "$work/big.before"
        box || fail "no question to read the changed file again"
        box || fail "no message of the read error"
        sleep 0.5
        xdotool key Tab Tab X alt+F4
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        cmp -s "$big" "$work/big.before" || ! grep -q Player "$big" || fail "the part read before the error was saved"
    else
        fail "the window on big.txt did not show"
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
    kill "$wm"
fi

for name in empty cup copy other; do
    [ "$(cat "$work/$name.windows")" = 1 ] || fail "$name: $(cat "$work/$name.windows") visible windows, not one"
done
same cup copy || fail "the same bytes under another name show otherwise"
same cup other && fail "another tournament shows the same"
same cup empty && fail "ravelmark FILE shows the empty window"
same empty after || fail "after the box of a file that cannot be opened, the window is not as empty as at start"
[ $failed = 0 ] && echo "the window started on a file, alone, on a file it cannot open and on a new name held"
exit $failed
