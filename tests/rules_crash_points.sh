#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Crash points of setting a tournament's rules, as crash_points.sh does for the tool: one clean
# run under strace, then one run killed at each of its system calls from the first that names
# the folder, and one failed (EIO, ENOSPC) at each of its file calls. After each, cup.regler holds
# the old rules or the new whole, nothing else is left (but a hidden new version after a kill
# just before its rename, and the old rules kept as a version unless the write failed), the
# tournament is untouched, and a success has the new rules.
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

# Builtins only in the loop below (reads, globs, tests): a process per check would cost more
# than the runs themselves. All the run folders are made in one mkdir.
count=$(wc -l <"$work/points")
(cd "$work" && mkdir $(seq -f 'run-%g' "$count"))
shopt -s dotglob nullglob
n=0 failed=0
while read -r -a point; do
    n=$((n + 1))
    dir=$work/run-$n
    printf '%s' "$tournament" >"$dir/cup.txt" && printf '%s' "$old" >"$dir/cup.regler"
    { strace -f -qq -o /dev/null "${point[@]}" "$writer" "$dir/cup.txt" "$rules" </dev/null >/dev/null 2>"$dir.err"; } 2>/dev/null
    code=$?
    got=none cup=none kept='' left='' fault=''
    for f in "$dir"/*; do
        name=${f##*/}
        if [ "$name" = cup.regler ]; then
            got= && IFS= read -r -d '' got <"$f"
        elif [ "$name" = cup.txt ]; then
            cup= && IFS= read -r -d '' cup <"$f"
        elif [[ $name =~ ^cup_[0-9]{6}_[0-9]{6}\.regler\.bak$ ]]; then
            # The version replaced may be kept (the old rules under a second name), once, and not
            # by a write that failed.
            [ -z "$kept" ] || fault="$fault kept twice"
            kept=$name
            text= && IFS= read -r -d '' text <"$f"
            [[ $code != 1 && $text == "$old" ]] || fault="$fault kept $kept"
        elif ! [[ $name =~ ^\.cup\.regler\.[0-9]+\.new$ ]]; then
            left="$left $name"
        fi
    done
    [[ $got == "$old" || $got == "$new" ]] || fault="$fault rules not whole"
    [[ $code != 0 || $got == "$new" ]] && [[ $code == 0 || $code == 137 || $got == "$old" ]] || fault="$fault outcome $code"
    [[ $cup == "$tournament" ]] || fault="$fault tournament touched"
    [ -z "$left" ] || fault="$fault stray$left"
    if [ -n "$fault" ]; then
        failed=$((failed + 1))
        IFS= read -r -d '' message <"$dir.err"
        echo "FAIL$fault at: ${point[*]} ($message)"
    fi
done <"$work/points"
echo "rules crash points tried: $n, failed: $failed"
[ "$failed" = 0 ]
