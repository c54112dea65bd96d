# Files held open by another program, and what durability costs, under Wine
# through each architecture's torvex.dll. Sourced by scripts/windows-test.sh,
# whose helpers (check, record, received) and settings (arch, bin, start,
# drive_c, work, cli) it uses; held_checks runs them for the current
# architecture.
#
# windows/test/holder.exe keeps a file open as an editor or a host reading it
# would; windows/test/exchange.exe calls the DLL's methods early-bound and
# counts the FlushFileBuffers calls the DLLs make (in their import tables).
#   (a) an upload source held open (no delete share): packed and published
#       once; its retire waits in the journal and no later upload packs it
#       again; once it is let go, the next call retires it (deleted, or moved
#       to its rename target);
#   (b) the host holds ContDown.dat during a pass, sharing reading only (no
#       writer may open it) or sharing everything: no delivery without its
#       record, no record without its payload, nothing left half-done, and
#       the next pass finishes without doubling anything;
#   (c) the host's deletaArquivo of ContDown.dat while a pass holds it gives
#       -1 (a sharing violation) and takes nothing; between passes it gives 0;
#   figures: FlushFileBuffers calls and milliseconds a file for an upload
#       of 300 and of 2,000 files and a pass delivering 300: the calls a
#       file must not grow with the number of files.

held_root='C:\held' held_dir=
held_exchange() {  # ARGS...: exchange.exe on this architecture's DLL, its output without CR
  "${start[@]}" 'C:\held\bin\exchange.exe' 'C:\held\bin\torvex.dll' "$@" 2>&1 | tr -d '\r'
}
held_expect() {  # EXPECTED ARGS...: exchange.exe prints EXPECTED
  local out
  out=$(held_exchange "${@:2}")
  [ "$out" = "$1" ] || { printf 'exchange %s printed:\n%s\nexpected:\n%s\n' "${*:2}" "$out" "$1"; return 1; }
}

# The holder keeps PATH open (ACCESS r or rw, SHARE read, read-write or all)
# until held_let_go; signals go through $held_dir/signals.
held_hold() {  # WINPATH ACCESS SHARE
  rm -rf "$held_dir/signals" && mkdir -p "$held_dir/signals"
  "${start[@]}" 'C:\held\bin\holder.exe' "$1" "$2" "$3" 'C:\held\signals' >"$work/holder.out" 2>&1 &
  held_pid=$!
  local waited
  for ((waited = 0; waited < 300; waited++)); do
    [ -e "$held_dir/signals/held" ] && return 0
    kill -0 $held_pid 2>/dev/null || break
    sleep 0.1
  done
  echo "the holder did not hold $1: $(cat "$work/holder.out")"
  return 1
}
held_let_go() {
  touch "$held_dir/signals/release"
  wait $held_pid
}

# The files under the tree DIR, one a line, relative to it.
held_files() { (cd "$1" && find . -type f | sed 's|^\./||' | sort); }
# The archive names recorded in ContDown.dat under DIR, in order.
held_records() { tr -d '\r' <"$1/OUTTRAY/ContDown.dat" | awk 'NR % 5 == 3'; }
held_journal_empty() { [ ! -s "$1/DATA/TORVEX.JNL" ] || { echo "the journal holds a plan"; return 1; }; }

