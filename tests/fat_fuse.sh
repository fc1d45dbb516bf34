#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A tournament on a FAT file system reached through FUSE, as a USB stick often is: no hard
# links, no modes, times to two seconds. The real tool saves, saves again and writes the page
# twice; after unmounting and mounting the image anew, the tournament and the page must hold
# the bytes the same commands leave on an ordinary folder, and each backup the whole previous
# version with its time. A stylesheet whose write fails leaves none, and the next page writes it whole.
# Usage: fat_fuse.sh TOOL. Exit 0 all held, 1 a check failed, 77 no FAT through FUSE here.
set -u
tool=$(realpath "$1")
for program in mkfs.vfat fusefat fusermount; do
    command -v $program >/dev/null || { echo "SKIP: $program is not installed (dosfstools, fusefat)"; exit 77; }
done
[ -r /dev/fuse ] && [ -w /dev/fuse ] || { echo "SKIP: /dev/fuse is missing or not usable here"; exit 77; }

export TZ=UTC
work=$(mktemp -d)
mnt=
daemon=
# In the foreground and unmounted when it ends, so that a test killed on a timeout leaves no mount.
# Mounted when the mount is there, however long that takes; a daemon that ends first cannot mount
# here. Each mount on a folder of its own: the unmount helper of the one before, which may run
# late on a loaded machine, must not take the new one away.
mount_fat() {
    mnt=$work/mnt$((++mounts))
    mkdir "$mnt"
    fusefat -f -o rw+,auto_unmount "$work/fat.img" "$mnt" >/dev/null 2>&1 &
    daemon=$!
    for _ in $(seq 1200); do # a guard against a hang only
        mountpoint -q "$mnt" && return
        kill -0 "$daemon" 2>/dev/null || break
        sleep 0.1
    done
    kill "$daemon" 2>/dev/null
    echo "SKIP: fusefat cannot mount here"
    exit 77
}
unmount_fat() { fusermount -u "$mnt" && wait "$daemon"; }
cleanup() { mountpoint -q "$mnt" && unmount_fat; rm -rf "$work"; }
trap cleanup EXIT
mounts=0
mkdir "$work/plain"
truncate -s 32M "$work/fat.img" && mkfs.vfat "$work/fat.img" >/dev/null || { echo "FAIL: mkfs.vfat"; exit 1; }
mount_fat

failed=0
fail() { echo "FAIL: $*"; failed=1; }
mtime() { stat -c %Y "$1"; }
backup_of() { echo "cup_$(date -d "@$1" +%y%m%d_%H%M%S).bak"; } # from the file's time when read
# Padded names over 256 KiB, so that copies go in more than one block.
{ printf 'Cup\n\nR1\n'; for i in $(seq 1 20000); do printf 'Spelare %d %d\n' "$i" $((i % 50)); done; } >"$work/cup.txt"
for dir in "$mnt" "$work/plain"; do
    cp "$work/cup.txt" "$dir/cup.txt" && touch -d '2005-12-06 14:30:06' "$dir/cup.txt"
done

declare -A want=() # backup name -> file holding the bytes it must have
for step in rewrite rewrite table table; do
    if [ $step = rewrite ]; then
        old=$(mtime "$mnt/cup.txt")
        cp "$mnt/cup.txt" "$work/before-$old"
        want[$(backup_of "$old")]=$work/before-$old
    fi
    "$tool" $step "$mnt/cup.txt" >"$work/out" 2>&1 || fail "$step on FAT: $(cat "$work/out")"
    "$tool" $step "$work/plain/cup.txt" >/dev/null 2>&1 || fail "$step on an ordinary folder"
    # Not a wait for the tool: the clock must leave the two-second tick of this save, or a backup
    # stamped with the time of its making would pass for one that keeps the old time.
    [ $step = rewrite ] && sleep 2
done

# A stylesheet whose write fails (ENOSPC at its one write) leaves none and no hidden name, and
# the next page writes it whole (needs strace; leak checking, which cannot run traced, off).
if command -v strace >/dev/null && strace -f -qq -o /dev/null true 2>/dev/null; then
    traced() { ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -f -qq -e trace=write "$@"; }
    rm "$mnt/table.css"
    traced -y -o "$work/trace" "$tool" table "$mnt/cup.txt" >/dev/null 2>&1
    rm "$mnt/table.css"
    # Counted among the writes of the run, which a sanitizer's runtime may add to.
    css=$(grep '^[0-9]* *write(' "$work/trace" | grep -n -m 1 -E '^[0-9]* *write\([0-9]+<[^>]*table\.css' | cut -d: -f1)
    traced -o /dev/null -e "inject=write:error=ENOSPC:when=${css:-0}" \
        "$tool" table "$mnt/cup.txt" >"$work/out" 2>&1 || fail "ENOSPC at the stylesheet's write failed the page: $(cat "$work/out")"
    [ "$(ls -A "$mnt" | grep -c -e table.css -e '^\.')" = 0 ] || fail "a failed stylesheet left $(ls -A "$mnt" | tr '\n' ' ')"
    "$tool" table "$mnt/cup.txt" || fail "the page after a failed stylesheet"
fi

# What the image holds once the file system is gone and back.
unmount_fat && mount_fat
cmp -s "$mnt/cup.txt" "$work/plain/cup.txt" || fail "the tournament differs from the one saved on an ordinary folder"
cmp -s "$mnt/cup.htm" "$work/plain/cup.htm" || fail "the page differs from the one written on an ordinary folder"
cmp -s "$mnt/table.css" "$work/plain/table.css" || fail "the stylesheet differs from the one written on an ordinary folder"
for name in "${!want[@]}"; do
    [ -f "$mnt/$name" ] || { fail "no backup $name"; continue; }
    cmp -s "$mnt/$name" "${want[$name]}" || fail "backup $name is not the whole previous version"
    [ "$(mtime "$mnt/$name")" = "${want[$name]##*-}" ] || fail "backup $name does not keep the old time"
done
expected=$(printf '%s\n' cup.htm cup.txt table.css "${!want[@]}" | sort | tr '\n' ' ')
left=$(ls -A "$mnt" | sort | tr '\n' ' ')
[ "$left" = "$expected" ] || fail "the folder holds \"$left\", not \"$expected\""
[ $failed = 0 ] && echo "FAT through FUSE: two saves and two pages right on disk"
exit $failed
