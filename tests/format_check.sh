#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every C++ file of the tree is as clang-format leaves it (the style in .clang-format).
# Usage: format_check.sh SOURCE-DIR. Exit 0 formatted, 1 not, 77 clang-format-14 missing.
set -u
cd "$1" || exit 1
command -v clang-format-14 >/dev/null || { echo "SKIP: clang-format-14 is not installed"; exit 77; }
git ls-files '*.cpp' '*.h' | xargs -r clang-format-14 --dry-run -Werror --style=file
