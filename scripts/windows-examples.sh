# The example hosts examples/round.js and examples/round.vbs under Wine: each
# runs a full upload and download round on a tree of its own, then a round
# with an archive that cannot be delivered, which it must report with exit
# status 1. Sourced by scripts/windows-test.sh, whose helpers (run, pass,
# fail, received) and settings (drive_c, sys, work, cli, root) it uses.

example_round() {  # NAME SCRIPT: SCRIPT in the current architecture's cscript
  local name=$1 script=$2 dir=$drive_c/e2e/$1 win="C:\\e2e\\$1" actual expected
  rm -rf "$dir" && mkdir -p "$dir/Dados" "$dir/Saida" "$dir/Entrada" "$dir/Chegada"
  cp "$root/examples/$script" "$drive_c/e2e/"
  printf 'relatorio\r\n' >"$dir/Dados/relat.txt"
  printf 'linha 1\r\n' >"$dir/Chegada/log.txt"
  received "$dir/Entrada" D00001 "$win\\Chegada\\novo.txt" R $'novo\r\n'
  received "$dir/Entrada" D00002 "$win\\Chegada\\log.txt" A $'linha 2\r\n'
  local args=("$win\\Troca" "$win\\Dados\\*.txt" "$win\\Saida" "$win\\Entrada")

  run "$name" "$sys\\cscript.exe" //nologo "$script" "${args[@]}"
  actual=$(tr -d '\r' <"$work/$name.raw" | sed -E 's|^(delivered .*) at [0-9/]+ [0-9:]+$|\1 at TIME|')
  expected=$(printf '%s\n' "sent F1_relat_txt.ARJ and F1_relat_txt.DAT" \
    "delivered D00001.ARJ (stamp $stamp) to C:/e2e/$name/Chegada/novo.txt at TIME" \
    "delivered D00002.ARJ (stamp $stamp) to C:/e2e/$name/Chegada/log.txt at TIME" \
    "round 1 done")
  if [ "$actual" = "$expected" ] && [ ! -s "$work/$name.err" ]; then pass "$name output"; else
    fail "$name output"; diff <(echo "$expected") <(echo "$actual"); cat "$work/$name.err"
  fi
  [ -f "$dir/Saida/F1_relat_txt.DAT" ] &&
    [ "$(cd "$dir/Saida" && "$cli" arj 't "F1_relat_txt.ARJ"' 2>/dev/null)" = 0 ] &&
    [ -z "$(find "$dir/Dados" "$dir/Entrada" "$dir/Troca/OUTTRAY/WORK" -type f)" ] &&
    [ ! -e "$dir/Troca/OUTTRAY/ContDown.dat" ] &&
    [ "$(cat "$dir/Chegada/novo.txt")" = $'novo\r' ] &&
    [ "$(cat "$dir/Chegada/log.txt")" = $'linha 1\r\nlinha 2\r' ] &&
    pass "$name sent, delivered and cleaned up" || fail "$name files after the round"

  received "$dir/Entrada" D00003 "$win\\NaoHa\\x.txt" R $'sem destino\r\n'
  run "$name-stuck" "$sys\\cscript.exe" //nologo "$script" "${args[@]}"
  # The message goes to stderr where the host has one (not under Wine).
  grep -q '^exit 1' "$work/$name-stuck.raw" &&
    cat "$work/$name-stuck.raw" "$work/$name-stuck.err" | grep -q 'could not be delivered' &&
    [ -f "$dir/Troca/INTRAY/WORK/D00003.ARJ" ] &&
    pass "$name reports the archive it could not deliver" || fail "$name with an undeliverable archive"
}

example_rounds() {  # PREFIX: both examples, named PREFIX-example_js and -example_vbs
  example_round "$1-example_js" round.js
  example_round "$1-example_vbs" round.vbs
}
