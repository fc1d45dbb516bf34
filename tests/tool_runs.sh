#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ravelmark-tool as a user runs it: each command on a good, a refused and a missing file, the
# examples saved and saved again, a tournament reached through a symbolic link, usage errors,
# output lost on a full disk, a backup name too long or a dangling link, a write-protected folder
# met by a user who is not root, and (as root, on small tmpfs
# mounts) a read-only folder, a full disk and a page that fills the disk
# while written. Checked: exit codes, that failures say something, and the files left.
# Usage: tool_runs.sh TOOL EXAMPLES. Exit 0 all held, 1 a check failed.
set -u
tool=$(realpath "$1")
examples=$(realpath "$2")
work=$(mktemp -d)
mounts=()
cleanup() { for m in "${mounts[@]}"; do umount "$m"; done; rm -rf "$work"; }
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
entries() { LC_ALL=C ls -A "$1" | tr '\n' ' '; }

# Runs the tool in folder $1 on $1/cup.txt with the arguments; "code|out?|err?" says whether
# it printed to each stream, the folder's names follow.
run() { # folder command args...
    local dir=$1 code
    shift
    "$tool" "$@" >"$work/out" 2>"$work/err"
    code=$?
    echo "$code|$([ -s "$work/out" ] && echo out)|$([ -s "$work/err" ] && echo err)|$(entries "$dir")"
}
setup() { # folder file-bytes
    rm -rf "$1" && mkdir -p "$1"
    [ -z "$2" ] || { printf '%b' "$2" >"$1/cup.txt" && touch -d '2005-12-06 14:30:05' "$1/cup.txt"; }
}

# shellcheck disable=SC2034 # read as ${!file}
good='Cup\n\nR1\nAnna 5\nBo 3\n' refused='Cup\n\nR1\nAnna 5\nKalle\n'
backup=cup_051206_143005.bak
while read -r command file expected; do
    dir=$work/$command-$file
    setup "$dir" "${!file:-}"
    got=$(run "$dir" "$command" "$dir/cup.txt")
    [ "$got" = "${expected//+/ }" ] || fail "$command on a $file file: $got, not ${expected//+/ }"
    [ "$file" = good ] || [ ! -f "$dir/cup.txt" ] || cmp -s "$dir/cup.txt" <(printf '%b' "${!file}") ||
        fail "$command on a $file file changed it"
done <<EOF
check good 0|||cup.txt+
standings good 0|out||cup.txt+
table good 0|||cup.htm+cup.txt+table.css+
rewrite good 0|||cup.txt+${backup}+
check refused 1||err|cup.txt+
standings refused 1||err|cup.txt+
table refused 1||err|cup.txt+
rewrite refused 1||err|cup.txt+
check missing 1||err|
standings missing 1||err|
table missing 1||err|
rewrite missing 1||err|
EOF

# Usage errors: code 2, a word on standard error, nothing written.
dir=$work/usage
setup "$dir" "$good"
f=$dir/cup.txt
while read -r -a args; do
    got=$(run "$dir" "${args[@]//FILE/$f}")
    [ "$got" = "2||err|cup.txt " ] || fail "usage error ${args[*]}: $got"
done <<EOF
check
frobnicate FILE
check FILE FILE
--help check
check FILE --open
table FILE --format csv
rewrite --after 1 FILE
standings FILE --format xml
standings FILE --format
standings FILE --after
standings FILE --after 0
standings FILE --after 1x
standings --csv FILE
table FILE --after 2
EOF
[ "$(run "$dir" --help)" = "0|out||cup.txt " ] || fail "--help"
"$tool" standings "$f" >/dev/full 2>/dev/null
[ $? = 1 ] || fail "standings to a full disk did not fail"

# A backup name longer than the file system takes: nothing is written.
long=$(printf 'a%.0s' $(seq 240))
printf '%b' "$good" >"$dir/$long.txt"
[ "$(run "$dir" rewrite "$dir/$long.txt")" = "1||err|$long.txt cup.txt " ] &&
    [ "$(cat "$work/err")" = "$dir/${long}_$(date -r "$dir/$long.txt" +%y%m%d_%H%M%S).bak contains an invalid path." ] ||
    fail "a backup name too long: $(cat "$work/err")"

