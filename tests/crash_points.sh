#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Crash points of `rewrite` and `table`: the real tool runs once cleanly under strace, then
# once more for every system call of that run from the first on its folder (see first()),
# killed at it (SIGKILL), and for every read, write, sync, rename, link, unlink, open and close,
# failed there (EIO, ENOSPC; EPERM for link, which drives the copy fallback, whose own calls are
# then killed in turn). After each run the folder must hold the tournament whole (old or new
# bytes), the old bytes somewhere, no stray file (but a hidden new version after a kill just
# before its rename), the old file after a reported failure and new file + backup after a
# reported success; the page likewise old or new whole, the tournament untouched, and the
# stylesheet beside it whole or absent. A reported failure names its cause as injected.
# Usage: crash_points.sh TOOL. Exit 0 all held, 1 a point failed, 77 strace cannot trace here.
set -u
tool=$(realpath "$1")
command -v strace >/dev/null || { echo "SKIP: strace is not installed"; exit 77; }
strace -f -qq -o /dev/null true 2>/dev/null || { echo "SKIP: strace cannot trace here (no ptrace)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Names not padded and LF line ends, so that the rewrite changes every line.
printf 'Cup\n\nR1\nAnna 5\nBo Ek 12\n' >"$work/old.txt"
printf 'an older page\n' >"$work/old.htm"

setup() { # folder
    rm -rf "$1" && mkdir -p "$1"
    cp "$work/old.txt" "$1/cup.txt" && touch -d '2005-12-06 14:30:05' "$1/cup.txt"
    cp "$work/old.htm" "$1/cup.htm"
}

# The system calls of a run, one "NAME K IN" a line (the K-th call of that name; IN 1 when it
# names the tournament's folder or a file in it), from the line matching `$3` on.
calls() { # command, extra strace arguments, start pattern
    local dir=$work/trace-$1
    setup "$dir"
    # shellcheck disable=SC2086
    strace -f -qq -y -o "$work/trace" $2 "$tool" "$1" "$dir/cup.txt" >/dev/null 2>&1 || return 1
    [ "$1" = rewrite ] && cp "$dir/cup.txt" "$work/new.txt" && cp "$dir"/*.bak "$work/backup.txt" &&
        basename "$dir"/*.bak >"$work/backup-name"
    [ "$1" = table ] && cp "$dir/cup.htm" "$work/new.htm" && cp "$dir/table.css" "$work/new.css"
    awk -v start="$3" -v dir="$dir/" '{ sub(/^[0-9]+ +/, "") }
        match($0, /^[a-z_0-9]+\(/) { name = substr($0, 1, RLENGTH - 1); n[name]++
                                     if ($0 ~ start && name != "execve") on = 1
                                     if (on) print name, n[name], (index($0, dir) > 0) }' "$work/trace"
}

# One point: "COMMAND STRACE-ARGS..."; prints a line for each broken promise. Few processes
# per point (a copy and the tool), so that all of them fit in well under a minute.
try() {
    local command=$1 dir=$work/run-$2 point="$*" code
    shift 2
    cp -a "$work/template" "$dir"
    { strace -f -qq -o /dev/null "$@" "$tool" "$command" "$dir/cup.txt" </dev/null >/dev/null 2>"$dir.err"; } 2>/dev/null
    code=$?
    local -A has=()
    local f got
    for f in "$dir"/* "$dir"/.*; do
        [ -f "$f" ] || continue
        got=
        IFS= read -r -d '' got <"$f"
        has[${f##*/}]=$got
    done
    fail() { echo "FAIL $1 (exit $code) at: $point; left: ${!has[*]}"; }
    local txt=${has[cup.txt]-none} htm=${has[cup.htm]-none} bak=${has[$backup]-none} css=${has[table.css]-none} name
    for name in "${!has[@]}"; do
        # A kill between naming the new version and renaming it leaves that name behind;
        # nothing can remove it, and it never holds the tournament's name.
        [[ $code == 137 && $name =~ ^\.(cup\.txt|cup\.htm|table\.css)\.[0-9]+\.new$ ]] &&
            echo "KILLED-LEFT $name at: $point" && continue
        [[ $name =~ ^(cup\.txt|cup\.htm)$ || $name = "$backup" || ($command = table && $name = table.css) ]] ||
            fail "stray $name"
    done
    # The stylesheet beside a new page is there whole or not at all.
    [[ $css == none || $css == "$newcss" ]] || fail "stylesheet not whole"
    # A reported failure says what was injected: disk full for ENOSPC, a hardware error for
    # EIO (naming no file for the backup's link), unless it is the file that cannot be opened
    # or created.
    local message
    message=$(<"$dir.err")
    if [[ $code == 1 && $point =~ error=(EIO|ENOSPC) ]]; then
        local want='A hardware I/O error was reported while accessing '
        [ "${BASH_REMATCH[1]}" = ENOSPC ] && want='Disk full while accessing '
        [[ $message == "$want"@("$dir/"*|"an unnamed file.") || $message == "Kan inte "@(öppna|skapa)" filen: $dir/"* ]] ||
            fail "message \"$message\""
    fi
    if [ "$command" = rewrite ]; then
        [[ $txt == "$old" || $txt == "$new" ]] || fail "tournament not whole"
        [[ $txt == "$old" || $bak == "$old" ]] || fail "old bytes lost"
        [[ $code != 0 || ($txt == "$new" && $bak == "$old") ]] || fail "success not saved"
        [[ $code == 0 || $code == 137 || $txt == "$old" ]] || fail "failure without the old file"
    else
        [[ $txt == "$old" && $bak == none ]] || fail "tournament touched"
        [[ $htm == "$oldpage" || $htm == "$newpage" ]] || fail "page not whole"
        [[ $code != 0 || $htm == "$newpage" ]] || fail "success without the page"
        [[ $code == 0 || $code == 137 || $htm == "$oldpage" ]] || fail "failure lost the old page"
    fi
}

