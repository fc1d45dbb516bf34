#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What `rewrite` and `table` keep and leave where the file system differs from this machine's,
# faked with strace's fault injection on the real tool:
#  - links refused (EPERM, EXDEV, EMLINK): the backup is a whole copy with the old file's mode
#    and time, as a link is; the new tournament and the page keep the old modes;
#  - the copy failing at any of its writes (ENOSPC), modes or times not kept (EIO): no partial
#    backup, the folder as it was;
#  - no O_TMPFILE (EOPNOTSUPP), or no /proc to link it through (ENOENT): the new version goes
#    through a hidden name and nothing stays;
#  - a read error after the first piece of the tournament (EIO): an error, never end of file;
#  - a folder given as the tournament: the message of a file that cannot be opened;
#  - a failed sync (EIO, ENOSPC, EDQUOT) of the new version, the page or the stylesheet, and a
#    failed write of the stylesheet: a failure, the folder as it was, no partial stylesheet;
#  - after each rename, the folder itself is synced; the new file is written in big blocks.
# Usage: save_faults.sh TOOL. Exit 0 all held, 1 a check failed, 77 strace cannot trace here.
set -u
tool=$(realpath "$1")
[ "${SAVE_FAULTS_SANITIZED:-0}" = 1 ] && { echo "SKIP: a sanitized build's own system calls shift the counted ones"; exit 77; }
command -v strace >/dev/null || { echo "SKIP: strace is not installed"; exit 77; }
strace -f -qq -o /dev/null true 2>/dev/null || { echo "SKIP: strace cannot trace here (no ptrace)"; exit 77; }

export TZ=UTC
umask 077 # a mode not passed on would show as 0600
work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
stamp='2005-12-06 14:30:05.123456789'
backup=cup_051206_143005.bak
# Over 256 KiB, so that reads and copies take more than one block, the last of a single byte.
awk 'BEGIN { n = 0; text = "Cup\n\nR1\n"
    for (i = 1; 2 * 262144 + 1 - n - length(text) > 20; i++) { printf "%s", text; n += length(text); text = "Spelare " i " " i % 50 "\n" }
    printf "%s", text; n += length(text); pad = 2 * 262144 + 1 - n
    for (i = 3; i < pad; i++) printf "y"; printf " 1\n" }' >"$work/old.txt"
printf 'an older page\n' >"$work/old.htm"

setup() { # folder [mode]
    rm -rf "$1" && mkdir "$1"
    cp "$work/old.txt" "$1/cup.txt" && cp "$work/old.htm" "$1/cup.htm"
    chmod "${2:-644}" "$1/cup.txt" "$1/cup.htm"
    touch -d "$stamp" "$1/cup.txt"
}
# Runs the tool traced; its exit code in $code, its output in $work/out and $work/err.
run() { # folder command strace-arguments...
    local dir=$1 command=$2
    shift 2
    strace -f -qq -y -o "$work/trace" "$@" "$tool" "$command" "$dir/cup.txt" >"$work/out" 2>"$work/err"
    code=$?
}
entries() { ls -A "$1" | tr '\n' ' '; }
# The state a refused or failed command must leave: the old tournament with its time, the old page.
as_before() { # folder what
    cmp -s "$1/cup.txt" "$work/old.txt" && cmp -s "$1/cup.htm" "$work/old.htm" &&
        [ "$(stat -c %y "$1/cup.txt")" = "$stamp +0000" ] &&
        [ "$(entries "$1")" = "cup.htm cup.txt " ] || fail "$2: the folder is not as it was: $(entries "$1")"
}
# The K-th call of NAME (counted as strace's when= counts) of a traced run whose line matches PATTERN.
nth() { # name pattern
    awk -v name="$1" -v pattern="$2" '{ sub(/^[0-9]+ +/, "") }
        index($0, name "(") == 1 { n++; if ($0 ~ pattern) { print n; exit } }' "$work/trace"
}

# What a plain run leaves: the references. The new file goes to the disk in blocks of 256 KiB,
# not a line or a block of the page at a time.
setup "$work/ref"
for command in rewrite table; do
    run "$work/ref" $command
    [ $code = 0 ] || { echo "FAIL: a plain $command did not succeed"; exit 1; }
    ext=txt && [ $command = table ] && ext=htm
    # Writes into the folder only: a sanitized build writes for itself too.
    writes=$(grep -E '^[0-9]+ +write\([0-9]+<' "$work/trace" | grep -c -F "<$work/ref/")
    blocks=$(($(stat -c %s "$work/ref/cup.$ext") / 262144 + 1))
    [ $command = table ] && blocks=$((blocks + 1)) # the stylesheet beside the page, in one write
    [ "$writes" -le "$blocks" ] || { echo "FAIL: $command: $writes writes for $blocks blocks of 256 KiB"; exit 1; }
