#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The worked examples of a manual page, checked with the real tool. In the page's source, a
# comment ".\" doc-test file NAME" before an .nf block makes that block the file NAME; ".\"
# doc-test run" before a block whose first line is "$ ravelmark-tool ARGS" runs it and wants the
# rest of the block as its output; ".\" doc-test page" wants the block as what the page of the
# tournament just written says after its table, tags dropped, one line per paragraph or note.
# Usage: man_example.sh TOOL MANPAGE. Exit 0 all held, 1 an example does not.
set -u
tool=$(realpath "$1")
page=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
# Each marked block as "KIND ARG" then its lines, the roff escapes of the examples undone.
awk '/^\.\\" doc-test / { kind = $3 " " $4; want = 1; next }
     want && /^\.nf/ { inside = 1; n++; print kind > ("block" n); next }
     inside && /^\.(RS|PP)/ { next }
     inside && /^\.RE/ { inside = 0; want = 0; next }
     inside { print > ("block" n) }' "$page"
failed=0
last=
for block in $(ls block* 2>/dev/null | sort -V); do
    sed -i -e 's/\\(oa/å/g; s/\\(:a/ä/g; s/\\(:o/ö/g; s/\\(Oa/Å/g; s/\\(:A/Ä/g; s/\\(:O/Ö/g; s/\\-/-/g; s/\\\[u2212\]/−/g; s/\\(->/→/g' "$block"
    read -r kind arg <"$block"
    case $kind in
    file)
        tail -n +2 "$block" >"$arg"
        [[ $arg == *.txt ]] && last=$arg ;;
    run)
        command=$(sed -n 2p "$block")
        read -r -a words <<<"${command#\$ ravelmark-tool }"
        got=$("$tool" "${words[@]}" 2>&1)
        want=$(tail -n +3 "$block")
        [ "$got" = "$want" ] || { echo "FAIL: $command"; diff <(echo "$want") <(echo "$got"); failed=1; } ;;
    page)
        "$tool" table "$last" || { echo "FAIL: no page of $last"; failed=1; continue; }
        got=$(sed -n '/^<\/table>/,$p' "${last%.txt}.htm" | tr -d '\r' | sed -e 's/<br>$//; s/<[^>]*>//g' | grep -v '^$')
        want=$(tail -n +2 "$block")
        [ "$got" = "$want" ] || { echo "FAIL: the page of $last"; diff <(echo "$want") <(echo "$got"); failed=1; } ;;
    esac
done
[ -n "$last" ] || { echo "FAIL: no example found in $page"; failed=1; }
exit $failed
