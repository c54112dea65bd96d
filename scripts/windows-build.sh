#!/usr/bin/env bash
# Cross-builds the Windows DLLs (torvex.dll, Arjlib32.dll) and the test client
# with mingw-w64 into build-win/ (or $1). Installs the toolchain when missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(mingw-w64)
command -v x86_64-w64-mingw32-widl >/dev/null || need+=(mingw-w64-tools)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
if ((${#need[@]})); then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}"
fi

# Release, as shipped; any warning fails the build.
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_BUILD_TYPE=Release -DTORVEX_TESTS=OFF -DTORVEX_BENCH=OFF
cmake --build "$build" --target torvex_windows -j2