done

# Modes and times kept, with a link and with a copy; the rename followed by the folder's sync.
for fault in none EPERM EXDEV EMLINK; do
    inject=()
    [ $fault != none ] && inject=(-e "inject=link,linkat:error=$fault")
    for mode in 0 600 640 664; do
        dir=$work/keep-$fault-$mode what="links $fault, mode $mode"
        setup "$dir" $mode
        for command in rewrite table; do
            ext=txt && [ $command = table ] && ext=htm
            run "$dir" $command "${inject[@]}"
            [ $code = 0 ] || fail "$what: $command exit $code: $(cat "$work/err")"
            synced=$(awk -v target="\"$dir/cup.$ext\"" -v folder="<$dir>) = 0" \
                '/^[0-9]+ +rename/ && index($0, target) { renamed = 1 } renamed && /fsync\(/ && index($0, folder) { print "yes"; exit }' \
                "$work/trace")
            [ "$synced" = yes ] || fail "$what: $command did not sync the folder after the rename"
        done
        cmp -s "$dir/cup.txt" "$work/ref/cup.txt" && cmp -s "$dir/cup.htm" "$work/ref/cup.htm" ||
            fail "$what: the new tournament or page differs from a plain run's"
        cmp -s "$dir/$backup" "$work/old.txt" || fail "$what: the backup is not the old file whole"
        [ "$(stat -c %a "$dir/cup.txt") $(stat -c %a "$dir/$backup") $(stat -c %a "$dir/cup.htm")" = "$mode $mode $mode" ] ||
            fail "$what: modes $(stat -c %a "$dir/cup.txt" "$dir/$backup" "$dir/cup.htm" | tr '\n' ' ')"
        [ "$(stat -c %y "$dir/$backup")" = "$(stat -c %y "$work/ref/$backup")" ] || fail "$what: the backup lost the old time"
        [ "$(entries "$dir")" = "cup.htm cup.txt $backup table.css " ] || fail "$what: the folder holds $(entries "$dir")"
    done
done

# The copy failing at each of its writes, and at each write after it.
setup "$work/copy"
run "$work/copy" rewrite -e inject=link,linkat:error=EPERM
writes=$(grep -c -E '^[0-9]+ +write\(' "$work/trace")
[ "$writes" -ge 3 ] || fail "the copy and the new file took $writes writes, fewer than the blocks of a big file"
for k in $(seq 1 "$writes"); do
    setup "$work/full"
    run "$work/full" rewrite -e inject=link,linkat:error=EPERM -e "inject=write:error=ENOSPC:when=$k"
    [ $code = 1 ] || fail "ENOSPC at write $k: exit $code"
    as_before "$work/full" "ENOSPC at write $k"
done

# A failed sync of the new tournament or the page (EIO, ENOSPC, EDQUOT, the last two read as a
# full disk) is a failure and leaves the folder as it was; of the stylesheet, the page stands
# and no stylesheet is left, so that the next page writes it whole. The folder's own sync after
# a rename undoes nothing and is not counted.
for command in rewrite table; do
    setup "$work/sync"
    run "$work/sync" $command
    syncs=$(awk -v folder="<$work/sync>" '{ sub(/^[0-9]+ +/, "") } /^fsync\(/ { n++; if (!index($0, folder ")")) print n }' "$work/trace")
    [ "$(echo $syncs | wc -w)" = "$([ $command = table ] && echo 2 || echo 1)" ] || fail "$command: file syncs $syncs"
    css=no
    for k in $syncs; do
        for e in EIO ENOSPC EDQUOT; do
            what="$e at $command's sync $k"
            setup "$work/sync"
            run "$work/sync" $command -e "inject=fsync:error=$e:when=$k"
            file=$work/sync/cup.txt && [ $command = table ] && file=$work/sync/cup.htm
            said="Disk full while accessing $file." && [ $e = EIO ] && said="A hardware I/O error was reported while accessing $file."
            if [ $css = no ]; then
                [ $code = 1 ] && [ "$(cat "$work/err")" = "$said" ] || fail "$what: exit $code: $(cat "$work/err")"
                as_before "$work/sync" "$what"
            else
                [ $code = 0 ] && cmp -s "$work/sync/cup.htm" "$work/ref/cup.htm" && [ "$(entries "$work/sync")" = "cup.htm cup.txt " ] ||
                    fail "$what (the stylesheet's): exit $code, $(entries "$work/sync")"
                run "$work/sync" table
                cmp -s "$work/sync/table.css" "$work/ref/table.css" || fail "$what: the next page did not write the stylesheet whole"
            fi
        done
        css=yes
    done
