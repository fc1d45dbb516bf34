#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Crash points of setting a tournament's rules, as crash_points.sh does for the tool: one clean
# run under strace, then one run killed at each of its system calls from the first that names
# the folder, and one failed (EIO, ENOSPC) at each of its file calls. After each, cup.regler holds
# the old rules or the new whole, nothing else is left (but a hidden new version after a kill
# just before its rename, and the old rules kept as a version unless the write failed), the tournament is untouched, and a success has the new rules.
# Usage: rules_crash_points.sh RULES_WRITE. Exit 0 all held, 1 a point failed, 77 no strace.
set -u
writer=$(realpath "$1")
command -v strace >/dev/null || { echo "SKIP: strace is not installed"; exit 77; }
strace -f -qq -o /dev/null true 2>/dev/null || { echo "SKIP: strace cannot trace here (no ptrace)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tournament=$'Cup\n\nR1\nAnna 5\nBo 3\n'
old=$'# Klubbens regler\nbästa = 8\n'
rules=$'bästa = 7\nomgångar = 12'
new=$'# Klubbens regler\nbästa = 7\nomgångar = 12\n'

setup() { # folder
    rm -rf "$1" && mkdir -p "$1" && printf '%s' "$tournament" >"$1/cup.txt" && printf '%s' "$old" >"$1/cup.regler"
}

setup "$work/clean"
strace -f -qq -y -o "$work/trace" "$writer" "$work/clean/cup.txt" "$rules" || { echo "FAIL: a clean run did not succeed"; exit 1; }
[ "$(cat "$work/clean/cup.regler"; echo x)" = "${new}x" ] || { echo "FAIL: a clean run wrote other rules"; exit 1; }
faults='^(read|write|fsync|fdatasync|rename|renameat|renameat2|link|linkat|unlink|unlinkat|openat|close)$'
awk -v dir="$work/clean/" '{ sub(/^[0-9]+ +/, "") }
    match($0, /^[a-z_0-9]+\(/) { name = substr($0, 1, RLENGTH - 1); n[name]++
                                 if (index($0, dir) > 0) on = 1
                                 if (on) print name, n[name], (index($0, dir) > 0) }' "$work/trace" |
    while read -r name k in; do
        echo "-e trace=$name -e inject=$name:signal=SIGKILL:when=$k"
        # Built with the sanitizers, failures go only to the calls on the folder, as in crash_points.sh.
        if [[ $name =~ $faults && (${CRASH_POINTS_SANITIZED:-0} != 1 || $in == 1) ]]; then
            for e in EIO ENOSPC; do echo "-e trace=$name -e inject=$name:error=$e:when=$k"; done
        fi
    done >"$work/points"

n=0 failed=0
while read -r -a point; do
    n=$((n + 1))
    dir=$work/run-$n
    setup "$dir"
    { strace -f -qq -o /dev/null "${point[@]}" "$writer" "$dir/cup.txt" "$rules" </dev/null >/dev/null 2>"$dir.err"; } 2>/dev/null
    code=$?
    got=$(cat "$dir/cup.regler" 2>/dev/null; echo x)
    # The version replaced may be kept (the old rules under a second name), but not by a write that failed.
    kept=$(cd "$dir" && ls | grep -E '^cup_[0-9]{6}_[0-9]{6}\.regler\.bak$')
    left=$(cd "$dir" && ls -A | grep -v -x -e cup.txt -e cup.regler -e "$kept" | grep -v -E '^\.cup\.regler\.[0-9]+\.new$')
    fault=
    [[ $got == "${old}x" || $got == "${new}x" ]] || fault="rules not whole"
    [[ $code != 0 || $got == "${new}x" ]] && [[ $code == 0 || $code == 137 || $got == "${old}x" ]] || fault="$fault outcome $code"
    [ "$(cat "$dir/cup.txt")" = "${tournament%$'\n'}" ] || fault="$fault tournament touched"
    [ -z "$left" ] || fault="$fault stray $left"
    [ -z "$kept" ] || { [ $code != 1 ] && [ "$(cat "$dir/$kept"; echo x)" = "${old}x" ]; } || fault="$fault kept $kept"
    [ -n "$fault" ] && failed=$((failed + 1)) && echo "FAIL $fault at: ${point[*]} ($(cat "$dir.err"))"
done <"$work/points"
echo "rules crash points tried: $n, failed: $failed"
[ "$failed" = 0 ]