# (a) ---------------------------------------------------------------------------
# SHARE RENAME: doc.txt held open, outro.txt not; RENAME "-" or a target.
held_source_once() {
  local share=$1 rename=$2 tree=$held_dir/a-$1 win="$held_root\\a-$1" unpacked
  rm -rf "$tree" && mkdir -p "$tree/ENVIAR" "$tree/ENVIADOS"
  printf 'documento aberto\r\n' >"$tree/ENVIAR/doc.txt"
  printf 'outro\r\n' >"$tree/ENVIAR/outro.txt"
  [ "$rename" = - ] || rename="$win\\ENVIADOS\\*.old"
  held_expect "criaInfraEstrutura: 0" cria "$win\\troca" || return 1
  held_hold "$win\\ENVIAR\\doc.txt" rw "$share" || return 1
  held_expect $'geraArquivoUpload: 0\ngeraArquivoUpload: 0' \
    upload "$win\\troca" "$win\\ENVIAR\\*.txt" "$rename" 1 upload "$win\\troca" "$win\\ENVIAR\\*.txt" "$rename" 2 ||
    { held_let_go; return 1; }
  # Packed once, published; the held source stays, its retire waits.
  local while_held
  while_held=$(held_files "$tree")
  held_let_go
  local expected_held=$'ENVIAR/doc.txt\ntroca/DATA/TORVEX.JNL\ntroca/DATA/TORVEX.LCK'
  expected_held+=$'\ntroca/OUTTRAY/WORK/F1_doc_txt.ARJ\ntroca/OUTTRAY/WORK/F1_doc_txt.DAT'
  expected_held+=$'\ntroca/OUTTRAY/WORK/F1_outro_txt.ARJ\ntroca/OUTTRAY/WORK/F1_outro_txt.DAT'
  [ "$rename" = - ] || expected_held=$(printf '%s\nENVIADOS/outro.old\n' "$expected_held" | sort)
  [ "$while_held" = "$expected_held" ] || { printf 'while held:\n%s\n' "$while_held"; return 1; }
  [ -s "$tree/troca/DATA/TORVEX.JNL" ] || { echo "no retire waits in the journal"; return 1; }
  unpacked=$work/held-unpacked-$arch-$share && rm -rf "$unpacked" && mkdir -p "$unpacked"
  [ "$(cd "$unpacked" && "$cli" arj "e \"$tree/troca/OUTTRAY/WORK/F1_doc_txt.ARJ\" \"$unpacked/\" -y")" = 0 ] &&
    [ "$(cat "$unpacked/doc.txt")" = $'documento aberto\r' ] || { echo "F1_doc_txt.ARJ does not hold doc.txt"; return 1; }
  # Let go: a listing retires it; a later upload finds nothing to pack.
  held_expect $'recuperaArquivoUpload: F1_doc_txt.ARJ\ngeraArquivoUpload: 0' \
    list "$win\\troca" 1 upload "$win\\troca" "$win\\ENVIAR\\*.txt" "$rename" 3 || return 1
  local after=$'troca/DATA/TORVEX.JNL\ntroca/DATA/TORVEX.LCK'
  after+=$'\ntroca/OUTTRAY/WORK/F1_doc_txt.ARJ\ntroca/OUTTRAY/WORK/F1_doc_txt.DAT'
  after+=$'\ntroca/OUTTRAY/WORK/F1_outro_txt.ARJ\ntroca/OUTTRAY/WORK/F1_outro_txt.DAT'
  [ "$rename" = - ] || after=$(printf '%s\nENVIADOS/doc.old\nENVIADOS/outro.old\n' "$after" | sort)
  [ "$(held_files "$tree")" = "$after" ] || { printf 'after the release:\n%s\n' "$(held_files "$tree")"; return 1; }
  held_journal_empty "$tree/troca"
}

