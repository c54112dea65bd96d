#!/usr/bin/env bash
# End-to-end test of the Windows build under Wine, for both architectures,
# then of the installer.
#
# In one fresh prefix, for x64 and then for x86 (the 32-bit one through
# C:\windows\syswow64\regsvr32.exe and cscript.exe):
#   1. the DLLs import only system DLLs (torvex.dll loads Arjlib32.dll
#      itself and asks it for ExecArj by name), export exactly their entries
#      undecorated, carry the project's version, and the 32-bit ExecArj is
#      __stdcall;
#   2. the Win32 platform back end answers as Win32 does (platform_check.exe);
#      the C++ client checks the server exports, early binding, IObjectSafety
#      and that late binding fails before registration;
#   3. regsvr32 writes every registry entry (in a folder whose name holds "'");
#   4. the client checks COM creation and the type information; a host with
#      a stub site (hardening.exe lock) finds the site lock: a page refused
#      with E_ACCESSDENIED and nothing touched unless its origin is on the
#      allow list, script hosts never locked;
#   5. Wine's VBScript CreateObject still refuses objects that answer
#      IObjectWithSite (a departure from Windows, docs/wine-departures.md);
#      a JScript and a VBScript round trip on tray trees (VBScript through
#      WScript.CreateObject), both hosts on Windows-1252 names
#      (windows/test/names.*), and the example hosts examples/round.js and
#      round.vbs (scripts/windows-examples.sh); the differential check, every
#      scenario through the DLL and the Linux command, trees and results
#      compared (scripts/windows-differential.sh);
#   6. regsvr32 /u removes every entry; an Arjlib32.dll in the host's folder
#      and current directory is never loaded (hardening.exe library), one
#      beside torvex.dll is.
#   then files held open by another program and the flushes a file
#   (scripts/windows-held.sh).
# The installer, first as its tables stand (each architecture's components,
# files and registry rows), then in a second fresh prefix:
#   7. msiexec /i quietly over stale entries under the class key, with
#      ALLOWEDSITES and DISABLEBROWSER=1: the allow list and the kill bit in
#      both registry views, the lock of each DLL reads its own; exactly our
#      four files; the registry as 32-bit and
#      64-bit programs see it is what regsvr32 of both DLLs leaves; the JScript
#      round trip from the 64-bit and from the 32-bit script host;
#   8. msiexec /x leaves no key and no file of ours;
#   9. a build with a lower version, then this one over it (major upgrade),
#      without the properties: neither value written; then msiexec /x:
#      nothing of either is left.
# Then, in a prefix of each architecture, both at once, the product's
# GoogleTest suites on the Win32 back end (scripts/windows-suites.sh), with
# their own counts per architecture.
# Each program's whole output is compared with windows/test/*.expected. The
# registry is read as the architecture at hand sees it: by the 64-bit
# reg.exe for 64-bit programs, by the 32-bit one for 32-bit programs where
# they run (W9), else by the 64-bit one with /reg:32.
#
# Checks. Each is one line of the log and one count of its architecture:
#   check ARCH NAME COMMAND [ARG...]         COMMAND starts ARCH's programs,
#                                            or reads what they left
#   check_static ARCH NAME COMMAND [ARG...]  COMMAND starts no 32-bit program:
#                                            it reads built files, or what
#                                            64-bit programs wrote
# ARCH (x64 or x86) is the architecture counted, NAME says what holds, and
# COMMAND exits 0 when it holds; whatever it prints (and a non-zero exit
# status) explains a failure. Where this host cannot run ARCH's programs (see
# "32-bit programs" below), `check` lists the check as skipped and does not
# run it: never silently and never as a pass. A step that is no check but
# starts 32-bit programs goes under `if runs x86`. The run ends with one line
# per architecture: checks ran, passed, skipped, and their time.
#
# 32-bit programs. The probe runs the 32-bit dynamic loader: natively where
# the kernel runs 32-bit x86 code; where it refuses it (Exec format error),
# under qemu-i386 (package qemu-user), through which the 32-bit Wine loader
# then starts every 32-bit program (much slower); where neither works, every
# x86 check that must execute 32-bit code is skipped, with the reason.
# TORVEX_X86_MODE=native, emulated or skip forces one way (default: auto).
#
# Usage: scripts/windows-test.sh [BUILD_DIR]   (default build-win; built first)
# TORVEX_CLI may name a Linux `torvex` program, used to write the received
# archives; unset or missing, one is built in TORVEX_HOST_BUILD (default
# BUILD_DIR/host), where scripts/windows-build.sh builds its host tool.
# TORVEX_WINDOWS_COUNTS may name a file that receives the last lines' counts.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
tests=$root/windows/test
wine64=/usr/lib/wine/wine64 wine32=/usr/lib/wine/wine

