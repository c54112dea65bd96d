#!/usr/bin/env bash
# Cross-builds the Windows deliverables of both architectures with mingw-w64,
# then the installer with wixl, into build-win/ (or $1):
#   x86/windows/   32-bit torvex.dll, Arjlib32.dll, torvex.exe (and the test programs)
#   x86/suites/    the product's GoogleTest suites, 32-bit
#   x64/windows/, x64/suites/   the same, 64-bit
#   registry.wxi   the installer's registry data, made by torvex_write_wxs
#                  (which also gives the RemoveRegistry rows msibuild adds)
#   torvex-VERSION.msi  the installer, VERSION being project(VERSION)
# torvex_write_wxs is a Linux program of this source tree, built in
# TORVEX_HOST_BUILD (default build-win/host; CI passes its release build).
# TORVEX_MSI_VERSION builds the installer with another product version
# (the upgrade test's older one). Installs the toolchain and wixl when missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$root/build-win}" && cd "${1:-$root/build-win}" && pwd)
host=${TORVEX_HOST_BUILD:-$build/host}

need=()
for prefix in i686 x86_64; do
  command -v $prefix-w64-mingw32-g++-posix >/dev/null || need+=(mingw-w64)
  command -v $prefix-w64-mingw32-widl >/dev/null || need+=(mingw-w64-tools)
done
command -v wixl >/dev/null || need+=(wixl)
command -v msibuild >/dev/null || need+=(msitools)
# stdole2.tlb, which the type library imports.
[ -e /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/stdole2.tlb ] || need+=(libwine)
command -v g++ >/dev/null || need+=(g++)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
if ((${#need[@]})); then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y $(printf '%s\n' "${need[@]}" | sort -u)
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# Release, as shipped; any warning fails the build.
for arch in x86 x64; do
  toolchain=$root/cmake/mingw-w64.cmake
  [ $arch = x86 ] && toolchain=$root/cmake/mingw-w64-i686.cmake
  cmake -S "$root" -B "$build/$arch" -G Ninja "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DTORVEX_TESTS=ON -DTORVEX_BENCH=OFF >/dev/null
  cmake --build "$build/$arch" --target torvex_windows torvex_windows_suites -j2
done

if [ ! -f "$host/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$host" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTORVEX_TESTS=OFF >/dev/null
fi
cmake --build "$host" --target torvex_write_wxs -j2
"$host/component/torvex_write_wxs" >"$build/registry.wxi"

# wixl takes File sources relative to the current directory: the build folder.
version=${TORVEX_MSI_VERSION:-$(cat "$build/x64/windows/version.txt")}
clsid=$("$host/component/torvex_write_wxs" clsid)
(cd "$build" && wixl -a x64 -D Version="$version" -D Clsid="$clsid" -I "$build" \
  -I "$root/windows/installer" -o "torvex-$version.msi" "$root/windows/installer/torvex.wxs")
# The keys that registration makes afresh are deleted first at install: a
# table wixl cannot write, added with msibuild (rows of each torvex.dll's
# component, named in windows/installer/pair.wxi).
queries=()
while IFS= read -r query; do queries+=(-q "$query"); done \
  < <("$host/component/torvex_write_wxs" remove-registry torvex_x86 torvex_x64)
# wixl writes no component conditions either: the allow list is written
# when ALLOWEDSITES is given, the kill bit when DISABLEBROWSER=1. Windows
# Installer removes a component at uninstall whatever its condition, but
# Wine's installer leaves one whose condition is false then, hence the
# REMOVE term. Both properties pass to an elevated install, beside the
# upgrade's own secure properties that wixl lists.
for arch in x86 x64; do
  queries+=(-q "UPDATE \`Component\` SET \`Condition\` = 'ALLOWEDSITES OR REMOVE~=\"ALL\"' WHERE \`Component\` = 'sites_$arch'")
  queries+=(-q "UPDATE \`Component\` SET \`Condition\` = 'DISABLEBROWSER = 1 OR REMOVE~=\"ALL\"' WHERE \`Component\` = 'killbit_$arch'")
done
secure=$(msiinfo export "$build/torvex-$version.msi" Property |
  awk -F'\t' '$1 == "SecureCustomProperties" {print $2}')
if [ -n "$secure" ]; then
  queries+=(-q "UPDATE \`Property\` SET \`Value\` = '$secure;ALLOWEDSITES;DISABLEBROWSER' WHERE \`Property\` = 'SecureCustomProperties'")
else
  queries+=(-q "INSERT INTO \`Property\` (\`Property\`, \`Value\`) VALUES ('SecureCustomProperties', 'ALLOWEDSITES;DISABLEBROWSER')")
fi
# The system PATH takes the 64-bit folder, the one torvex.exe for every
# host, and gives it back at uninstall ("=-*": set, removed with the
# component, system-wide; "[~];" appends to what is there): an Environment
# row and the two standard actions, which wixl cannot write either.
queries+=(-q "CREATE TABLE \`Environment\` (\`Environment\` CHAR(72) NOT NULL, \`Name\` CHAR(255) NOT NULL LOCALIZABLE, \`Value\` CHAR(255) LOCALIZABLE, \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`Environment\`)"
  -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('path_x64', '=-*PATH', '[~];[INSTALLDIR_x64]', 'command_x64')")
sequence=$(msiinfo export "$build/torvex-$version.msi" InstallExecuteSequence)
for action in RemoveEnvironmentStrings:3300 WriteEnvironmentStrings:5200; do
  grep -q "^${action%%:*}[[:space:]]" <<<"$sequence" ||
    queries+=(-q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('${action%%:*}', ${action##*:})")
done
msibuild "$build/torvex-$version.msi" "${queries[@]}"
echo "windows-build: $build/x86/windows, $build/x64/windows, $build/torvex-$version.msi"