# A tournament named *.htm: its page would be itself, which is never written over.
dir=$work/htm
mkdir "$dir" && printf '%b' "$good" >"$dir/cup.htm"
[ "$(run "$dir" table "$dir/cup.htm")" = "1||err|cup.htm " ] && cmp -s "$dir/cup.htm" <(printf '%b' "$good") ||
    fail "the page of a tournament named cup.htm"

# Saved as on close: the old bytes under the backup name from the file's own time, and a file
# that reads back to the same standings and saves to the same bytes again; names padded in
# characters.
while IFS='|' read -r name line; do
    dir=$work/trip-$name f=$work/trip-$name/$name.txt
    mkdir "$dir" && cp "$examples/$name.txt" "$f" && touch -d '2005-12-06 14:30:05' "$f"
    standings=$("$tool" standings "$f")
    [ "$(run "$dir" rewrite "$f")" = "0|||$name.txt ${name}_051206_143005.bak " ] || fail "rewrite $name: $(cat "$work/err")"
    cmp -s "$dir/${name}_051206_143005.bak" "$examples/$name.txt" || fail "$name: the backup is not the old file"
    [ "$("$tool" standings "$f")" = "$standings" ] || fail "$name: the saved file reads back otherwise"
    grep -q -F "$(printf '%b' "$line")" "$f" || fail "$name: no line \"$line\""
    cp "$f" "$work/saved" && rm "$dir"/*.bak && "$tool" rewrite "$f" && cmp -s "$f" "$work/saved" || fail "$name: saved again otherwise"
done <<EOF
klubbkamp|Bo       7\r
varserien-2024|\r
sommarcupen-utf8|\xC3\x85sa \xC3\x96berg            12\r
EOF

# A symbolic link stays and its target is saved, the backup beside the target; a backup name
# taken by a dangling link is left as it is, the backup counted beside it.
dir=$work/links
setup "$dir" "$good"
mkdir "$dir/sub" && ln -s ../cup.txt "$dir/sub/link.txt"
[ "$(run "$dir" rewrite "$dir/sub/link.txt")" = "0|||cup.txt $backup sub " ] && [ -L "$dir/sub/link.txt" ] &&
    [ "$(ls -A "$dir/sub")" = link.txt ] && cmp -s "$dir/$backup" <(printf '%b' "$good") || fail "rewrite through a link"
setup "$dir" "$good"
ln -s nowhere "$dir/$backup"
[ "$(run "$dir" rewrite "$dir/cup.txt")" = "0|||cup.txt ${backup%.bak}-2.bak $backup " ] &&
    [ "$(readlink "$dir/$backup")" = nowhere ] && cmp -s "$dir/${backup%.bak}-2.bak" <(printf '%b' "$good") ||
    fail "a backup name taken by a dangling link"

# A write-protected folder met by a user who is not root (root passes any mode bits; as root the
# case runs as nobody, in a folder of its own that nobody may enter): the save and the page
# cannot create their file, say so as the window does, and leave the folder as it was.
user=()
[ "$(id -u)" != 0 ] || user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
dir=$work/protected
setup "$dir" "$good" && chmod 711 "$work" && chmod 555 "$dir"
for command in rewrite table; do
    "${user[@]}" "$tool" $command "$dir/cup.txt" >"$work/out" 2>"$work/err"
    code=$?
    page=$dir/cup.txt && [ $command = table ] && page=$dir/cup.htm
    [ $code = 1 ] && [ "$(cat "$work/err")" = "Kan inte skapa filen: $page" ] && [ "$(entries "$dir")" = "cup.txt " ] &&
        cmp -s "$dir/cup.txt" <(printf '%b' "$good") || fail "$command in a write-protected folder: $code $(cat "$work/err")"
done
chmod 700 "$work" && chmod 755 "$dir"

# serve and publish --watch never publish a file refused while it is written (its rounds before
# the refused line), not even when the rules and the stylesheet beside it change meanwhile: the
# next page is the whole file's. A change of the rules alone is published too. Each step waits for the tools' own lines, at most 20 s.
seen() { for _ in $(seq 200); do [ "$(grep -c "$2" "$dir/$1")" -ge "${3:-1}" ] && return 0; sleep 0.1; done; return 1; }
dir=$work/follow
setup "$dir" "$good" && mkdir "$dir/site"
"$tool" serve "$dir/cup.txt" --bind 127.0.0.1 --port 18742 >"$dir/serve" 2>&1 &
serving=$!
"$tool" publish "$dir/cup.txt" --watch --to "$dir/site" >"$dir/watch" 2>&1 &
watching=$!
replace() { printf '%b' "$1" >"$dir/new" && mv "$dir/new" "$dir/cup.txt"; }
seen serve "^Sidan följer" && seen watch "^Publicerar när" && replace "$refused" &&
    seen serve "sidan visar det som lästes senast" && seen watch "(publiceras inte)" &&
    printf 'bästa = 1\n' >"$dir/cup.regler" && echo 'body { color: teal }' >"$dir/table.css" &&
    seen serve "sidan visar dem när filen kan läsas" && ! grep -q "Sidan uppdaterad" "$dir/serve" &&
    replace "$good"'\nR2\nCilla 4\n' && seen serve "Sidan uppdaterad" && seen watch "Publicerad och kontrollerad" 2 &&
    [ "$(grep -c "Publicerad och kontrollerad" "$dir/watch")" = 2 ] && grep -q Cilla "$dir/site/cup.htm" &&
    printf 'bästa = 2\n' >"$dir/cup.regler" && seen watch "Publicerad och kontrollerad" 3 &&
    grep -aq "De 2 b" "$dir/site/cup.htm" || fail "a refused file followed: $(cat "$dir/serve" "$dir/watch")"
kill "$serving" "$watching" && wait "$serving" "$watching" || fail "serve or publish --watch did not end in order"

# Write failures on small file systems: code 1, the tournament and an older page as they were.
tmpfs() { # folder
    mkdir -p "$1" && mount -t tmpfs -o size=2M,mode=0755 tmpfs "$1" 2>/dev/null && mounts+=("$1")
}
if tmpfs "$work/probe"; then
    # shellcheck disable=SC2034 # read as ${!file}
    big='Cup\n\nR1\n'$(for i in $(seq 0 19999); do printf 'Player %d %d\\n' "$i" $((i % 50)); done)
    while read -r command fault file; do
        dir=$work/m-$command-$fault-$file
        tmpfs "$dir" || { fail "cannot mount $dir"; continue; }
        printf '%b' "${!file}" >"$dir/cup.txt" && touch -d '2005-12-06 14:30:05' "$dir/cup.txt"
        printf 'an older page\n' >"$dir/cup.htm"
        left="cup.htm cup.txt "
        case $fault in
        readonly) mount -o remount,ro "$dir" ;;
        full) cat /dev/zero >"$dir/filler" 2>/dev/null; left="cup.htm cup.txt filler " ;;
        esac
        got=$(run "$dir" "$command" "$dir/cup.txt")
        [ "$got" = "1||err|$left" ] || fail "$command, $fault, $file file: $got"
        cmp -s "$dir/cup.txt" <(printf '%b' "${!file}") && [ "$(cat "$dir/cup.htm")" = "an older page" ] ||
            fail "$command, $fault, $file file: the tournament or the page changed"
    done <<EOF
table readonly good
rewrite readonly good
table full good
table fills big
rewrite full big
rewrite full good
EOF
    # A folder that takes no stylesheet is no failure: the page's name is a link into a writable
    # folder, so the page is written while its own folder stays read-only.
    dir=$work/m-css
    tmpfs "$dir" && printf '%b' "$good" >"$dir/cup.txt" && echo older >"$work/elsewhere.htm" && ln -s "$work/elsewhere.htm" "$dir/cup.htm" &&
        mount -o remount,ro "$dir" || fail "cannot mount $dir"
    [ "$(run "$dir" table "$dir/cup.txt")" = "0|||cup.htm cup.txt " ] && grep -q '^<html>' "$work/elsewhere.htm" ||
        fail "a page beside a read-only folder's missing stylesheet"
else
    echo "(no tmpfs mounts here, needs root: read-only and full folders not tried)"
fi
[ $failed = 0 ] && echo "every command's exit code and files held"
exit $failed