# --- Packages -------------------------------------------------------------------
# Once wine32 is installed, plain `wine` starts C:\windows\system32 programs
# as 32-bit ones: the 64-bit programs are started with wine64.
need=()
command -v wine >/dev/null || need+=(wine)
[ -x "$wine64" ] || need+=(wine64)
command -v qemu-i386 >/dev/null || need+=(qemu-user)
command -v python3 >/dev/null || need+=(python3)  # the differential check's comparer
if ((${#need[@]})); then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}"
fi
# wine32:i386 is tried once. Where the kernel runs no 32-bit code, the
# post-install scripts of some i386 packages fail with "Exec format error"
# while every file is unpacked, which is all the emulator needs: such a
# failure does not end the test, and any state but "not installed" means the
# install was tried already.
if [[ "$(dpkg-query -W -f='${db:Status-Status}' wine32:i386 2>/dev/null || true)" =~ ^(not-installed)?$ ]]; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y wine32:i386 ||
    echo "windows-test: installing wine32:i386 failed (exit $?); the probe below says what 32-bit code can run"
fi

"$root/scripts/windows-build.sh" "$build"
version=$(cat "$build/x64/windows/version.txt")
old_version=0.0.1
if [ "$(printf '%s\n' "$old_version" "$version" | sort -V | head -1)" != "$old_version" ] ||
    [ "$old_version" = "$version" ]; then
  echo "windows-test: the upgrade test needs a version above $old_version" >&2
  exit 1
fi
TORVEX_MSI_VERSION=$old_version "$root/scripts/windows-build.sh" "$build" >/dev/null
msi_new="Z:${build//\//\\}\\torvex-$version.msi"
msi_old="Z:${build//\//\\}\\torvex-$old_version.msi"

cli=${TORVEX_CLI:-}
if [ ! -x "$cli" ]; then
  host=${TORVEX_HOST_BUILD:-$build/host}
  cmake --build "$host" --target torvex -j2
  cli=$host/torvex
fi

work=$(mktemp -d /tmp/torvex-wine.XXXXXX)
# A second volume for the moves that must copy: a memory file system, so a
# rename from drive C: fails with EXDEV as between two Windows volumes.
volume=$(mktemp -d /dev/shm/torvex-wine.XXXXXX)
# TZ=UTC: the platform check prints local times.
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" TZ=UTC
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work" "$volume"
}
trap cleanup EXIT

# --- Checks (see the top) ---------------------------------------------------------
declare -A ran=([x64]=0 [x86]=0) passed=([x64]=0 [x86]=0) skipped=([x64]=0 [x86]=0)
declare -A micros=([x64]=0 [x86]=0)
record() {  # ARCH RESULT NAME: RESULT is pass, fail or skip
  case $2 in
    pass) printf 'ok   %s %s\n' "$1" "$3"; ran[$1]=$((ran[$1] + 1)) passed[$1]=$((passed[$1] + 1)) ;;
    fail) printf 'FAIL %s %s\n' "$1" "$3"; ran[$1]=$((ran[$1] + 1)) ;;
    skip) printf 'skip %s %s\n' "$1" "$3"; skipped[$1]=$((skipped[$1] + 1)) ;;
  esac
}
check_static() {
  local arch_counted=$1 name=$2 status=0 t0=${EPOCHREALTIME/./}
  shift 2
  "$@" >"$work/check.log" 2>&1 || status=$?
  micros[$arch_counted]=$((micros[$arch_counted] + ${EPOCHREALTIME/./} - t0))
  if ((status == 0)); then record "$arch_counted" pass "$name"; else
    record "$arch_counted" fail "$name"
    sed 's/^/     | /' "$work/check.log"
    echo "     | exit status $status"
  fi
}
check() {
  if runs "$1"; then check_static "$@"; else record "$1" skip "$2"; fi
}

# --- 32-bit programs (see the top) ------------------------------------------------
# x86_mode: native, emulated or skip; x86_reason: why, when it is not native.
probe_x86() {
  local ld=/lib/ld-linux.so.2 status=0
  x86_mode=${TORVEX_X86_MODE:-auto}
  case $x86_mode in
    native | emulated) x86_reason="TORVEX_X86_MODE=$x86_mode" ;;
    skip) x86_reason="TORVEX_X86_MODE=skip" ;;
    auto)
      if [ ! -x "$wine32" ]; then
        x86_mode=skip x86_reason="no 32-bit Wine loader $wine32 (package wine32:i386)"
        return
      fi
      "$ld" --version >/dev/null 2>"$work/probe.err" || status=$?
      if ((status == 0)); then x86_mode=native x86_reason=; return; fi
      x86_reason="this host does not run 32-bit x86 code ($ld: $(head -c 200 "$work/probe.err" | tr '\n' ' ')exit $status)"
      status=0
      # The emulated run (TORVEX_X86_MODE=emulated) starts every program but
      # is not yet one a run can rest on: under qemu-i386 the longer VBScript
      # round trip differs from a native run. Until they agree, such a host
      # skips.
      x86_mode=skip
      qemu-i386 "$ld" --version >/dev/null 2>"$work/probe.err" || status=$?
      if ((status == 0)); then
        x86_reason+="; the emulated run (TORVEX_X86_MODE=emulated) is opt-in until its registry and VBScript checks agree with a native run"
      else
        x86_reason+=", nor under qemu-i386 ($(head -c 200 "$work/probe.err" | tr '\n' ' ')exit $status)"
      fi
      ;;
    *) echo "windows-test: TORVEX_X86_MODE is auto, native, emulated or skip, not $x86_mode" >&2; exit 2 ;;
  esac
}
runs() { [ "$1" = x64 ] || [ "$x86_mode" != skip ]; }

# The emulator's folder: a copy of wine64 and beside it `wine`, the 32-bit
# loader under qemu-i386, which wine64 starts for every 32-bit program when
# it is the loader (WINELOADER). Both find their libraries and data relative
# to their folder, as they do from /usr/lib/wine.
emulate_x86() {
  local emu=$work/emu
  mkdir -p "$emu/lib/wine"
  ln -s /usr/lib/x86_64-linux-gnu "$emu/lib/x86_64-linux-gnu"
  ln -s /usr/share "$emu/share"
  cp "$wine64" "$emu/lib/wine/wine64"
  cat >"$emu/lib/wine/wine" <<EOF
#!/bin/sh
WINELOADERNOEXEC=1 exec /usr/bin/qemu-i386 -R 0xffff0000 $wine32 "\$@"
EOF
  chmod +x "$emu/lib/wine/wine"
  wine64=$emu/lib/wine/wine64 wine32=$emu/lib/wine/wine
  export WINELOADER=$wine64
}

probe_x86
case $x86_mode in
  native) echo "x86: 32-bit programs run natively" ;;
  emulated) emulate_x86; echo "x86: 32-bit programs run under qemu-i386: $x86_reason" ;;
  skip) echo "x86: every check that executes 32-bit code is skipped: $x86_reason" ;;
esac

stage_start=$SECONDS
new_prefix() {  # NAME: a fresh prefix, made the current one, with drive T: on another volume
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
  export WINEPREFIX=$work/$1
  "$wine64" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  drive_c=$WINEPREFIX/drive_c
  mkdir -p "$volume/$1"
  ln -sfn "$volume/$1" "$WINEPREFIX/dosdevices/t:"
}

# Per architecture: the binaries, the objdump, how its programs start, where
# its system programs and its Program Files are, and its registry view.
use_arch() {
  arch=$1
  bin=$build/$arch/windows
  if [ "$arch" = x64 ]; then
    objdump=x86_64-w64-mingw32-objdump start=("$wine64") sys='C:\windows\system32'
    program_files='Program Files' view=/reg:64
  else
    objdump=i686-w64-mingw32-objdump start=("$wine32") sys='C:\windows\syswow64'
    program_files='Program Files (x86)' view=/reg:32
  fi
}

