#!/usr/bin/env bash
# The FI examples of docs/formats.md hold: every table after a marker line
# names an FI and what it gives in its last two cells (the first backticked
# text of each), and `torvex expand FI C:/Trays/` must print exactly that, at
# the documents' moment (6 December 2026, 15:04), with no registry value,
# ARQ000.TXT and ARQ001.TXT in C:/Trays/OUTTRAY, and the ID files the
# file-content examples read.
# Usage: formats_examples_test.sh TORVEX FORMATS_MD
set -u
torvex=$1 doc=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/c/Trays/OUTTRAY" "$work/c/Trays/DATA" "$work/c/CFG"
touch "$work/c/Trays/OUTTRAY/ARQ000.TXT" "$work/c/Trays/OUTTRAY/ARQ001.TXT"
printf 'LOJA01\r\n' >"$work/c/CFG/ID.TXT"
printf 'LOJA02\r\n' >"$work/c/Trays/DATA/ID.TXT"
export TORVEX_DRIVES="C=$work/c" TORVEX_NOW=2026-12-06T15:04:00 TORVEX_REGISTRY=$work/none.reg

first_code() { sed -nE 's/^ *`([^`]*)`.*/\1/p' <<<"$1"; }
checked=0 failures=0
in_table=0
while IFS= read -r line; do
  if [[ $line == '<!-- each row below: torvex expand'* ]]; then in_table=1; continue; fi
  [[ $line == '|'* ]] || in_table=0
  [ "$in_table" = 1 ] || continue
  IFS='|' read -r -a cells <<<"$line"
  n=${#cells[@]}
  fi=$(first_code "${cells[n - 2]}") want=$(first_code "${cells[n - 1]}")
  [ -n "$fi" ] && [ -n "$want" ] || continue
  got=$("$torvex" expand "$fi" C:/Trays/)
  checked=$((checked + 1))
  if [ "$got" != "$want" ]; then
    echo "FAIL: $fi gives $got, the document says $want"
    failures=$((failures + 1))
  fi
done <"$doc"
echo "$checked FI examples checked, $failures wrong"
[ "$checked" -ge 20 ] && [ "$failures" -eq 0 ]
