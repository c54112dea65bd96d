#!/usr/bin/env bash
# End-to-end test of the Windows build under Wine, for both architectures,
# then of the installer.
#
# In one fresh prefix, for x64 and then for x86 (the 32-bit one through
# C:\windows\syswow64\regsvr32.exe, cscript.exe and reg.exe):
#   1. the DLLs import only system DLLs (and torvex.dll takes ExecArj from
#      Arjlib32.dll by name), export exactly their entries undecorated, carry
#      the project's version, and the 32-bit ExecArj is __stdcall;
#   2. the Win32 platform back end answers as Win32 does (platform_check.exe);
#      the C++ client checks the server exports, early binding, IObjectSafety
#      and that late binding fails before registration;
#   3. regsvr32 writes every registry entry (in a folder whose name holds "'");
#   4. the client checks COM creation and the type information;
#   5. a JScript and a VBScript round trip on tray trees;
#   6. regsvr32 /u removes every entry.
# In a second fresh prefix, the installer:
#   7. msiexec /i quietly over stale entries under the class key; exactly our
#      four files; the registry as 32-bit and
#      64-bit programs see it is what regsvr32 of both DLLs leaves; the JScript
#      round trip from the 64-bit and from the 32-bit script host;
#   8. msiexec /x leaves no key and no file of ours;
#   9. a build with a lower version, then this one over it (major upgrade),
#      then msiexec /x: nothing of either is left.
# Each program's whole output is compared with windows/test/*.expected.
# Usage: scripts/windows-test.sh [BUILD_DIR]   (default build-win; built first)
# TORVEX_CLI may name a Linux `torvex` program, used to write the received
# archives; unset or missing, one is built in TORVEX_HOST_BUILD (default
# BUILD_DIR/host), where scripts/windows-build.sh builds its host tool.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
tests=$root/windows/test
wine64=/usr/lib/wine/wine64

