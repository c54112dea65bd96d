#!/usr/bin/env bash
# Builds the torvex command and runs its demo: a full round trip in a fresh
# temporary tray tree. Extra arguments go to `torvex demo` (e.g. --keep).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/ensure-deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" --target torvex_cli -j2
exec "$top/build/torvex" demo "$@"
