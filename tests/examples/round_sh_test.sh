#!/usr/bin/env bash
# Runs examples/round.sh as an operations team would: a first round that
# sends two files and delivers three received archives (new file, append,
# numbered message), a second round that must use a new number, and a round
# with an archive that cannot be delivered, a file that cannot be packed and
# an archive without its record, which must say so and exit 1.
# Usage: round_sh_test.sh TORVEX ROUND_SH
set -u
torvex=$1 round=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
c=$work/c out=$work/out in=$work/in
mkdir -p "$c/Dados" "$c/Chegada" "$out" "$in" "$work/mk"
failures=0
check() {  # DESCRIPTION COMMAND...: counts a failure when the command fails
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
contains() { grep -qF -- "$2" "$1"; }

received() {  # NAME FI CODE DATA: a received archive in the inbox
  (cd "$work/mk" && rm -f ./* &&
    printf '%s\r\n' "$2" '0000'"${1:4:2}"'.01+202612051403+' "$3" >"$1.FN" &&
    printf '%s' "$4" >"$1.ARQ" &&
    "$torvex" arj "a \"$1.ARJ\" \"$1.FN\"" >/dev/null 2>&1 &&
    "$torvex" arj "a \"$1.ARJ\" \"$1.ARQ\"" >/dev/null 2>&1 &&
    mv "$1.ARJ" "$in/")
}
round() {  # N: runs round N, output in round.N.out/.err, status in .rc
  TORVEX=$torvex "$round" "$c" 'C:/Dados/*.txt' "$out" "$in" >"$work/round.$1.out" 2>"$work/round.$1.err"
  echo $? >"$work/round.$1.rc"
}

# --- Round 1: everything goes ---------------------------------------------------
printf 'relatorio\r\n' >"$c/Dados/relat.txt"
printf 'nota\r\n' >"$c/Dados/nota 2.txt"
printf 'linha 1\r\n' >"$c/Chegada/log.txt"
received D00001 '&QVDIR\..\Chegada\relatorio.txt' R $'conteudo 1\r\n'
received D00002 'C:\Chegada\log.txt' A $'linha 2\r\n'
received D00003 '&QVDIR\..\Chegada\relatorio.txt' M $'conteudo 3\r\n'
round 1
check "round 1 exits 0" [ "$(cat "$work/round.1.rc")" = 0 ]
check "round 1 says nothing on stderr" [ ! -s "$work/round.1.err" ]
for f in F1_relat_txt.ARJ F1_relat_txt.DAT 'F1_nota 2_txt.ARJ' 'F1_nota 2_txt.DAT'; do
  check "sent $f" [ -f "$out/$f" ]
done
check "the sent archive tests good" [ "$("$torvex" arj "t \"$out/F1_relat_txt.ARJ\"" 2>/dev/null)" = 0 ]
check "the sent record names the source" contains "$out/F1_relat_txt.DAT" "C:/Dados/relat.txt"
check "nothing left to send" [ -z "$(ls "$c/Troca/OUTTRAY/WORK")" ]
check "sources retired" [ -z "$(ls "$c/Dados")" ]
check "D00001 delivered to a new file" [ "$(cat "$c/Chegada/relatorio.txt")" = $'conteudo 1\r' ]
check "D00002 appended" [ "$(cat "$c/Chegada/log.txt")" = $'linha 1\r\nlinha 2\r' ]
check "D00003 numbered beside it" [ "$(cat "$c/Chegada/M00001.QVX")" = $'conteudo 3\r' ]
check "three deliveries reported" [ "$(grep -c '^delivered D0000[123].ARJ' "$work/round.1.out")" = 3 ]
check "the record's path keeps its .." contains "$work/round.1.out" "to C:/Troca/../Chegada/relatorio.txt"
check "control file read and deleted" [ ! -e "$c/Troca/OUTTRAY/ContDown.dat" ]
check "inbox emptied" [ -z "$(ls "$in")" ]
check "round 1 done" contains "$work/round.1.out" "round 1 done"

# --- Round 2: a new number --------------------------------------------------------
printf 'relatorio 2\r\n' >"$c/Dados/relat.txt"
round 2
check "round 2 exits 0" [ "$(cat "$work/round.2.rc")" = 0 ]
check "round 2 packs with number 2" [ -f "$out/F2_relat_txt.ARJ" ]
check "round 1's archive untouched" [ "$("$torvex" arj "t \"$out/F1_relat_txt.ARJ\"" 2>/dev/null)" = 0 ]

# --- Round 3: what stays is reported ----------------------------------------------
received D00004 'C:\NaoHa\x.txt' R $'sem destino\r\n'
printf 'preso\r\n' >"$c/Dados/preso.txt"
# An archive of this round's name waiting with another file's record: that
# file's only copy, so preso.txt waits; and an archive without its record.
printf 'other' >"$c/Troca/OUTTRAY/WORK/F3_preso_txt.ARJ"
printf 'C:/Outro/preso.txt\r\n01/12/2026 10:00:00\r\n' >"$c/Troca/OUTTRAY/WORK/F3_preso_txt.DAT"
printf 'orphan' >"$c/Troca/OUTTRAY/WORK/F9_velho_txt.ARJ"
round 3
check "round 3 exits 1" [ "$(cat "$work/round.3.rc")" = 1 ]
check "the stuck archive is reported" contains "$work/round.3.err" "could not be delivered"
check "the stuck archive stays" [ -f "$c/Troca/INTRAY/WORK/D00004.ARJ" ]
check "the file left unpacked is reported" contains "$work/round.3.err" "stayed"
check "the file left unpacked stays" [ -f "$c/Dados/preso.txt" ]
check "the archive without its record is reported" contains "$work/round.3.err" "F9_velho_txt.ARJ has no record"
check "and not sent" [ ! -e "$out/F9_velho_txt.ARJ" ]
check "the archive waiting with the other file is sent" [ "$(cat "$out/F3_preso_txt.ARJ")" = other ]
received D00004 'C:\Chegada\outro.txt' R $'outro\r\n'
round 4
check "the file that waited is packed now" [ -f "$out/F4_preso_txt.ARJ" ]
check "an archive of a waiting name is left in the inbox" [ -f "$in/D00004.ARJ" ]
check "and reported" contains "$work/round.4.err" "D00004.ARJ already waits"

if [ "$failures" -ne 0 ]; then
  for f in "$work"/round.*.out "$work"/round.*.err; do echo "== $f"; cat "$f"; done
  exit 1
fi