# (b) ---------------------------------------------------------------------------
# A tree whose ContDown.dat holds D00001's record, with D00002 (a new file),
# D00003 (an append) and D00004 (a numbered message) received.
held_received_tree() {  # DIR WINDIR
  rm -rf "$1" && mkdir -p "$1"
  held_expect "criaInfraEstrutura: 0" cria "$2" || return 1
  mkdir -p "$1/CHEGADA"
  printf 'linha 1\r\n' >"$1/CHEGADA/log.txt"
  received "$1/INTRAY/WORK" D00001 '&QVDIR\CHEGADA\um.txt' R $'um\r\n'
  held_expect "disponibilizaArquivos: 0" pass "$2" || return 1
  received "$1/INTRAY/WORK" D00002 '&QVDIR\CHEGADA\dois.txt' R $'dois\r\n'
  received "$1/INTRAY/WORK" D00003 '&QVDIR\CHEGADA\log.txt' A $'linha 2\r\n'
  received "$1/INTRAY/WORK" D00004 '&QVDIR\CHEGADA\msg.txt' M $'mensagem\r\n'
}
# Every payload once in place, every record once, nothing else left but
# KEPT (a path under DIR), which must stand.
held_all_delivered() {  # DIR [KEPT]
  local files records
  if [ -n "${2:-}" ]; then
    [ -e "$1/$2" ] || { echo "$2 is not there"; return 1; }
  fi
  files=$(held_files "$1" | grep -vxF "${2:-/}")
  records=$(held_records "$1" | xargs)
  [ "$files" = $'CHEGADA/dois.txt\nCHEGADA/log.txt\nCHEGADA/msg.txt\nCHEGADA/um.txt\nDATA/TORVEX.JNL\nDATA/TORVEX.LCK\nOUTTRAY/ContDown.dat' ] &&
    [ "$records" = "D00001.ARJ D00002.ARJ D00003.ARJ D00004.ARJ" ] &&
    [ "$(cat "$1/CHEGADA/dois.txt")" = $'dois\r' ] &&
    [ "$(cat "$1/CHEGADA/log.txt")" = $'linha 1\r\nlinha 2\r' ] &&
    [ "$(cat "$1/CHEGADA/msg.txt")" = $'mensagem\r' ] && held_journal_empty "$1" ||
    { printf 'files:\n%s\nrecords: %s\n' "$files" "$records"; return 1; }
}
# SHARE read: no writer may open the control file, so the pass places
# nothing (it would have no record): the archives wait, the earlier record
# stays alone; after the release the next pass delivers them. SHARE all:
# the pass delivers and records as if nobody held it. SHARE read-write: the
# same, but no name of the held file may go, so the second name the pass
# kept while it wrote the records stays until the next call removes it.
held_control_file() {
  local share=$1 tree=$held_dir/b-$1 win="$held_root\\b-$1" during second kept=
  held_received_tree "$tree" "$win" || return 1
  held_hold "$win\\OUTTRAY\\ContDown.dat" r "$share" || return 1
  held_expect "disponibilizaArquivos: 0" pass "$win" || { held_let_go; return 1; }
  during=$(held_files "$tree" | grep -v '^INTRAY/D0000[234]\.\(ARQ\|FN\)$')  # members wait, as after any pass that planned nothing
  held_let_go
  if [ "$share" = read ]; then
    [ "$during" = $'CHEGADA/log.txt\nCHEGADA/um.txt\nDATA/TORVEX.JNL\nDATA/TORVEX.LCK\nINTRAY/WORK/D00002.ARJ\nINTRAY/WORK/D00003.ARJ\nINTRAY/WORK/D00004.ARJ\nOUTTRAY/ContDown.dat' ] &&
      [ "$(held_records "$tree" | xargs)" = D00001.ARJ ] && held_journal_empty "$tree" ||
      { printf 'while held:\n%s\nrecords: %s\n' "$during" "$(held_records "$tree" | xargs)"; return 1; }
    second="disponibilizaArquivos: 0"
  else
    [ "$share" = read-write ] && kept=DATA/TORVEX.TMP/CONTDOWN.LNK
    held_all_delivered "$tree" $kept || return 1
    second="disponibilizaArquivos: 1"  # nothing left to deliver
  fi
  held_expect "$second" pass "$win" && held_all_delivered "$tree"
}

# (c) ---------------------------------------------------------------------------
held_delete_refused() {
  local tree=$held_dir/c win="$held_root\\c" pass_pid
  rm -rf "$tree" && mkdir -p "$tree"
  held_expect "criaInfraEstrutura: 0" cria "$win" || return 1
  mkdir -p "$tree/CHEGADA"
  received "$tree/INTRAY/WORK" D00001 '&QVDIR\CHEGADA\um.txt' R $'um\r\n'
  held_expect "disponibilizaArquivos: 0" pass "$win" || return 1
  received "$tree/INTRAY/WORK" D00002 '&QVDIR\CHEGADA\dois.txt' R $'dois\r\n'
  rm -rf "$held_dir/signals" && mkdir -p "$held_dir/signals"
  held_exchange --pause 'C:\held\signals' pass "$win" >"$work/held-pass.out" &
  pass_pid=$!
  local waited refused
  for ((waited = 0; waited < 300; waited++)); do
    [ -e "$held_dir/signals/held" ] && break
    sleep 0.1
  done
  refused=$(held_exchange delete "$win\\OUTTRAY\\ContDown.dat" exists "$win\\OUTTRAY\\ContDown.dat")
  touch "$held_dir/signals/release"
  wait $pass_pid
  [ "$refused" = $'deletaArquivo: -1\nexisteArquivo: 0' ] || { printf 'during the pass:\n%s\n' "$refused"; return 1; }
  [ "$(cat "$work/held-pass.out")" = "disponibilizaArquivos: 0" ] || { cat "$work/held-pass.out"; return 1; }
  [ "$(held_records "$tree" | xargs)" = "D00001.ARJ D00002.ARJ" ] || { echo "records: $(held_records "$tree" | xargs)"; return 1; }
  held_expect $'deletaArquivo: 0\nexisteArquivo: 1' delete "$win\\OUTTRAY\\ContDown.dat" exists "$win\\OUTTRAY\\ContDown.dat"
}

