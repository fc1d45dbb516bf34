#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Each folder includes only itself and the folders below it: model <- report <- files <- opener,
# server, publish <- ui, tools; model/ and report/ include neither Qt nor POSIX headers, so they build alone.
# The archive stands on report/ and files/ alone, without widgets; only ui/ and tools/ use it.
# Usage: include_layers.sh SOURCE-DIR. Exit 0 when every include keeps to that order.
set -u
cd "$1" || exit 1
declare -A allowed=(
    [model]="model"
    [report]="model report"
    [files]="model report files"
    [archive]="model report files archive"
    [opener]="model report files opener"
    [server]="model report files server"
    [publish]="model report files publish"
    [ui]="model report files archive opener server publish ui"
    [tools]="model report files archive opener server publish tools"
)
failed=0
for folder in "${!allowed[@]}"; do
    while IFS=: read -r file line text; do
        target=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\)\/.*/\1/p' <<<"$text")
        if [ -n "$target" ] && [[ " ${allowed[$folder]} " != *" $target "* ]]; then
            echo "$file:$line: $folder/ may not include $target/: $text"
            failed=1
        fi
        if [ "$folder" = archive ] && grep -qE '#[[:space:]]*include[[:space:]]*<Qt?(Widgets|Gui)[/>]|<Q(Widget|Dialog|Application)>' <<<"$text"; then
            echo "$file:$line: archive/ uses no widgets: $text"
            failed=1
        fi
        if [[ $folder =~ ^(model|report)$ ]] &&
            grep -qE '#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]*|unistd\.h|fcntl\.h|sys/[^>]*|dirent\.h|pthread\.h)>' <<<"$text"; then
            echo "$file:$line: $folder/ stays standard C++: $text"
            failed=1
        fi
    done < <(git ls-files "$folder" | grep -E '\.(cpp|h)$' | xargs -r grep -n -H '#[[:space:]]*include')
done
[ "$failed" = 0 ] && echo "includes keep to the folders' order"
exit "$failed"
