#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Each folder includes only itself and the folders below it: model <- report <- files <- opener,
# server, publish <- ui, tools; model/ and report/ include neither Qt nor POSIX headers, so they build alone.
# The archive stands on report/ and files/ alone, without widgets; only ui/ and tools/ use it.
# Usage: include_layers.sh SOURCE-DIR. Exit 0 when every include keeps to that order.
set -u
cd "$1" || exit 1
# One grep and one awk over every include line: a process per line made this the slowest check.
git ls-files -- model report files archive opener server publish ui tools | grep -E '\.(cpp|h)$' |
    xargs -r grep -n -H '#[[:space:]]*include' | awk '
    BEGIN {
        allowed["model"] = "model"
        allowed["report"] = "model report"
        allowed["files"] = "model report files"
        allowed["archive"] = "model report files archive"
        allowed["opener"] = "model report files opener"
        allowed["server"] = "model report files server"
        allowed["publish"] = "model report files publish"
        allowed["ui"] = "model report files archive opener server publish ui"
        allowed["tools"] = "model report files archive opener server publish tools"
    }
    {
        folder = $0; sub(/\/.*/, "", folder)
        text = $0
        sub(/^[^:]*:[^:]*:/, "", text)
        where = substr($0, 1, length($0) - length(text) - 1)
        if (match(text, /^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]*\//)) {
            target = substr(text, 1, RLENGTH - 1); sub(/.*"/, "", target)
            if (target != "" && index(" " allowed[folder] " ", " " target " ") == 0)
                fail(folder "/ may not include " target "/")
        }
        if (folder == "archive" && text ~ /#[[:space:]]*include[[:space:]]*<Qt?(Widgets|Gui)[\/>]|<Q(Widget|Dialog|Application)>/)
            fail("archive/ uses no widgets")
        if ((folder == "model" || folder == "report") &&
            text ~ /#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]*|unistd\.h|fcntl\.h|sys\/[^>]*|dirent\.h|pthread\.h)>/)
            fail(folder "/ stays standard C++")
    }
    function fail(why) { print where ": " why ": " text; failed = 1 }
    END {
        if (failed) exit 1
        print "includes keep to the folders'"'"' order"
    }'