# Figures -------------------------------------------------------------------------
# "cost: F flushes, T ms" of the one counted call in $work/held-cost.out.
held_cost() { sed -n 's/^cost: \([0-9]*\) flushes, \([0-9]*\) ms$/\1 \2/p' "$work/held-cost.out" | tail -1; }
held_per_file() {  # FLUSHES MS N WHAT: one line of figures; sets held_rate (flushes a file, x1000)
  held_rate=$(($1 * 1000 / $3))
  printf 'durability %s: %s of %d files: %d.%02d FlushFileBuffers a file, %d.%d ms a file\n' "$arch" "$4" "$3" \
    $(($1 * 100 / $3 / 100)) $(($1 * 100 / $3 % 100)) $(($2 / $3)) $(($2 * 10 / $3 % 10)) | tee -a "$work/held-figures"
}
held_upload_figure() {  # N: every file packed once and retired, and its figure
  local n=$1 tree=$held_dir/up-$1 win="$held_root\\up-$1" i flushes ms
  rm -rf "$tree" && mkdir -p "$tree/ENVIAR"
  for ((i = 1; i <= n; i++)); do printf 'arquivo %05d\r\n' $i >"$tree/ENVIAR/a$i.txt"; done
  held_expect "criaInfraEstrutura: 0" cria "$win\\troca" || return 1
  held_exchange --count upload "$win\\troca" "$win\\ENVIAR\\*.txt" - 1 >"$work/held-cost.out"
  grep -qx "geraArquivoUpload: 0" "$work/held-cost.out" || { cat "$work/held-cost.out"; return 1; }
  [ "$(ls "$tree/troca/OUTTRAY/WORK" | grep -c '^F1_.*\.ARJ$')" = "$n" ] &&
    [ "$(ls "$tree/troca/OUTTRAY/WORK" | grep -c '^F1_.*\.DAT$')" = "$n" ] &&
    [ -z "$(ls "$tree/ENVIAR")" ] || { echo "not every file packed once and retired"; return 1; }
  read -r flushes ms <<<"$(held_cost)"
  held_per_file "$flushes" "$ms" "$n" "upload"
  rm -rf "$tree"
}
held_download_figure() {  # N: every archive delivered once, recorded once, and the figure
  local n=$1 tree=$held_dir/down-$1 win="$held_root\\down-$1" i name flushes ms
  rm -rf "$tree" && mkdir -p "$tree"
  held_expect "criaInfraEstrutura: 0" cria "$win" || return 1
  mkdir -p "$tree/CHEGADA"
  for ((i = 1; i <= n; i++)); do
    printf -v name 'D%05d' $i
    received "$tree/INTRAY/WORK" "$name" "&QVDIR\\CHEGADA\\$name.txt" R "entrega $i"$'\r\n'
  done
  held_exchange --count pass "$win" >"$work/held-cost.out"
  grep -qx "disponibilizaArquivos: 0" "$work/held-cost.out" || { cat "$work/held-cost.out"; return 1; }
  [ "$(ls "$tree/CHEGADA" | wc -l)" = "$n" ] && [ "$(held_records "$tree" | sort -u | wc -l)" = "$n" ] &&
    [ "$(held_records "$tree" | wc -l)" = "$n" ] && [ -z "$(ls "$tree/INTRAY/WORK")" ] ||
    { echo "not every archive delivered and recorded once"; return 1; }
  read -r flushes ms <<<"$(held_cost)"
  held_per_file "$flushes" "$ms" "$n" "pass"
  rm -rf "$tree"
}
# The calls a file at 2,000 files are no more than at 300: the per-batch
# flushes spread, the per-file ones stay the same.
held_flat() {
  held_upload_figure 300 || return 1
  local small=$held_rate
  held_upload_figure 2000 || return 1
  ((held_rate <= small)) || { echo "flushes a file grew from $small to $held_rate thousandths"; return 1; }
}

held_checks() {
  held_dir=$drive_c/held
  rm -rf "$held_dir" && mkdir -p "$held_dir/bin"
  cp "$bin/torvex.dll" "$bin/Arjlib32.dll" "$bin/exchange.exe" "$bin/holder.exe" "$held_dir/bin/"
  : >"$work/held-figures"
  local share
  for share in read read-write; do
    check $arch "held open: an upload source held open ($share share) is packed once, its retire waits and is done once it is let go" \
      held_source_once "$share" -
  done
  check $arch "held open: the same with a rename target: moved once it is let go" held_source_once read rename
  for share in read read-write all; do
    check $arch "held open: the host holds ContDown.dat during a pass ($share share): no delivery without its record, the next pass doubles nothing" \
      held_control_file "$share"
  done
  check $arch "held open: deletaArquivo of ContDown.dat while a pass holds it gives -1 and takes nothing; between passes 0" \
    held_delete_refused
  check $arch "durability: FlushFileBuffers a file of an upload do not grow from 300 to 2,000 files" held_flat
  check $arch "durability: a pass delivering 300 archives, each once with its record" held_download_figure 300
  cat "$work/held-figures"
  rm -rf "$held_dir"
}