# GUIDs from the IDL: the interface's, the library's, then the class's. No
# Interface key is expected: RegisterTypeLib writes one only for dual or
# oleautomation interfaces, and IControlador is neither.
mapfile -t guids < <(sed -n 's/.*uuid(\([0-9A-Fa-f-]*\)).*/\1/p' "$root/component/torvex.idl" | tr a-f A-F)
iid="{${guids[0]}}" libid="{${guids[1]}}" clsid="{${guids[2]}}"
our_key_names=(TORVEX.Controlador.1 TORVEX.Controlador "CLSID\\$clsid" "TypeLib\\$libid" "Interface\\$iid")

run() {  # NAME PROGRAM ARGS...: the current architecture's program, in C:\e2e
  local name=$1
  shift
  (cd "$drive_c/e2e" && "${start[@]}" "$@" >"$work/$name.raw" 2>"$work/$name.err") ||
    echo "exit $?" >>"$work/$name.raw"
}
regsvr32() { "${start[@]}" "$sys\\regsvr32.exe" "$@"; }
# Wine's reg.exe now and then fails an edit on a loaded machine and does it
# when asked again: one more try, said in the log. A query stays one try.
wine_reg() {  # [--as-x86] ARGS...: the 64-bit reg.exe, or the 32-bit one
  local program=("$wine64" reg)
  if [ "$1" = --as-x86 ]; then program=("${start[@]}" "$sys\\reg.exe"); shift; fi
  "${program[@]}" "$@" && return 0
  [ "$1" = query ] && return 1
  echo "wine reg $1 failed; once more" >&2
  sleep 1
  "${program[@]}" "$@"
}
# The registry as the current architecture's programs see it. Where 32-bit
# programs run, their view is read by the 32-bit reg.exe: the 64-bit one
# asking for that view (/reg:32) misses the keys that a 32-bit program
# wrote where Windows shares them between the views (W9 in
# docs/wine-departures.md). Elsewhere /reg:32 is the only way in.
reg() {
  if [ "$arch" = x86 ] && [ "$x86_mode" != skip ]; then
    wine_reg --as-x86 "$@"
  else
    wine_reg "$@" "$view"
  fi
}

# Whether $work/NAME.raw (CR LF turned into LF) is the file EXPECTED.
same() {  # NAME EXPECTED
  tr -d '\r' <"$work/$1.raw" >"$work/$1.out"
  diff -u "$2" "$work/$1.out"
}
output_is() {  # NAME EXPECTED PROGRAM ARGS...: what run NAME PROGRAM ARGS prints
  local name=$1 expected=$2
  shift 2
  run "$name" "$@"
  same "$name" "$expected"
}
report_is() {  # NAME EXPECTED COMMAND ARGS...: what the (Linux) COMMAND prints
  local name=$1 expected=$2
  shift 2
  "$@" >"$work/$name.raw" && same "$name" "$expected"
}

