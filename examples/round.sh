#!/bin/sh
# One upload round and one download round on a TORVEX tray tree, on Linux,
# as docs/host-guide.md recommends them.
#
# Usage: round.sh DRIVE_DIR FI OUTBOX INBOX
#   DRIVE_DIR  a folder that becomes drive C:; the tray tree is C:/Troca in it
#   FI         what to send, e.g. 'C:/Dados/*.txt' (FI macros allowed)
#   OUTBOX     the folder standing in for the service: sent archives go there
#   INBOX      where archives received from the service wait (D?????.ARJ)
# TORVEX names the torvex command (default: torvex on PATH).
# Exit status: 0 when everything went, 1 when something needs an operator
# (printed on stderr), 2 for a wrong command line.
set -u
[ $# -eq 4 ] || { echo "usage: $0 DRIVE_DIR FI OUTBOX INBOX" >&2; exit 2; }
drive_dir=$1 fi=$2 outbox=$3 inbox=$4
torvex=${TORVEX:-torvex}
export TORVEX_DRIVES="C=$drive_dir"
root='C:/Troca'
root_dir=$drive_dir/Troca  # the same folder, as this shell reaches it
problems=0

problem() { echo "round: $*" >&2; problems=$((problems + 1)); }
# call METHOD ARG...: the method's result on stdout; stops the round when
# the call itself could not be made (torvex exits non-zero).
call() {
  "$torvex" "$@" || { echo "round: torvex $1 could not be called" >&2; exit 1; }
}

# --- The tree ---------------------------------------------------------------------
[ "$(call criaInfraEstrutura "$root")" = 0 ] || { problem "root $root refused"; exit 1; }
[ "$(call existeArquivo "$root/OUTTRAY/WORK")" = 0 ] || { problem "trays not made"; exit 1; }

# --- Upload round -----------------------------------------------------------------
# A new number for every round, kept in the tree's free WORK folder and
# written before it is used, so that no two rounds share one.
counter=$root_dir/WORK/upload.number
n=$(( $(cat "$counter" 2>/dev/null || echo 0) + 1 ))
echo "$n" >"$counter.new" && mv "$counter.new" "$counter" || { problem "cannot keep $counter"; exit 1; }

case $(call geraArquivoUpload "$root" "$fi" "" "$n") in
  0) ;;
  2) problem "the rename folder does not exist; nothing more was packed" ;;
  *) problem "geraArquivoUpload refused its arguments"; exit 1 ;;
esac
# Result 0 does not say that everything was packed: look for what stayed
# (existeArquivo expands no macros; torvex expand does).
[ "$(call existeArquivo "$(call expand "$fi" "$root")")" = 1 ] ||
  problem "files named by $fi stayed; the next round tries them again"

# Walk the listing to its end before deleting anything: each deletion
# shifts the later indices.
archives=$(i=1; while name=$(call recuperaArquivoUpload "$root" "$i") && [ -n "$name" ]; do
  echo "$name"; i=$((i + 1)); done)
newline='
'
IFS=$newline
for archive in $archives; do
  record=${archive%.*}.DAT
  # TORVEX never lists an archive without its record; one that lacks it was
  # left by something else and needs an operator.
  if [ "$(call existeArquivo "$root/OUTTRAY/WORK/$record")" != 0 ]; then
    problem "$archive has no record; not sent"
    continue
  fi
  # "Sending": a copy into OUTBOX under a temporary name, then renamed, so
  # the other side never sees half a file.
  for f in "$archive" "$record"; do
    cp "$root_dir/OUTTRAY/WORK/$f" "$outbox/$f.part" && mv "$outbox/$f.part" "$outbox/$f" ||
      { problem "could not send $f"; continue 2; }
  done
  echo "sent $archive and $record"
  # The archive first: an interruption then leaves only a record, which the
  # next round overwrites.
  if [ "$(call deletaArquivo "$root/OUTTRAY/WORK/$archive")" = 0 ]; then
    [ "$(call deletaArquivo "$root/OUTTRAY/WORK/$record")" = 0 ] || problem "$record not deleted"
  else
    problem "$archive not deleted; it is sent again next round"
  fi
done
unset IFS

# --- Download round ---------------------------------------------------------------
for received in "$inbox"/D?????.ARJ "$inbox"/D?????.arj; do
  [ -f "$received" ] || continue
  name=${received##*/}
  # Never store over an archive of that name that still waits.
  if [ "$(call existeArquivo "$root/INTRAY/WORK/$name")" = 0 ]; then
    problem "$name already waits in INTRAY/WORK; left in $inbox"
    continue
  fi
  cp "$received" "$root_dir/INTRAY/WORK/$name.part" &&
    mv "$root_dir/INTRAY/WORK/$name.part" "$root_dir/INTRAY/WORK/$name" &&
    rm "$received" || problem "could not store $name"
done

# 0: the control file exists; 1: nothing received, or no control file. A
# control file that an earlier round could not finish reading is read
# whatever the result, so the control file is asked for in both cases.
call disponibilizaArquivos "$root" >/dev/null
control=$(call recuperaControleDownload "$root")
if [ -n "$control" ]; then
  # The component spells it C:/Troca/Outtray/ContDown.dat and finds it in
  # any letter case; this shell reads it where criaInfraEstrutura put it.
  control_file=$root_dir/OUTTRAY/ContDown.dat
  # Five lines a record: "#", stamp, archive, final path, time (CR LF ends).
  tr -d '\r' <"$control_file" | awk '
    NR % 5 == 1 && $0 != "#" { bad = 1 }
    NR % 5 == 2 { stamp = $0 } NR % 5 == 3 { archive = $0 } NR % 5 == 4 { path = $0 }
    NR % 5 == 0 { printf "delivered %s (stamp %s) to %s at %s\n", archive, stamp, path, $0 }
    END { exit bad || NR % 5 != 0 }'
  # Deleted only once every record has been acted on (here: printed); the
  # next pass appends to a fresh file. A record read twice must do no harm.
  if [ $? -ne 0 ]; then
    problem "$control could not be read as whole records; kept"
  elif [ "$(call deletaArquivo "$control")" != 0 ]; then
    problem "$control not deleted"
  fi
fi
# Archives that could not be delivered stay and are tried on every pass.
if [ "$(call existeArquivo "$root/INTRAY/WORK/D?????.ARJ")" = 0 ]; then
  problem "received archives could not be delivered:"
  "$torvex" status "$root" >&2
fi

[ "$problems" -eq 0 ] || exit 1
echo "round $n done"
