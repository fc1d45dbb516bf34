#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build folder $1 into the folder $2 (emptied first) and
# checks that it holds what an install needs, under the version NEWS names.
set -eu
build=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
rm -rf "$out/_CPack_Packages"
deb=$(ls "$out"/ravelmark_*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no computed Qt dependency"; exit 1; }
news=$(sed -n '1s/^ravelmark (\([^)]*\)).*/\1/p' "$(dirname "$0")/../NEWS")
[ "$(dpkg-deb -f "$deb" Version)" = "$news" ] || { echo "version is not $news, as NEWS says"; exit 1; }
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
status=0
for path in usr/bin/ravelmark usr/bin/ravelmark-tool usr/libexec/ravelmark/ravelmark-open \
            usr/share/applications/se.ravelmark.Ravelmark.desktop \
            usr/share/metainfo/se.ravelmark.Ravelmark.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/ravelmark.svg \
            usr/share/icons/hicolor/16x16/apps/ravelmark.png usr/share/icons/hicolor/256x256/apps/ravelmark.png \
            usr/share/man/man1/ravelmark.1.gz usr/share/man/man1/ravelmark-tool.1.gz \
            usr/share/man/man5/ravelmark.5.gz usr/share/ravelmark/table.css \
            usr/share/doc/ravelmark/README.md usr/share/doc/ravelmark/copyright \
            usr/share/doc/ravelmark/changelog.gz; do
  echo "$contents" | grep -qx "\./$path" || { echo "missing: $path"; status=1; }
done
exit $status
