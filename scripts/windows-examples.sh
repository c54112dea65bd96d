# The example hosts examples/round.js and examples/round.vbs under Wine: each
# runs a full upload and download round on a tree of its own, then a round
# with an archive that cannot be delivered, which it must report with exit
# status 1. Sourced by scripts/windows-test.sh, whose helpers (check, run,
# received) and settings (arch, drive_c, sys, work, cli, root, stamp) it uses.

# NAME SCRIPT: C:\e2e\NAME with files to send, two received archives and
# SCRIPT beside it.
example_tree() {
  local name=$1 dir=$drive_c/e2e/$1 win="C:\\e2e\\$1"
  rm -rf "$dir" && mkdir -p "$dir/Dados" "$dir/Saida" "$dir/Entrada" "$dir/Chegada"
  cp "$root/examples/$2" "$drive_c/e2e/"
  printf 'relatorio\r\n' >"$dir/Dados/relat.txt"
  printf 'linha 1\r\n' >"$dir/Chegada/log.txt"
  received "$dir/Entrada" D00001 "$win\\Chegada\\novo.txt" R $'novo\r\n'
  received "$dir/Entrada" D00002 "$win\\Chegada\\log.txt" A $'linha 2\r\n'
}

example_run() {  # RUN_NAME TREE SCRIPT
  local win="C:\\e2e\\$2"
  run "$1" "$sys\\cscript.exe" //nologo "$3" "$win\\Troca" "$win\\Dados\\*.txt" "$win\\Saida" "$win\\Entrada"
}

# NAME SCRIPT: the round prints what it sent and delivered, and leaves the
# archive and its record in the outbox, the files delivered, nothing behind.
example_round_goes() {
  local name=$1 dir=$drive_c/e2e/$1 actual expected
  example_tree "$name" "$2"
  example_run "$name" "$name" "$2"
  actual=$(tr -d '\r' <"$work/$name.raw" | sed -E 's|^(delivered .*) at [0-9/]+ [0-9:]+$|\1 at TIME|')
  expected=$(printf '%s\n' "sent F1_relat_txt.ARJ and F1_relat_txt.DAT" \
    "delivered D00001.ARJ (stamp $stamp) to C:/e2e/$name/Chegada/novo.txt at TIME" \
    "delivered D00002.ARJ (stamp $stamp) to C:/e2e/$name/Chegada/log.txt at TIME" \
    "round 1 done")
  diff <(echo "$expected") <(echo "$actual") && [ ! -s "$work/$name.err" ] &&
    [ -f "$dir/Saida/F1_relat_txt.DAT" ] &&
    [ "$(cd "$dir/Saida" && "$cli" arj 't "F1_relat_txt.ARJ"' 2>/dev/null)" = 0 ] &&
    [ -z "$(find "$dir/Dados" "$dir/Entrada" "$dir/Troca/OUTTRAY/WORK" -type f)" ] &&
    [ ! -e "$dir/Troca/OUTTRAY/ContDown.dat" ] &&
    [ "$(cat "$dir/Chegada/novo.txt")" = $'novo\r' ] &&
    [ "$(cat "$dir/Chegada/log.txt")" = $'linha 1\r\nlinha 2\r' ]
}

# NAME SCRIPT: after example_round_goes, an archive for a folder that does
# not exist: the round says so (on stderr where the host has one, not under
# Wine) and exits 1, and the archive waits.
example_reports_stuck() {
  local name=$1 dir=$drive_c/e2e/$1
  received "$dir/Entrada" D00003 "C:\\e2e\\$name\\NaoHa\\x.txt" R $'sem destino\r\n'
  example_run "$name-stuck" "$name" "$2"
  grep -q '^exit 1' "$work/$name-stuck.raw" &&
    cat "$work/$name-stuck.raw" "$work/$name-stuck.err" | grep 'could not be delivered' &&
    [ -f "$dir/Troca/INTRAY/WORK/D00003.ARJ" ]
}

example_checks() {  # both examples in the current architecture's script host
  local script
  for script in round.js round.vbs; do
    check $arch "examples/$script: a full upload and download round" \
      example_round_goes "$arch-example_${script#*.}" "$script"
    check $arch "examples/$script: reports an archive it cannot deliver" \
      example_reports_stuck "$arch-example_${script#*.}" "$script"
  done
}
