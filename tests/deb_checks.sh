#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the package that deb_contents.sh made in the folder $2:
#   lintian    lintian -E --pedantic reports no error and no warning (infos are shown, and README.md
#              lists any that remain)
#   hardening  hardening-check passes on the three programs. Control-flow marks (IBT, SHSTK) are
#              not asked for: Debian 12 does not build with them, and its own start files
#              (Scrt1.o, crti.o) lack them, so no program linked there can carry them.
# Exits 77 (skipped) when the checker is not installed.
set -eu
deb=$(ls "$2"/ravelmark_*.deb)
case $1 in
lintian)
  command -v lintian >/dev/null || { echo "lintian is not installed (scripts/deps installs it)"; exit 77; }
  report=$(lintian -E -I --pedantic "$deb" 2>&1 || true)
  echo "$report"
  ! echo "$report" | grep -q -E '^[EW]: '
  ;;
hardening)
  command -v hardening-check >/dev/null || { echo "hardening-check is not installed (devscripts)"; exit 77; }
  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  dpkg-deb -x "$deb" "$root"
  hardening-check --nocfprotection "$root/usr/bin/ravelmark" "$root/usr/bin/ravelmark-tool" \
                  "$root/usr/libexec/ravelmark/ravelmark-open"
  ;;
esac
