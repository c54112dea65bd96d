#!/usr/bin/env bash
# End-to-end test of the Windows build under Wine, in a fresh prefix:
#   1. the DLLs import only system DLLs (and torvex.dll takes ExecArj from
#      Arjlib32.dll by name) and export exactly their entries;
#   2. the Win32 platform back end answers as Win32 does (platform_check.exe);
#      the C++ client checks the server exports, early binding, IObjectSafety
#      and that late binding fails before registration;
#   3. regsvr32 writes every registry entry (in a folder whose name holds "'");
#   4. the client checks COM creation and the type information;
#   5. a JScript and a VBScript round trip on tray trees;
#   6. regsvr32 /u removes every entry.
# Each program's whole output is compared with windows/test/*.expected.
# Usage: scripts/windows-test.sh [BUILD_DIR]   (default build-win; built first)
# TORVEX_CLI may name a Linux `torvex` program, used to write the received
# archives; unset or missing, one is built in build-win-host/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
tests=$root/windows/test

need=()
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
if ((${#need[@]})); then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}"
fi
"$root/scripts/windows-build.sh" "$build"

cli=${TORVEX_CLI:-}
if [ ! -x "$cli" ]; then
  cmake -S "$root" -B "$root/build-win-host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTORVEX_TESTS=OFF >/dev/null
  cmake --build "$root/build-win-host" --target torvex -j2
  cli=$root/build-win-host/torvex
fi

work=$(mktemp -d /tmp/torvex-wine.XXXXXX)
# TZ=UTC: the platform check prints local times.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" TZ=UTC
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# Compares a program's output (CR LF turned into LF) with an expected file.
compare() {
  local name=$1 expected=$2 out=$work/$1.out
  tr -d '\r' <"$work/$name.raw" >"$out"
  if diff -u "$expected" "$out"; then pass "$name output"; else fail "$name output differs"; fi
}

# --- 1. Imports and exports -------------------------------------------------
objdump=x86_64-w64-mingw32-objdump
system_dlls='^(kernel32|msvcrt|advapi32|oleaut32|ole32|user32)\.dll$'
for dll in "$build/windows/torvex.dll" "$build/windows/Arjlib32.dll"; do
  imports=$($objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p')
  for name in $imports; do
    lower=${name,,}
    if [[ $lower =~ $system_dlls ]]; then continue; fi
    if [[ $dll == */torvex.dll && $name == Arjlib32.dll ]]; then continue; fi
    fail "$(basename "$dll") imports $name"
  done
done
if $objdump -p "$build/windows/torvex.dll" |
    awk '/DLL Name: Arjlib32.dll/{f=1;next} /DLL Name:/{f=0} f' | grep -w ExecArj >/dev/null; then
  pass "torvex.dll imports ExecArj from Arjlib32.dll by name"
else
  fail "torvex.dll does not import ExecArj from Arjlib32.dll"
fi
exports() { $objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/{f=1;next} f&&NF==0{f=0} f{print $NF}' | sort | xargs; }
[ "$(exports "$build/windows/Arjlib32.dll")" = "ExecArj" ] && pass "Arjlib32.dll exports ExecArj only" ||
  fail "Arjlib32.dll exports: $(exports "$build/windows/Arjlib32.dll")"
[ "$(exports "$build/windows/torvex.dll")" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer" ] &&
  pass "torvex.dll exports the four server entries only" ||
  fail "torvex.dll exports: $(exports "$build/windows/torvex.dll")"

# --- Prefix and installation ------------------------------------------------
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w
drive_c=$WINEPREFIX/drive_c
install_dir="C:\\Program Files\\O'Brien Torvex"
unix_install="$drive_c/Program Files/O'Brien Torvex"
mkdir -p "$unix_install" "$drive_c/e2e"
cp "$build/windows/torvex.dll" "$build/windows/Arjlib32.dll" "$unix_install/"
cp "$build/windows/client.exe" "$build/windows/platform_check.exe" "$tests"/round_trip.js "$tests"/round_trip.vbs "$drive_c/e2e/"
dll="$install_dir\\torvex.dll"

# GUIDs from the IDL: the interface's, the library's, then the class's. No
# Interface key is expected: RegisterTypeLib writes one only for dual or
# oleautomation interfaces, and IControlador is neither.
mapfile -t guids < <(sed -n 's/.*uuid(\([0-9A-Fa-f-]*\)).*/\1/p' "$root/component/torvex.idl" | tr a-f A-F)
libid="{${guids[1]}}" clsid="{${guids[2]}}"

run() {  # NAME PROGRAM ARGS...: runs in C:\e2e, output kept for compare
  local name=$1
  shift
  (cd "$drive_c/e2e" && wine "$@" >"$work/$name.raw" 2>"$work/$name.err") || echo "exit $?" >>"$work/$name.raw"
}

# --- 2. The Win32 platform back end, then the server before registration ------
run platform_check platform_check.exe
compare platform_check "$tests/platform_check.expected"
run client_unregistered client.exe unregistered "$dll"
compare client_unregistered "$tests/client_unregistered.expected"

# --- 3. Registration ---------------------------------------------------------
regvalue() {  # KEY [VALUE]: prints the data, or "(absent)"
  local key="HKCR\\$1" out
  if [ $# -eq 2 ]; then out=$(wine reg query "$key" /v "$2" 2>/dev/null) || { echo "(absent)"; return; }
  else out=$(wine reg query "$key" /ve 2>/dev/null) || { echo "(absent)"; return; }; fi
  printf '%s\n' "$out" | tr -d '\r' | sed -n 's/^ *[^ ].*  *REG_SZ  *//p' | head -1
}
regkey() { if wine reg query "HKCR\\$1" >/dev/null 2>&1; then echo present; else echo absent; fi; }
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
expected_registered() {
  cat <<EOF
TORVEX.Controlador.1 = Controlador Class
TORVEX.Controlador.1\\CLSID = $clsid
TORVEX.Controlador = Controlador Class
TORVEX.Controlador\\CLSID = $clsid
TORVEX.Controlador\\CurVer = TORVEX.Controlador.1
CLSID\\$clsid = Controlador Class
CLSID\\$clsid\\ProgID = TORVEX.Controlador.1
CLSID\\$clsid\\VersionIndependentProgID = TORVEX.Controlador
CLSID\\$clsid\\InprocServer32 = $dll
CLSID\\$clsid\\TypeLib = $libid
ThreadingModel = Apartment
CLSID\\$clsid\\Programmable: present
CLSID\\$clsid\\Foreign: absent
TypeLib\\$libid\\1.0: present
CLSID: present
EOF
}

if wine regsvr32 /s "$dll"; then pass "regsvr32"; else fail "regsvr32 exit $?"; fi
registry_report >"$work/registry.raw"
expected_registered >"$work/registry.expected"
compare registry "$work/registry.expected"

# Registering again removes whatever was put under the class key.
wine reg add "HKCR\\CLSID\\$clsid\\Foreign" /f >/dev/null 2>&1
if wine regsvr32 /s "$dll"; then pass "regsvr32 again"; else fail "regsvr32 again exit $?"; fi
registry_report >"$work/registry_again.raw"
compare registry_again "$work/registry.expected"

# --- 4. COM creation and type information --------------------------------------
run client_registered client.exe registered
compare client_registered "$tests/client_registered.expected"

# --- 5. Script round trips ---------------------------------------------------------
stamp="000017.01+202612051403+"
received() {  # DIR NAME FI DISPOSITION DATA: a received archive with its two members
  local dir=$1 name=$2 tmp=$work/fixture
  rm -rf "$tmp" && mkdir -p "$tmp" "$dir"
  printf '%s\r\n%s\r\n%s\r\n' "$3" "$stamp" "$4" >"$tmp/$name.FN"
  printf '%s' "$5" >"$tmp/$name.ARQ"
  for member in FN ARQ; do
    [ "$(cd "$tmp" && "$cli" arj "a \"$name.ARJ\" \"$name.$member\"")" = 0 ] || fail "fixture $name.$member"
  done
  mv "$tmp/$name.ARJ" "$dir/"
}
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

run round_trip_js cscript //nologo round_trip.js 'C:\e2e\js'
compare round_trip_js "$tests/round_trip_js.expected"
run round_trip_vbs cscript //nologo round_trip.vbs 'C:\e2e\vbs'
compare round_trip_vbs "$tests/round_trip_vbs.expected"

# The upload archive made under Windows tests good and holds the sent file.
archive=$(ls "$js/OUTTRAY/WORK/"F7_arq01_txt.ARJ 2>/dev/null || true)
if [ -n "$archive" ] && mkdir -p "$work/unpacked" &&
    [ "$(cd "$work/unpacked" && "$cli" arj "t \"$archive\"")" = 0 ] &&
    [ "$(cd "$work/unpacked" && "$cli" arj "e \"$archive\" \"$work/unpacked/\" -y")" = 0 ] &&
    cmp -s "$work/unpacked/ARQ01.TXT" "$work/ARQ01.TXT.sent"; then
  pass "upload archive tests good and extracts the sent file"
else
  fail "upload archive F7_arq01_txt.ARJ"
fi

# --- 6. Unregistration ---------------------------------------------------------------
if wine regsvr32 /u /s "$dll"; then pass "regsvr32 /u"; else fail "regsvr32 /u exit $?"; fi
registry_report >"$work/unregistered.raw"
cat >"$work/unregistered.expected" <<EOF
$(expected_registered | sed -n '1,11s/ = .*/ = (absent)/p')
CLSID\\$clsid\\Programmable: absent
CLSID\\$clsid\\Foreign: absent
TypeLib\\$libid\\1.0: absent
CLSID: present
EOF
compare unregistered "$work/unregistered.expected"
if wine regsvr32 /u /s "$dll"; then pass "regsvr32 /u when not registered"; else fail "regsvr32 /u again exit $?"; fi

wineserver -w
if ((failures)); then
  echo "windows-test: $failures failure(s)"
  exit 1
fi
echo "windows-test: all passed"
