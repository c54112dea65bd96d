#!/usr/bin/env bash
# Builds the Debian package and the tarball from a configured build (default
# build-release/) and checks them as a user gets them: apt accepts the
# package's dependencies, and the torvex of each, unpacked into a scratch
# root, answers --version, runs the demo, registers the library installed
# beside it and is called late-bound through that registration.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build-release}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G "DEB;TGZ" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; echo "package test: cpack failed" >&2; exit 1; }
deb=$(ls "$work"/out/torvex_"$version"_*.deb)
tgz=$(ls "$work"/out/torvex-"$version"-*.tar.gz)

fail() { echo "package test: $*" >&2; exit 1; }

# Depends must be satisfiable on this system (no change is made to it).
apt-get install --simulate "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt refuses $deb"; }

# check ROOT BIN LIB DOC: the installed command BIN, the library LIB and the
# documentation folder DOC under ROOT.
check() {
  local root=$1 bin=$1/$2 lib=$1/$3
  [ -x "$bin" ] || fail "no $bin"
  [ -f "$lib" ] || fail "no $lib"
  [ "$("$bin" --version)" = "torvex $version" ] || fail "$bin --version"
  mkdir -p "$root/tmp" "$root/config" "$root/c"
  TMPDIR=$root/tmp "$bin" demo >"$work/demo.log" || { cat "$work/demo.log"; fail "$bin demo"; }
  export XDG_CONFIG_HOME=$root/config TORVEX_DRIVES=C=$root/c
  [ "$("$bin" register)" = 0x00000000 ] || fail "$bin register"
  grep -qF "\"$(realpath "$lib")\"" "$root/config/torvex/registry.reg" ||
    fail "register did not record $lib"
  echo x >"$root/c/present.txt"
  [ "$("$bin" --dispatch EXISTEARQUIVO C:/present.txt)" = 0 ] || fail "$bin --dispatch"
  unset XDG_CONFIG_HOME TORVEX_DRIVES
  # Every document is there, and its links resolve where it is installed.
  for doc in README.md docs/host-guide.md docs/formats.md docs/architecture.md \
      docs/recovery.md docs/cli.md docs/environment.md examples/README.md examples/round.sh; do
    [ -f "$root/$4/$doc" ] || fail "no $4/$doc"
  done
  "$top/scripts/check-docs.sh" --installed "$root/$4" || fail "links of $4"
  echo "package test: $bin works"
}

dpkg-deb -x "$deb" "$work/deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
check "$work/deb" usr/bin/torvex "usr/$libdir/torvex/libtorvex.so" usr/share/doc/torvex

mkdir "$work/tgz"
tar -xzf "$tgz" -C "$work/tgz"
tree=$(basename "$tgz" .tar.gz)
check "$work/tgz" "$tree/bin/torvex" "$tree/$libdir/torvex/libtorvex.so" "$tree/share/doc/torvex"
echo "package test passed: $(basename "$deb"), $(basename "$tgz")"
