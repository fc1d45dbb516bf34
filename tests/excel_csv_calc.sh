#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The standings as `--format excel` writes them, opened by LibreOffice Calc as a spreadsheet set
# up for ';' between fields opens them, the character set left to Calc (it takes it from the
# byte-order mark), and saved back as ',' CSV: every field comes back in its own column with its
# letters as `--format csv` has them. Usage: excel_csv_calc.sh TOOL. Exit 77 without soffice.
set -u
tool=$1
if ! command -v soffice >/dev/null; then
    echo "soffice is not installed (libreoffice-calc-nogui): skipped"
    exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'V\xe5rcup\n\nOmg\xe5ng 1\n\xc5sa \xd6berg 7\nBerg; Anna 5\nKalle "K" 3\n\nR2, final\n\xc5sa \xd6berg 2\nLund, \xc4lva 9\n' >"$dir/cup.txt"
"$tool" standings "$dir/cup.txt" --format excel >"$dir/excel.csv" || exit 1
"$tool" standings "$dir/cup.txt" --format csv >"$dir/plain.csv" || exit 1
# A profile of its own: other runs of Calc may be going on.
timeout 120 soffice -env:UserInstallation="file://$dir/profile" --headless --infilter="CSV:59,34,,1" \
    --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir "$dir/out" "$dir/excel.csv" >"$dir/log" 2>&1
if [ ! -s "$dir/out/excel.csv" ]; then
    echo "Calc did not convert the file:"
    cat "$dir/log"
    exit 1
fi
python3 - "$dir/plain.csv" "$dir/out/excel.csv" <<'PY'
import csv, sys
def rows(path):
    with open(path, newline='', encoding='utf-8') as f:
        return list(csv.reader(f))
want, got = rows(sys.argv[1]), rows(sys.argv[2])
if want != got:
    print("written:", want, "\nCalc read:", got)
    sys.exit(1)
print("Calc reads", len(got), "rows of", len(got[0]), "columns as written")
PY