# Once wine32 is installed, plain `wine` starts C:\windows\system32 programs
# as 32-bit ones: the 64-bit checks start everything with wine64.
need=()
command -v wine >/dev/null || need+=(wine)
[ -x "$wine64" ] || need+=(wine64)
[ -x /usr/lib/wine/wine ] || need+=(wine32:i386)
if ((${#need[@]})); then
  if [[ " ${need[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}"
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

new_prefix() {  # NAME: a fresh prefix, made the current one, with drive T: on another volume
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
  export WINEPREFIX=$work/$1
  "$wine64" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  drive_c=$WINEPREFIX/drive_c
  mkdir -p "$volume/$1"
  ln -sfn "$volume/$1" "$WINEPREFIX/dosdevices/t:"
}

# Per architecture: the binaries, the objdump, how its programs start and
# where its system programs and its Program Files are.
use_arch() {
  arch=$1
  bin=$build/$arch/windows
  if [ "$arch" = x64 ]; then
    objdump=x86_64-w64-mingw32-objdump start=("$wine64") sys='C:\windows\system32'
    program_files='Program Files'
  else
    objdump=i686-w64-mingw32-objdump start=(wine) sys='C:\windows\syswow64'
    program_files='Program Files (x86)'
  fi
}

# GUIDs from the IDL: the interface's, the library's, then the class's. No
# Interface key is expected: RegisterTypeLib writes one only for dual or
# oleautomation interfaces, and IControlador is neither.
mapfile -t guids < <(sed -n 's/.*uuid(\([0-9A-Fa-f-]*\)).*/\1/p' "$root/component/torvex.idl" | tr a-f A-F)
iid="{${guids[0]}}" libid="{${guids[1]}}" clsid="{${guids[2]}}"

run() {  # NAME PROGRAM ARGS...: the current architecture's program, in C:\e2e
  local name=$1
  shift
  (cd "$drive_c/e2e" && "${start[@]}" "$@" >"$work/$name.raw" 2>"$work/$name.err") ||
    echo "exit $?" >>"$work/$name.raw"
}
regsvr32() { "${start[@]}" "$sys\\regsvr32.exe" "$@"; }
reg() { "${start[@]}" "$sys\\reg.exe" "$@"; }

# --- 1. Imports, exports, version, calling convention -------------------------------
static_checks() {
  local system_dlls='^(kernel32|msvcrt|advapi32|oleaut32|ole32|user32)\.dll$' dll name
  for dll in "$bin/torvex.dll" "$bin/Arjlib32.dll"; do
    for name in $($objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p'); do
      if [[ ${name,,} =~ $system_dlls ]]; then continue; fi
      if [[ $dll == */torvex.dll && $name == Arjlib32.dll ]]; then continue; fi
      fail "$arch $(basename "$dll") imports $name"
    done
    # The version resource's strings (UTF-16): "FileVersion" and
    # "ProductVersion" each followed by the project's version.
    if strings -el -n 3 "$dll" | grep -A1 -x -e FileVersion -e ProductVersion | grep -vx -e -- |
        paste - - | sort | xargs | grep -qx "FileVersion $version ProductVersion $version"; then
      pass "$arch $(basename "$dll") carries version $version"
    else
      fail "$arch $(basename "$dll") has no version resource of $version"
    fi
  done
  if $objdump -p "$bin/torvex.dll" |
      awk '/DLL Name: Arjlib32.dll/{f=1;next} /DLL Name:/{f=0} f' | grep -w ExecArj >/dev/null; then
    pass "$arch torvex.dll imports ExecArj from Arjlib32.dll by name"
  else
    fail "$arch torvex.dll does not import ExecArj from Arjlib32.dll"
  fi
  exports() { $objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/{f=1;next} f&&NF==0{f=0} f{print $NF}' | sort | xargs; }
  [ "$(exports "$bin/Arjlib32.dll")" = "ExecArj" ] && pass "$arch Arjlib32.dll exports ExecArj only" ||
    fail "$arch Arjlib32.dll exports: $(exports "$bin/Arjlib32.dll")"
  [ "$(exports "$bin/torvex.dll")" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer" ] &&
    pass "$arch torvex.dll exports the four server entries only" ||
    fail "$arch torvex.dll exports: $(exports "$bin/torvex.dll")"
  if [ "$arch" = x86 ]; then
    # __stdcall: every return of ExecArj removes its 8 bytes of arguments.
    local returns
    returns=$($objdump -d "$bin/Arjlib32.dll" | awk '/<_ExecArj@8>:/{f=1;next} f&&/^$/{f=0} f' |
      grep -oE '\sret\s*(\$0x[0-9a-f]+)?\s*$' | sort -u | xargs)
    [ "$returns" = 'ret $0x8' ] && pass "x86 ExecArj is __stdcall" ||
      fail "x86 ExecArj returns with: ${returns:-nothing found}"
  fi
}

# --- Registry reports ---------------------------------------------------------
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
    for key in TORVEX.Controlador.1 TORVEX.Controlador "CLSID\\$clsid" "TypeLib\\$libid" "Interface\\$iid"; do
      reg query "HKCR\\$key" /s 2>/dev/null | tr -d '\r' | grep -v '^$' || echo "$key: absent"
    done
  done | awk '/\\FLAGS$/{skip=1; print; next} skip{skip=0; next} {print}'
}
no_keys_left() {
  local a key
  for a in x64 x86; do
    use_arch $a
    for key in TORVEX.Controlador.1 TORVEX.Controlador "CLSID\\$clsid" "TypeLib\\$libid" "Interface\\$iid"; do
      echo "$a $key: $(regkey "$key")"
    done
    echo "$a CLSID: $(regkey CLSID)"
  done
}
expected_no_keys() {
  local a key
  for a in x64 x86; do
    for key in TORVEX.Controlador.1 TORVEX.Controlador "CLSID\\$clsid" "TypeLib\\$libid" "Interface\\$iid"; do
      echo "$a $key: absent"
    done
    echo "$a CLSID: present"
  done
}

# --- Round-trip fixtures -------------------------------------------------------
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
fresh_e2e() {  # C:\e2e afresh with the programs and the trays of the round trips
  rm -rf "$drive_c/e2e"
  mkdir -p "$drive_c/e2e"
  cp "$bin/client.exe" "$bin/platform_check.exe" "$tests"/round_trip.js "$tests"/round_trip.vbs "$drive_c/e2e/"
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
}
js_round_trip() {  # NAME: the JScript round trip and the upload archive it made
  local unpacked=$work/$1.unpacked archive
  run "$1" "$sys\\cscript.exe" //nologo round_trip.js 'C:\e2e\js'
  compare "$1" "$tests/round_trip_js.expected"
  # The upload archive made under Windows tests good and holds the sent file.
  archive=$(ls "$js/OUTTRAY/WORK/"F7_arq01_txt.ARJ 2>/dev/null || true)
  if [ -n "$archive" ] && mkdir -p "$unpacked" &&
      [ "$(cd "$unpacked" && "$cli" arj "t \"$archive\"")" = 0 ] &&
      [ "$(cd "$unpacked" && "$cli" arj "e \"$archive\" \"$unpacked/\" -y")" = 0 ] &&
      cmp -s "$unpacked/ARQ01.TXT" "$work/ARQ01.TXT.sent"; then
    pass "$1: upload archive tests good and extracts the sent file"
  else
    fail "$1: upload archive F7_arq01_txt.ARJ"
  fi
}

# --- 2. to 6., for each architecture ---------------------------------------------------
server_checks() {
  local install_dir="C:\\$program_files\\O'Brien Torvex" unix_install="$drive_c/$program_files/O'Brien Torvex"
  local dll="$install_dir\\torvex.dll"
  mkdir -p "$unix_install"
  cp "$bin/torvex.dll" "$bin/Arjlib32.dll" "$unix_install/"
  fresh_e2e

  run $arch-platform_check platform_check.exe 'T:'
  compare $arch-platform_check "$tests/platform_check.expected"
  run $arch-client_unregistered client.exe unregistered "$dll"
  compare $arch-client_unregistered "$tests/client_unregistered.expected"

  if regsvr32 /s "$dll"; then pass "$arch regsvr32"; else fail "$arch regsvr32 exit $?"; fi
  registry_report >"$work/$arch-registry.raw"
  expected_registered "$dll" >"$work/$arch-registry.expected"
  compare $arch-registry "$work/$arch-registry.expected"

  # Registering again removes whatever was put under the class key.
  reg add "HKCR\\CLSID\\$clsid\\Foreign" /f >/dev/null 2>&1
  if regsvr32 /s "$dll"; then pass "$arch regsvr32 again"; else fail "$arch regsvr32 again exit $?"; fi
  registry_report >"$work/$arch-registry_again.raw"
  compare $arch-registry_again "$work/$arch-registry.expected"

  run $arch-client_registered client.exe registered
  compare $arch-client_registered "$tests/client_registered.expected"

  js_round_trip $arch-round_trip_js
  run $arch-round_trip_vbs "$sys\\cscript.exe" //nologo round_trip.vbs 'C:\e2e\vbs'
  compare $arch-round_trip_vbs "$tests/round_trip_vbs.expected"

  if regsvr32 /u /s "$dll"; then pass "$arch regsvr32 /u"; else fail "$arch regsvr32 /u exit $?"; fi
  registry_report >"$work/$arch-unregistered.raw"
  expected_unregistered >"$work/$arch-unregistered.expected"
  compare $arch-unregistered "$work/$arch-unregistered.expected"
  if regsvr32 /u /s "$dll"; then pass "$arch regsvr32 /u when not registered"; else
    fail "$arch regsvr32 /u again exit $?"; fi
  rm -rf "$unix_install"
}

new_prefix servers
for a in x64 x86; do
  use_arch $a
  static_checks
  server_checks
done

# --- 7. to 9. The installer ------------------------------------------------------------
msiexec() { "$wine64" msiexec "$@" /qn; }
our_files() {  # every file and folder of ours under both Program Files
  (cd "$drive_c" && find "Program Files/TORVEX" "Program Files (x86)/TORVEX" 2>/dev/null | sort)
}
expected_files() {
  printf '%s\n' "Program Files (x86)/TORVEX" "Program Files (x86)/TORVEX/Arjlib32.dll" \
    "Program Files (x86)/TORVEX/torvex.dll" "Program Files/TORVEX" \
    "Program Files/TORVEX/Arjlib32.dll" "Program Files/TORVEX/torvex.dll" | sort
}
# The installed products named TORVEX, by their version, from the list that
# Programs and Features shows.
installed_versions() {
  "$wine64" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk '/^HKEY/{name=""; version=""} /DisplayName .*REG_SZ/{name=$NF}
      /DisplayVersion .*REG_SZ/{version=$NF} name=="TORVEX" && version!=""{print version; name=""}' |
    sort | xargs
}
check_nothing_left() {  # WHAT
  no_keys_left >"$work/$1-keys.raw"
  expected_no_keys >"$work/$1-keys.expected"
  compare "$1-keys" "$work/$1-keys.expected"
  [ -z "$(our_files)" ] && pass "$1: no file of ours left" || fail "$1 left: $(our_files | xargs)"
  [ -z "$(installed_versions)" ] && pass "$1: no product left" ||
    fail "$1 left products: $(installed_versions)"
}
installed_as_expected() {  # WHAT VERSION
  [ "$(our_files)" = "$(expected_files)" ] && pass "$1: the four DLLs in place" ||
    fail "$1 files: $(our_files | xargs)"
  for a in x64 x86; do
    use_arch $a
    cmp -s "$drive_c/$program_files/TORVEX/torvex.dll" "$bin/torvex.dll" &&
      cmp -s "$drive_c/$program_files/TORVEX/Arjlib32.dll" "$bin/Arjlib32.dll" &&
      pass "$1: the $a pair in $program_files" || fail "$1: the $a pair differs"
  done
  [ "$(installed_versions)" = "$2" ] && pass "$1: installed product version $2" ||
    fail "$1 installed products: $(installed_versions)"
}

new_prefix installer
# Stale entries under the class key, as an earlier registration may leave:
# the installer makes the key afresh, as regsvr32 does.
for a in x64 x86; do
  use_arch $a
  reg add "HKCR\\CLSID\\$clsid\\Foreign" /f >/dev/null 2>&1
done
if msiexec /i "$msi_new"; then pass "msiexec /i"; else fail "msiexec /i exit $?"; fi
installed_as_expected "install" "$version"
for a in x64 x86; do
  use_arch $a
  registry_report >"$work/msi-$a-registry.raw"
  expected_registered "C:\\$program_files\\TORVEX\\torvex.dll" >"$work/msi-$a-registry.expected"
  compare msi-$a-registry "$work/msi-$a-registry.expected"
done
registry_dump >"$work/msi-dump.raw"
for a in x64 x86; do
  use_arch $a
  fresh_e2e
  js_round_trip msi-$a-round_trip_js
done
if msiexec /x "$msi_new"; then pass "msiexec /x"; else fail "msiexec /x exit $?"; fi
check_nothing_left "uninstall"

# What regsvr32 leaves for the same folders, the 64-bit DLL registered last
# (the type library key is one for both views, and so is its help folder).
for a in x86 x64; do
  use_arch $a
  mkdir -p "$drive_c/$program_files/TORVEX"
  cp "$bin/torvex.dll" "$bin/Arjlib32.dll" "$drive_c/$program_files/TORVEX/"
  regsvr32 /s "C:\\$program_files\\TORVEX\\torvex.dll" || fail "$a regsvr32 for the comparison"
done
registry_dump >"$work/regsvr32-dump.raw"
tr -d '\r' <"$work/regsvr32-dump.raw" >"$work/regsvr32-dump.expected"
compare msi-dump "$work/regsvr32-dump.expected"
for a in x64 x86; do
  use_arch $a
  regsvr32 /u /s "C:\\$program_files\\TORVEX\\torvex.dll" || true
  rm -rf "$drive_c/$program_files/TORVEX"
done

# A major upgrade: the older product goes, this one stays, whole.
if msiexec /i "$msi_old"; then pass "msiexec /i $old_version"; else fail "msiexec /i $old_version exit $?"; fi
installed_as_expected "install $old_version" "$old_version"
if msiexec /i "$msi_new"; then pass "msiexec /i $version over $old_version"; else
  fail "msiexec /i $version over $old_version exit $?"; fi
installed_as_expected "upgrade" "$version"
registry_dump >"$work/upgrade-dump.raw"
compare upgrade-dump "$work/regsvr32-dump.expected"
if msiexec /x "$msi_new"; then pass "msiexec /x after the upgrade"; else
  fail "msiexec /x after the upgrade exit $?"; fi
check_nothing_left "uninstall after the upgrade"

wineserver -w
if ((failures)); then
  echo "windows-test: $failures failure(s)"
  exit 1
fi
echo "windows-test: all passed"