# From the first call that names the tournament's folder on, as rules_crash_points.sh does: the
# calls before it load the program and its libraries, and strace -y names the folder in every
# call on it (a descriptor's path included), so none of them can touch a file there.
# CRASH_POINTS_ALL=1 tries every call of the run.
first() { # command
    if [ "${CRASH_POINTS_ALL:-0}" = 1 ]; then echo '.'; else echo "trace-$1/"; fi
}
faults='^(read|write|fsync|fdatasync|rename|renameat|renameat2|link|linkat|unlink|unlinkat|openat|close)$'
# Built with the sanitizers (CRASH_POINTS_SANITIZED=1), the runtime makes calls of its own (it
# reads its options, probes memory through a pipe) that it cannot take failing: failures are
# injected only into the calls on the tournament's folder there.
points() { # command
    calls "$1" "" "$(first "$1")" | while read -r name k in; do
        echo "$1 -e trace=$name -e inject=$name:signal=SIGKILL:when=$k"
        if [[ $name =~ $faults && (${CRASH_POINTS_SANITIZED:-0} != 1 || $in == 1) ]]; then
            for e in EIO ENOSPC; do echo "$1 -e trace=$name -e inject=$name:error=$e:when=$k"; done
        fi
    done
    # A file system without hard links: the backup is a copy, each of whose calls may be the last.
    local eperm="-e inject=link,linkat:error=EPERM:when=1"
    echo "$1 -e trace=link,linkat $eperm"
    calls "$1" "$eperm" '^(link|linkat)[(]' | while read -r name k _; do
        [[ $name =~ ^(link|linkat)$ ]] && continue
        echo "$1 -e trace=$name,link,linkat $eperm -e inject=$name:signal=SIGKILL:when=$k"
    done
}

{ points rewrite && points table; } >"$work/points" || { echo "FAIL: a clean run did not succeed"; exit 1; }
setup "$work/template"
backup=$(cat "$work/backup-name")
for f in old new; do IFS= read -r -d '' "$f" <"$work/$f.txt"; done
IFS= read -r -d '' oldpage <"$work/old.htm"
IFS= read -r -d '' newpage <"$work/new.htm"
IFS= read -r -d '' newcss <"$work/new.css"
# Both cores, each point in its own folder.
for half in 0 1; do
    n=0
    while read -r -a point; do
        n=$((n + 1))
        [ $((n % 2)) = $half ] && try "${point[0]}" "$n" "${point[@]:1}"
    done <"$work/points" >"$work/failures-$half" &
done
wait
# A FAT stick through FUSE keeps no modes and may keep no times: fchmod and futimens answer
# ENOSYS or EPERM there, and links EPERM. Saving and writing the page must still succeed.
for e in ENOSYS EPERM; do
    for command in rewrite table table; do
        dir=$work/nomodes-$e
        [ "$command" = rewrite ] && cp -a "$work/template" "$dir"
        strace -f -qq -o /dev/null -e inject=fchmod,utimensat:error=$e -e inject=link,linkat:error=EPERM \
            "$tool" "$command" "$dir/cup.txt" >/dev/null 2>"$work/nomodes-err" ||
            { echo "FAIL $command with fchmod answering $e: $(cat "$work/nomodes-err")"; } >>"$work/failures-0"
    done
    cmp -s "$dir/cup.txt" "$work/new.txt" && cmp -s "$dir/$backup" "$work/old.txt" && cmp -s "$dir/cup.htm" "$work/new.htm" ||
        echo "FAIL with fchmod answering $e: the tournament, its backup or the page is wrong" >>"$work/failures-0"
done
tried=$(wc -l <"$work/points")
cat "$work"/failures-* >"$work/all"
grep -v '^KILLED-LEFT' "$work/all" >"$work/failures"
failed=$(wc -l <"$work/failures")
head -n 20 "$work/failures"
echo "crash points tried: $tried, failed: $failed, killed leaving a hidden new version: $(grep -c '^KILLED-LEFT' "$work/all")"
[ "$failed" = 0 ]