# --- 1. Imports, exports, version, calling convention -------------------------------
imports_only_system_dlls() {  # DLL
  local system_dlls='^(kernel32|msvcrt|advapi32|oleaut32|ole32|user32)\.dll$' name others=()
  for name in $($objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'); do
    if [[ ${name,,} =~ $system_dlls ]]; then continue; fi
    others+=("$name")
  done
  ((${#others[@]} == 0)) || { echo "imports ${others[*]}"; return 1; }
}
# The version resource's strings (UTF-16): "FileVersion" and "ProductVersion"
# each followed by the project's version.
carries_version() {  # DLL
  local found
  found=$(strings -el -n 3 "$1" | grep -A1 -x -e FileVersion -e ProductVersion | grep -vx -e -- |
    paste - - | sort | xargs)
  [ "$found" = "FileVersion $version ProductVersion $version" ] || { echo "found: $found"; return 1; }
}
# torvex.dll imports no Arjlib32.dll (imports_only_system_dlls) and asks the
# library it loads for ExecArj by name, which it holds as text (the library's
# file name the compiler may build in code, so the hardening checks below
# show where it is loaded from).
names_arjlib_entry() {
  local text
  text=$(strings -n 7 "$bin/torvex.dll")  # whole: grep -q would end strings early, a pipefail
  grep -qx ExecArj <<<"$text" || { echo "no ExecArj in torvex.dll"; return 1; }
}
exports_are() {  # DLL NAMES: the DLL's exported names, sorted, are NAMES
  local found
  found=$($objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/{f=1;next} f&&NF==0{f=0} f{print $NF}' |
    sort | xargs)
  [ "$found" = "$2" ] || { echo "exports: $found"; return 1; }
}
# __stdcall: every return of ExecArj removes its 8 bytes of arguments.
execarj_is_stdcall() {
  local returns
  returns=$($objdump -d "$bin/Arjlib32.dll" | awk '/<_ExecArj@8>:/{f=1;next} f&&/^$/{f=0} f' |
    grep -oE '\sret\s*(\$0x[0-9a-f]+)?\s*$' | sort -u | xargs)
  [ "$returns" = 'ret $0x8' ] || { echo "returns with: ${returns:-nothing found}"; return 1; }
}
static_checks() {
  local dll
  for dll in torvex.dll Arjlib32.dll; do
    check_static $arch "$dll imports only system DLLs" imports_only_system_dlls "$bin/$dll"
    check_static $arch "$dll carries version $version" carries_version "$bin/$dll"
  done
  check_static $arch "torvex.dll asks for ExecArj by name" names_arjlib_entry
  check_static $arch "Arjlib32.dll exports ExecArj only" exports_are "$bin/Arjlib32.dll" ExecArj
  check_static $arch "torvex.dll exports the four server entries only" exports_are "$bin/torvex.dll" \
    "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer"
  if [ "$arch" = x86 ]; then check_static x86 "ExecArj is __stdcall" execarj_is_stdcall; fi
}

# --- Registry reports, in the current architecture's view ---------------------
regvalue() {  # KEY [VALUE]: prints the data, or "(absent)"
  local key="HKCR\\$1" out
  if [ $# -eq 2 ]; then out=$(reg query "$key" /v "$2" 2>/dev/null) || { echo "(absent)"; return; }
  else out=$(reg query "$key" /ve 2>/dev/null) || { echo "(absent)"; return; }; fi
  printf '%s\n' "$out" | tr -d '\r' | sed -n 's/^ *[^ ].*  *REG_SZ  *//p' | head -1
}
regkey() { if reg query "HKCR\\$1" >/dev/null 2>&1; then echo present; else echo absent; fi; }
registry_report() {
  for key in TORVEX.Controlador.1 TORVEX.Controlador.1\\CLSID TORVEX.Controlador TORVEX.Controlador\\CLSID \
      TORVEX.Controlador\\CurVer "CLSID\\$clsid" "CLSID\\$clsid\\ProgID" \
      "CLSID\\$clsid\\VersionIndependentProgID" "CLSID\\$clsid\\InprocServer32" "CLSID\\$clsid\\TypeLib"; do
    echo "$key = $(regvalue "$key")"
  done
  echo "ThreadingModel = $(regvalue "CLSID\\$clsid\\InprocServer32" ThreadingModel)"
  for key in "CLSID\\$clsid\\Programmable" "CLSID\\$clsid\\Foreign" "TypeLib\\$libid\\1.0" CLSID; do
    echo "$key: $(regkey "$key")"
  done
}
expected_registered() {  # DLL
  cat <<EOF
TORVEX.Controlador.1 = Controlador Class
TORVEX.Controlador.1\\CLSID = $clsid
TORVEX.Controlador = Controlador Class
TORVEX.Controlador\\CLSID = $clsid
TORVEX.Controlador\\CurVer = TORVEX.Controlador.1
CLSID\\$clsid = Controlador Class
CLSID\\$clsid\\ProgID = TORVEX.Controlador.1
CLSID\\$clsid\\VersionIndependentProgID = TORVEX.Controlador
CLSID\\$clsid\\InprocServer32 = $1
CLSID\\$clsid\\TypeLib = $libid
ThreadingModel = Apartment
CLSID\\$clsid\\Programmable: present
CLSID\\$clsid\\Foreign: absent
TypeLib\\$libid\\1.0: present
CLSID: present
EOF
}
expected_unregistered() {  # every entry absent but HKCR\CLSID itself
  expected_registered x | sed -e '1,11s/ = .*/ = (absent)/' -e '/^CLSID:/!s/: present$/: absent/'
}

# Everything of ours under HKCR as the 64-bit and the 32-bit programs see it.
# FLAGS is left out: Wine's RegisterTypeLib adds LIBFLAG_FHASDISKIMAGE (8) to
# the library's own flags, which Windows and the installer write (0).
registry_dump() {
  local a key
  for a in x64 x86; do
    use_arch $a
    echo "== seen by $a programs"
    for key in "${our_key_names[@]}"; do
      reg query "HKCR\\$key" /s 2>/dev/null | tr -d '\r' | grep -v '^$' || echo "$key: absent"
    done
  done | awk '/\\FLAGS$/{skip=1; print; next} skip{skip=0; next} {print}'
}
our_keys() {  # whether each of our keys is present, in the current view
  local key
  for key in "${our_key_names[@]}"; do echo "$key: $(regkey "$key")"; done
}
has_classes() { reg query 'HKCR\CLSID' >/dev/null 2>&1; }

# --- Round-trip fixtures -------------------------------------------------------
stamp="000017.01+202612051403+"
# The example hosts of examples/ (example_checks).
. "$root/scripts/windows-examples.sh"
# Files held open by another program, and the flushes a file (held_checks).
. "$root/scripts/windows-held.sh"
# The same scenarios through the Linux command and through torvex.dll (differential_checks).
. "$root/scripts/windows-differential.sh"
received() {  # DIR NAME FI DISPOSITION DATA: a received archive with its two members
  local dir=$1 name=$2 tmp=$work/fixture
  rm -rf "$tmp" && mkdir -p "$tmp" "$dir"
  printf '%s\r\n%s\r\n%s\r\n' "$3" "$stamp" "$4" >"$tmp/$name.FN"
  printf '%s' "$5" >"$tmp/$name.ARQ"
  for member in FN ARQ; do
    [ "$(cd "$tmp" && "$cli" arj "a \"$name.ARJ\" \"$name.$member\"")" = 0 ] || record $arch fail "fixture $name.$member"
  done
  mv "$tmp/$name.ARJ" "$dir/"
}
fresh_e2e() {  # C:\e2e afresh with the programs and the trays of the round trips
  rm -rf "$drive_c/e2e"
  mkdir -p "$drive_c/e2e"
  cp "$bin/client.exe" "$bin/platform_check.exe" "$bin/hardening.exe" "$bin/site_toy.dll" \
    "$tests"/round_trip.js "$tests"/round_trip.vbs "$tests"/create_object.vbs \
    "$tests"/names.js "$tests"/names.vbs "$drive_c/e2e/"
  js=$drive_c/e2e/js
  mkdir -p "$js/ENVIAR" "$js/ENVIADOS" "$js/CHEGADA"
  printf 'primeiro arquivo\r\n' >"$js/ENVIAR/ARQ01.TXT"
  printf 'relatorio de envio\r\n' >"$js/ENVIAR/Relat.txt"
  head -c 3000 /dev/zero | tr '\0' 'x' >"$js/ENVIAR/dados.dbf"
  printf 'fica\r\n' >"$js/ENVIAR/extra.dat"
  printf 'linha 1\r\n' >"$js/CHEGADA/log.txt"
  received "$js/RECEBIDOS" D00001 '&QVDIR\CHEGADA\relatorio.txt' R $'conteudo 1\r\n'
  received "$js/RECEBIDOS" D00002 '&QVDIR\CHEGADA\relatorio.txt' M $'conteudo 2\r\n'
  received "$js/RECEBIDOS" D00003 '&QVDIR\CHEGADA\log.txt' A $'linha 2\r\n'
  cp "$js/ENVIAR/ARQ01.TXT" "$work/ARQ01.TXT.sent"

  vbs=$drive_c/e2e/vbs
  mkdir -p "$vbs/ENVIAR" "$vbs/CHEGADA"
  printf 'primeiro arquivo\r\n' >"$vbs/ENVIAR/ARQ01.TXT"
  printf 'antigo\r\n' >"$vbs/CHEGADA/relatorio.txt"
  received "$vbs/RECEBIDOS" D00004 '&QVDIR\CHEGADA\relatorio.txt' R $'novo\r\n'

  # Names of the Western code page (Windows-1252), and one it lacks beside
  # its look-alike. On disk Wine keeps names in UTF-8; the descriptor's FI
  # is ANSI text, so its "ó" is the byte F3.
  local dir
  for dir in names_js names_vbs; do
    mkdir -p "$drive_c/e2e/$dir/ENVIAR" "$drive_c/e2e/$dir/telvorin"
    printf 'relatorio\r\n' >"$drive_c/e2e/$dir/ENVIAR/relatório.txt"
    received "$drive_c/e2e/$dir/RECEBIDOS" D00006 $'&QVDIR\\CHEGADA\\relat\xf3rio.txt' R $'entregue\r\n'
  done
  printf 'omega latino\r\n' >"$drive_c/e2e/names_js/ENVIAR/Omega.txt"
  printf 'omega grego\r\n' >"$drive_c/e2e/names_js/ENVIAR/Ωmega.txt"
  printf 'do registro\r\n' >"$drive_c/e2e/names_js/telvorin/telvorin.txt"
}
# The value &TELVORIN reads, written as a site's 32-bit installation writes
# it: in the 32-bit view only, so that the x64 DLL finds it only by reading
# that view.
telvorin_in_32_bit_view() {
  "$wine64" reg add 'HKLM\Software\Norvalis\Telvorin' /v Telvorin /d 'C:\e2e\names_js\telvorin' \
    /f /reg:32 >/dev/null &&
    ! "$wine64" reg query 'HKLM\Software\Norvalis\Telvorin' /v Telvorin /reg:64 >/dev/null 2>&1
}
# The upload archive that the JScript round trip made under Windows tests
# good and holds the sent file.
upload_archive_good() {
  local unpacked=$work/$arch-unpacked-$RANDOM archive
  archive=$(ls "$js/OUTTRAY/WORK/"F7_arq01_txt.ARJ 2>/dev/null) || { echo "no F7_arq01_txt.ARJ"; return 1; }
  mkdir -p "$unpacked" &&
    [ "$(cd "$unpacked" && "$cli" arj "t \"$archive\"")" = 0 ] &&
    [ "$(cd "$unpacked" && "$cli" arj "e \"$archive\" \"$unpacked/\" -y")" = 0 ] &&
    cmp "$unpacked/ARQ01.TXT" "$work/ARQ01.TXT.sent"
}
js_round_trip() {  # FILE LABEL: the JScript round trip and the upload archive it made
  check $arch "${2}JScript round trip" \
    output_is "$arch-${1}js" "$tests/round_trip_js.expected" "$sys\\cscript.exe" //nologo round_trip.js 'C:\e2e\js'
  check $arch "${2}JScript round trip's upload archive tests good and extracts the sent file" \
    upload_archive_good
}

# --- The site lock and the archive library (hardening.exe) ------------------------
allowed=https://troca.example.com
killbit_key="HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\$clsid"
hklm_value() {  # KEY VALUE: its data in the current view, or nothing
  reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"
}
hklm_is() {  # SITES FLAGS: AllowedSites and the kill bit's flags, "" for absent
  local sites flags
  sites=$(hklm_value 'HKLM\SOFTWARE\TORVEX' AllowedSites)
  flags=$(hklm_value "$killbit_key" 'Compatibility Flags')
  [ "$sites|$flags" = "$1|$2" ] || { echo "AllowedSites '$sites', Compatibility Flags '$flags'"; return 1; }
}
lock_is() {  # WHAT EXPECTED FOLDER: the registered class's lock, one case a line
  mkdir -p "$drive_c/e2e/lock-$3"
  check $arch "$1" output_is "$arch-lock-$3" "$tests/hardening_lock_$2.expected" \
    hardening.exe lock "C:\\e2e\\lock-$3"
}
lock_checks() {  # with the DLL registered: no allow list, then one
  lock_is "site lock without an allow list: every page refused, script hosts served" unlisted unlisted
  # Both DLLs read HKLM in the view of 32-bit programs (README).
  wine_reg add 'HKLM\SOFTWARE\TORVEX' /v AllowedSites /d "$allowed" /f /reg:32 >/dev/null
  lock_is "site lock allowing $allowed: its pages served, every other refused" listed listed
  wine_reg delete 'HKLM\SOFTWARE\TORVEX' /f /reg:32 >/dev/null
}
library_tree() {  # C:\e2e\lib: a tray tree with one file to send
  rm -rf "$drive_c/e2e/lib"
  mkdir -p "$drive_c/e2e/lib/OUTTRAY/WORK" "$drive_c/e2e/lib/DATA" "$drive_c/e2e/lib/ENVIAR"
  printf 'primeiro arquivo\r\n' >"$drive_c/e2e/lib/ENVIAR/ARQ01.TXT"
}
library_checks() {  # torvex.dll alone in C:\e2e\alone, the host in C:\e2e
  local alone=$drive_c/e2e/alone
  mkdir -p "$alone"
  cp "$bin/torvex.dll" "$alone/"
  cp "$bin/Arjlib32.dll" "$drive_c/e2e/"  # planted in the host's folder and current directory
  library_tree
  check $arch "an Arjlib32.dll in the host's folder is never loaded: the upload packs nothing, loses nothing" \
    output_is $arch-planted "$tests/hardening_library_planted.expected" \
    hardening.exe library 'C:\e2e\alone\torvex.dll' 'C:\e2e\lib'
  cp "$bin/Arjlib32.dll" "$alone/"
  library_tree
  check $arch "the Arjlib32.dll beside torvex.dll is loaded from there and packs" \
    output_is $arch-beside "$tests/hardening_library_beside.expected" \
    hardening.exe library 'C:\e2e\alone\torvex.dll' 'C:\e2e\lib'
  rm -rf "$alone" "$drive_c/e2e/Arjlib32.dll" "$drive_c/e2e/lib"
}

# --- A departure of Wine's VBScript (docs/wine-departures.md) ----------------------
# Wine's VBScript CreateObject gives up on any object that answers
# IObjectWithSite when the script host's site has no IServiceProvider, as
# Wine's cscript's has not: error 429, and Wine logs why. WScript.CreateObject
# (and JScript's ActiveXObject) create it. Shown on site_toy.dll's two classes,
# alike but for IObjectWithSite, and on ours; the check fails, so that we look
# again, as soon as Wine behaves otherwise.
toy_classes=("TorvexTest.Plain {80D3A63A-D892-45DA-974D-E8A37A49AF48}"
  "TorvexTest.Sited {361F9951-CE92-4095-BEBD-78C2176DE3B8}")
toys_registered() {  # add or delete: site_toy.dll's classes in the current view
  local class progid guid
  for class in "${toy_classes[@]}"; do
    read -r progid guid <<<"$class"
    if [ "$1" = add ]; then
      reg add "HKCR\\CLSID\\$guid\\InprocServer32" /ve /d 'C:\e2e\site_toy.dll' /f &&
        reg add "HKCR\\$progid\\CLSID" /ve /d "$guid" /f
    else
      reg delete "HKCR\\CLSID\\$guid" /f && reg delete "HKCR\\$progid" /f
    fi >/dev/null || return 1
  done
}
create_object_departs() {
  local why='^[0-9a-f]+:err:vbscript:create_ax_site Could not get IServiceProvider iface: 80004002$'
  WINEDEBUG=-all,err+vbscript run $arch-create_object "$sys\\cscript.exe" //nologo create_object.vbs \
    TorvexTest.Plain TorvexTest.Sited TORVEX.Controlador.1
  same $arch-create_object "$tests/create_object_wine.expected" || return 1
  # Wine's reason, once for each refused object, and nothing else.
  tr -d '\r' <"$work/$arch-create_object.err" >"$work/$arch-create_object.why"
  [ "$(grep -cE "$why" "$work/$arch-create_object.why")" = 2 ] &&
    [ "$(wc -l <"$work/$arch-create_object.why")" = 2 ] ||
    { echo "Wine's log:"; cat "$work/$arch-create_object.why"; return 1; }
}
departure_checks() {  # with the DLL registered
  if runs $arch; then toys_registered add || record $arch fail "registering site_toy.dll's classes"; fi
  check $arch "Wine departure W5 (docs/wine-departures.md): VBScript's CreateObject gives error 429 for any object with IObjectWithSite, ours and a toy alike; WScript.CreateObject makes them" \
    create_object_departs
  if runs $arch; then toys_registered delete || record $arch fail "removing site_toy.dll's classes"; fi
}

# --- 2. to 6., for each architecture ---------------------------------------------------
server_checks() {
  local install_dir="C:\\$program_files\\O'Brien Torvex" unix_install="$drive_c/$program_files/O'Brien Torvex"
  local dll="$install_dir\\torvex.dll"
  mkdir -p "$unix_install"
  cp "$bin/torvex.dll" "$bin/Arjlib32.dll" "$unix_install/"
  fresh_e2e
  expected_registered "$dll" >"$work/$arch-registered.expected"
  expected_unregistered >"$work/$arch-unregistered.expected"

  check $arch "platform_check output" \
    output_is $arch-platform_check "$tests/platform_check.expected" platform_check.exe 'T:'
  check $arch "client output before registration" \
    output_is $arch-client_unregistered "$tests/client_unregistered.expected" client.exe unregistered "$dll"

  check $arch "regsvr32" regsvr32 /s "$dll"
  check $arch "registry after regsvr32" \
    report_is $arch-registry "$work/$arch-registered.expected" registry_report
  # Registering again removes whatever was put under the class key.
  reg add "HKCR\\CLSID\\$clsid\\Foreign" /f >/dev/null 2>&1
  check $arch "regsvr32 again" regsvr32 /s "$dll"
  check $arch "registry after regsvr32 again, without the stale key" \
    report_is $arch-registry_again "$work/$arch-registered.expected" registry_report

  check $arch "client output after registration" \
    output_is $arch-client_registered "$tests/client_registered.expected" client.exe registered
  lock_checks

  js_round_trip "" ""
  departure_checks
  check $arch "VBScript round trip, the object made by WScript.CreateObject" \
    output_is $arch-vbs "$tests/round_trip_vbs.expected" "$sys\\cscript.exe" //nologo round_trip.vbs 'C:\e2e\vbs'
  check $arch "&TELVORIN's value in the 32-bit view only" telvorin_in_32_bit_view
  check $arch "JScript names: Windows-1252 names pass back, Ωmega.txt left alone, &TELVORIN's view" \
    output_is $arch-names_js "$tests/names_js.expected" "$sys\\cscript.exe" //nologo names.js 'C:\e2e\names_js'
  check $arch "VBScript names: Windows-1252 names pass back" \
    output_is $arch-names_vbs "$tests/names_vbs.expected" "$sys\\cscript.exe" //nologo names.vbs 'C:\e2e\names_vbs'
  example_checks
  differential_checks

  check $arch "regsvr32 /u" regsvr32 /u /s "$dll"
  check $arch "registry after regsvr32 /u" \
    report_is $arch-unregistered "$work/$arch-unregistered.expected" registry_report
  check $arch "regsvr32 /u when not registered" regsvr32 /u /s "$dll"
  rm -rf "$unix_install"
  library_checks
}

new_prefix servers
for a in x64 x86; do
  use_arch $a
  static_checks
  server_checks
  held_checks
done

# --- The installer's tables ---------------------------------------------------------
msi_tables=$work/msi-tables
mkdir -p "$msi_tables"
msi_table() {  # TABLE: its rows, tab-separated, without msiinfo's three header lines
  [ -s "$msi_tables/$1" ] || msiinfo export "$build/torvex-$version.msi" "$1" >"$msi_tables/$1"
  tail -n +4 "$msi_tables/$1" | tr -d '\r'
}
# Each architecture's two components: 64-bit ones (attribute 256) only for
# x64, in a TORVEX folder of that architecture's Program Files.
msi_components_placed() {
  local parent=ProgramFilesFolder bit=0 component
  [ "$arch" = x64 ] && parent=ProgramFiles64Folder bit=256
  msi_table Directory | grep -qxP "INSTALLDIR_$arch\t$parent\tTORVEX" ||
    { echo "no INSTALLDIR_$arch named TORVEX in $parent"; msi_table Directory; return 1; }
  for component in torvex_$arch arjlib32_$arch; do
    msi_table Component | awk -F'\t' -v c="$component" -v d="INSTALLDIR_$arch" -v bit=$bit '
      $1==c && $3==d && int($4/256)%2*256==bit {found=1} END {exit !found}' ||
      { echo "component $component"; msi_table Component; return 1; }
  done
}
# Each file of the pair as built, in the File table under the architecture's
# components with its size, and in the cabinet.
msi_carries_pair() {
  local out=$work/msi-files file size
  [ -d "$out" ] || { mkdir -p "$out" && (cd "$out" && msiextract "$build/torvex-$version.msi" >/dev/null); } ||
    return 1
  for file in torvex.dll Arjlib32.dll; do
    size=$(stat -c %s "$bin/$file")
    msi_table File | awk -F'\t' -v n="$file" -v c="${file,,}" -v s="$size" -v a="$arch" '
      $3==n && $2==substr(c, 1, length(c)-4)"_"a && $4==s {found=1} END {exit !found}' ||
      { echo "no $file of $size bytes in the File table under ${file,,}_$arch"; return 1; }
    find "$out" -name "$file" -exec cmp -s "$bin/$file" {} \; -print | grep -q . ||
      { echo "no $file in the cabinet is the one built"; return 1; }
  done
}
# A TABLE's rows of torvex_ARCH, without their ids, the architecture's names
# (its component, its DLL's file key, its type library platform) made neutral.
msi_rows() {  # TABLE ARCH
  local platform=win64
  [ "$2" = x86 ] && platform=win32
  msi_table "$1" | awk -F'\t' -v c="torvex_$2" '$NF==c' | cut -f2- |
    sed -e "s/\[#torvex_dll_$2\]/[#DLL]/" -e "s/\\\\0\\\\$platform\t/\\\\0\\\\PLATFORM\t/" \
      -e "s/\ttorvex_$2\$/\tCOMPONENT/" | sort
}
# The x86 component writes what the x64 one writes; only under the type
# library's key, which is one for both views, does it write more.
msi_rows_match() {  # TABLE
  local missing extra
  missing=$(comm -13 <(msi_rows "$1" x86) <(msi_rows "$1" x64))
  extra=$(comm -23 <(msi_rows "$1" x86) <(msi_rows "$1" x64) | grep -vF "	TypeLib\\$libid" || true)
  [ -z "$missing$extra" ] && [ -n "$(msi_rows "$1" x86)" ] ||
    { echo "x86 lacks: $missing"; echo "x86 has more: $extra"; return 1; }
}
for a in x64 x86; do
  use_arch $a
  check_static $a "MSI: two components of this architecture in its Program Files\\TORVEX" msi_components_placed
  check_static $a "MSI: carries the pair as built" msi_carries_pair
done
for table in Registry RemoveRegistry; do
  check_static x86 "MSI: the $table rows of torvex_x86 are those of torvex_x64, for the 32-bit DLL" \
    msi_rows_match $table
done

# --- 7. to 9. The installer ------------------------------------------------------------
msiexec() { "$wine64" msiexec "$@" /qn; }
our_files() {  # every file and folder of ours under both Program Files
  (cd "$drive_c" && find "Program Files/TORVEX" "Program Files (x86)/TORVEX" 2>/dev/null | sort)
}
expected_files() {
  local folder
  for folder in "Program Files (x86)/TORVEX" "Program Files/TORVEX"; do
    printf '%s\n' "$folder" "$folder/Arjlib32.dll" "$folder/torvex.dll" "$folder/torvex.exe"
  done | sort
}
# The installed products named TORVEX, by their version, from the list that
# Programs and Features shows.
installed_versions() {
  "$wine64" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk '/^HKEY/{name=""; version=""} /DisplayName .*REG_SZ/{name=$NF}
      /DisplayVersion .*REG_SZ/{version=$NF} name=="TORVEX" && version!=""{print version; name=""}' |
    sort | xargs
}
versions_are() {  # VERSIONS: the installed products' versions ("" for none)
  local found
  found=$(installed_versions)
  [ "$found" = "$1" ] || { echo "installed products: ${found:-none}"; return 1; }
}
files_are() {  # LIST: our files and folders are LIST, one a line
  local found
  found=$(our_files)
  [ "$found" = "$1" ] || { echo "found: ${found:-nothing}"; return 1; }
}
pair_installed() {  # the current architecture's pair and command in its Program Files
  cmp "$drive_c/$program_files/TORVEX/torvex.dll" "$bin/torvex.dll" &&
    cmp "$drive_c/$program_files/TORVEX/Arjlib32.dll" "$bin/Arjlib32.dll" &&
    cmp "$drive_c/$program_files/TORVEX/torvex.exe" "$bin/torvex.exe"
}
# The system PATH as the next process gets it, one entry a line.
system_path() {
  "$wine64" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH |
    tr -d '\r' | sed -n 's/^ *PATH *REG_[A-Z_]*SZ *//p' | tr ';' '\n'
}
on_path() { system_path | grep -qixF 'C:\Program Files\TORVEX\'; }
# torvex.exe from a command prompt, found through PATH: cmd's own output.
# EXPECTED COMMAND-LINE: what the command line prints on stdout in cmd.
# It goes in a batch file: given to cmd as an argument, Wine would escape its
# quotes with backslashes, which the program would then take as its own.
command_prints() {
  local out
  printf '@%s\r\n' "$2" >"$drive_c/command.bat"
  out=$("$wine64" cmd /c 'C:\command.bat' 2>"$work/command.err" | tr -d '\r') ||
    { echo "$out"; cat "$work/command.err"; return 1; }
  [ "$out" = "$1" ] || { echo "printed: $out"; cat "$work/command.err"; return 1; }
}
status_of_troca() {  # torvex.exe status C:\Troca after criaInfraEstrutura, through PATH
  command_prints 0 'torvex.exe criaInfraEstrutura C:\Troca' &&
    "$wine64" cmd /c 'torvex.exe status C:\Troca' | tr -d '\r' >"$work/status.out" &&
    grep -qx 'Tray tree C:/Troca' "$work/status.out" &&
    grep -qx 'Nothing is stuck or left over.' "$work/status.out"
}
command_checks() {
  check x64 "install: the 64-bit folder is on the system PATH" on_path
  check x64 "install: torvex.exe --version through PATH" command_prints "torvex $version" 'torvex.exe --version'
  check x64 "install: torvex.exe expand through PATH" \
    command_prints 'C:/Troca\x.txt' 'torvex.exe expand "&QVDIR\x.txt" C:\Troca'
  check x64 "install: torvex.exe status C:\Troca through PATH" status_of_troca
  check x64 "install: torvex.exe --dispatch through the registered server" \
    command_prints 0 'torvex.exe --dispatch existeArquivo C:\Troca\OUTTRAY'
  check x64 "install: torvex.exe arj, with the Arjlib32.dll beside it" \
    command_prints 7 'torvex.exe arj "x nothing"'
  use_arch x86
  check x86 "install: the x86 torvex.exe --version" \
    command_prints "torvex $version" "\"C:\\Program Files (x86)\\TORVEX\\torvex.exe\" --version"
}
check_nothing_left() {  # WHAT
  local a
  for a in x64 x86; do
    use_arch $a
    printf '%s: absent\n' "${our_key_names[@]}" >"$work/$1-$a-keys.expected"
    check_static $a "$1: no key of ours in the registry that $a programs see" \
      report_is "$1-$a-keys" "$work/$1-$a-keys.expected" our_keys
    # The view's own classes stay. Those of 32-bit programs are made by the
    # prefix's 32-bit set-up, which needs 32-bit programs.
    check $a "$1: HKCR\\CLSID is left in the registry that $a programs see" has_classes
    check_static $a "$1: no allow list and no kill bit in the registry that $a programs see" \
      hklm_is "" ""
  done
  check x64 "$1: no file of ours left" files_are ""
  check x64 "$1: no product left" versions_are ""
}
installed_as_expected() {  # WHAT VERSION
  local a
  check x64 "$1: the four DLLs and the two commands in place" files_are "$(expected_files)"
  for a in x64 x86; do
    use_arch $a
    check_static $a "$1: the pair in $program_files\\TORVEX" pair_installed
  done
  check x64 "$1: installed product version $2" versions_are "$2"
}
# What regsvr32 leaves for the installer's folders, the 64-bit DLL registered
# last (the type library key is one for both views, and so is its help
# folder), is the reference of the installer's registry.
regsvr32_reference() {
  local a status=0
  for a in x86 x64; do
    use_arch $a
    mkdir -p "$drive_c/$program_files/TORVEX"
    cp "$bin/torvex.dll" "$bin/Arjlib32.dll" "$drive_c/$program_files/TORVEX/"
    regsvr32 /s "C:\\$program_files\\TORVEX\\torvex.dll" || { echo "$a regsvr32 exit $?"; status=1; }
  done
  registry_dump | tr -d '\r' >"$work/regsvr32-dump.expected"
  for a in x64 x86; do
    use_arch $a
    regsvr32 /u /s "C:\\$program_files\\TORVEX\\torvex.dll" || true
    rm -rf "$drive_c/$program_files/TORVEX"
  done
  return $status
}

new_prefix installer
# Stale entries under the class key, as an earlier registration may leave:
# the installer makes the key afresh, as regsvr32 does.
for a in x64 x86; do
  use_arch $a
  reg add "HKCR\\CLSID\\$clsid\\Foreign" /f >/dev/null 2>&1
done
check x64 "msiexec /i ALLOWEDSITES=$allowed DISABLEBROWSER=1" \
  msiexec /i "$msi_new" ALLOWEDSITES="$allowed" DISABLEBROWSER=1
installed_as_expected "install" "$version"
for a in x64 x86; do
  use_arch $a
  check_static $a "install: the allow list and the kill bit in the registry that $a programs see" \
    hklm_is "$allowed" 0x400
done
for a in x64 x86; do
  use_arch $a
  expected_registered "C:\\$program_files\\TORVEX\\torvex.dll" >"$work/msi-$a-registry.expected"
  check_static $a "install: the registry that $a programs see" \
    report_is msi-$a-registry "$work/msi-$a-registry.expected" registry_report
done
registry_dump >"$work/msi-dump.raw"
for a in x64 x86; do
  use_arch $a
  fresh_e2e
  js_round_trip msi- "install: "
  lock_is "install: the site lock reads the installer's allow list" listed msi
done
command_checks
check x64 "msiexec /x" msiexec /x "$msi_new"
check_nothing_left "uninstall"
check x64 "uninstall: the 64-bit folder is off the system PATH again" eval '! on_path'

check x86 "regsvr32 of both DLLs in the installer's folders, the reference" regsvr32_reference
check x86 "install: the registry of both views is what regsvr32 of both DLLs leaves" \
  same msi-dump "$work/regsvr32-dump.expected"

# A major upgrade: the older product goes, this one stays, whole.
check x64 "msiexec /i $old_version" msiexec /i "$msi_old"
installed_as_expected "install $old_version" "$old_version"
check x64 "msiexec /i $version over $old_version" msiexec /i "$msi_new"
installed_as_expected "upgrade" "$version"
for a in x64 x86; do
  use_arch $a
  check_static $a "upgrade without the properties: no allow list, no kill bit for $a programs" \
    hklm_is "" ""
done
check x86 "upgrade: the registry of both views is what regsvr32 of both DLLs leaves" \
  report_is upgrade-dump "$work/regsvr32-dump.expected" registry_dump
check x64 "msiexec /x after the upgrade" msiexec /x "$msi_new"
check_nothing_left "uninstall after the upgrade"
wineserver -w

# --- The product's suites on the Win32 back end ---------------------------------------
# Each architecture in a prefix of its own (each test maps its drive C:),
# both at once: a suite runs one program at a time, so the two keep the
# machine's two cores busy. Their output follows, one architecture after the
# other, and their counts are printed at the end beside the checks'.
suite_counts=() suites_failed=
declare -A suite_pid=()
for a in x64 x86; do if runs $a; then new_prefix suites-$a; fi; done
wineserver -w
for a in x64 x86; do
  runs $a || continue
  use_arch $a
  WINEPREFIX=$work/suites-$a "$root/scripts/windows-suites.sh" $a "$build/$a/suites" "${start[@]}" \
    >"$work/suites-$a.log" 2>&1 &
  suite_pid[$a]=$!
done
for a in x64 x86; do
  if ! runs $a; then
    suite_counts+=("$a suites: skipped because $x86_reason")
    continue
  fi
  status=0
  wait "${suite_pid[$a]}" || status=$?
  cat "$work/suites-$a.log"
  suite_counts+=("$(tail -n 1 "$work/suites-$a.log")")
  ((status == 0)) || suites_failed+=" $a"
  WINEPREFIX=$work/suites-$a wineserver -w
done

# --- Counts -------------------------------------------------------------------------
declare -A how=([x64]=native [x86]=$x86_mode)
failures=$((ran[x64] - passed[x64] + ran[x86] - passed[x86]))
echo
for a in x64 x86; do
  printf '%s (%s): %d ran, %d passed, %d skipped, %ds in checks\n' "$a" "${how[$a]}" \
    "${ran[$a]}" "${passed[$a]}" "${skipped[$a]}" $((micros[$a] / 1000000))
done | tee "${TORVEX_WINDOWS_COUNTS:-/dev/null}"
printf '%s\n' "${suite_counts[@]}" | tee -a "${TORVEX_WINDOWS_COUNTS:-/dev/null}"
if [ "$x86_mode" = skip ]; then echo "x86 checks skipped because $x86_reason"; fi
echo "windows-test: $((SECONDS - stage_start))s with Wine"
if ((failures)) || [ -n "$suites_failed" ]; then
  echo "windows-test: $failures failure(s) in the checks; suites failing:${suites_failed:- none}"
  exit 1
fi
echo "windows-test: all passed"