done

# A stylesheet whose write fails (ENOSPC at its one write, the last of the page's run) leaves
# none, and the next page writes it whole.
setup "$work/css"
run "$work/css" table
k=$(awk '{ sub(/^[0-9]+ +/, "") } /^write\(/ { n++ } END { print n }' "$work/trace")
setup "$work/css"
run "$work/css" table -e "inject=write:error=ENOSPC:when=$k"
[ $code = 0 ] && cmp -s "$work/css/cup.htm" "$work/ref/cup.htm" && [ "$(entries "$work/css")" = "cup.htm cup.txt " ] ||
    fail "ENOSPC at the stylesheet's write: exit $code, $(entries "$work/css")"
run "$work/css" table
cmp -s "$work/css/table.css" "$work/ref/table.css" || fail "after a failed stylesheet, the next page did not write it whole"

# Modes and times the file system can hold but failed to keep (EIO) stop the save and the page.
while read -r command inject; do
    setup "$work/lost"
    # shellcheck disable=SC2086
    run "$work/lost" "$command" $inject
    [ $code = 1 ] || fail "$inject: $command exit $code"
    as_before "$work/lost" "$inject: $command"
done <<EOF
rewrite -e inject=fchmod:error=EIO
table -e inject=fchmod:error=EIO
rewrite -e inject=link,linkat:error=EPERM -e inject=utimensat:error=EIO
EOF

# No O_TMPFILE (EOPNOTSUPP), or no /proc to link the unnamed file through (ENOENT on that link,
# the only linkat): the new version, the page and the stylesheet under a hidden name, renamed;
# nothing of it stays.
for fault in tmpfile proc; do
    for command in rewrite table; do
        inject=(-e inject=linkat:error=ENOENT)
        if [ $fault = tmpfile ]; then
            setup "$work/named"
            run "$work/named" $command
            inject=(-e "inject=openat:error=EOPNOTSUPP:when=$(nth openat O_TMPFILE)")
        fi
        setup "$work/named"
        run "$work/named" $command "${inject[@]}"
        what="no $fault: $command"
        [ $code = 0 ] || fail "$what exit $code: $(cat "$work/err")"
        [ $fault = tmpfile ] || { grep -q 'linkat(' "$work/trace" && ! grep 'linkat(' "$work/trace" | grep -q -v '"/proc/self/fd/'; } ||
            fail "$what: linkat is not the link through /proc alone"
        grep -q -E 'openat\(.*/\.cup\.(txt|htm)\.[0-9]+\.new", O_WRONLY\|O_CREAT\|O_EXCL' "$work/trace" ||
            fail "$what did not go through a hidden name"
        cmp -s "$work/named/cup.txt" "$work/ref/cup.txt" || [ $command = table ] || fail "$what: tournament differs"
        cmp -s "$work/named/cup.htm" "$work/ref/cup.htm" || [ $command = rewrite ] || fail "$what: page differs"
        cmp -s "$work/named/table.css" "$work/ref/table.css" || [ $command = rewrite ] || fail "$what: stylesheet differs"
        [ "$(entries "$work/named")" = "cup.htm cup.txt $([ $command = rewrite ] && echo "$backup ")$([ $command = table ] && echo "table.css ")" ] ||
            fail "$what left $(entries "$work/named")"
    done
done

# A read error after the first piece is an error, whatever the command; nothing is written.
setup "$work/eio"
run "$work/eio" check
k=$(awk '{ sub(/^[0-9]+ +/, "") } /^read\(/ { n++; if (index($0, "/cup.txt>") && ++reads == 2) { print n; exit } }' "$work/trace")
[ -n "$k" ] || fail "the tournament was read in fewer than two pieces"
missing=$("$tool" check "$work/none.txt" 2>&1)
for command in check standings rewrite table; do
    setup "$work/eio"
    run "$work/eio" $command -e "inject=read:error=EIO:when=${k:-2}"
    [ $code = 1 ] && [ -s "$work/err" ] && [ ! -s "$work/out" ] || fail "EIO on a later read: $command exit $code"
    as_before "$work/eio" "EIO on a later read: $command"
    # A folder is no tournament: the message of a file that cannot be opened.
    "$tool" $command "$work/eio" >"$work/out" 2>"$work/err"
    code=$?
    [ $code = 1 ] && [ "$(cat "$work/err")" = "${missing//$work\/none.txt/$work/eio}" ] ||
        fail "a folder as the tournament: $command exit $code: $(cat "$work/err")"
done

[ $failed = 0 ] && echo "modes, times, copies, hidden names, read errors and folder syncs held"
exit $failed
