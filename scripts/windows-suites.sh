#!/usr/bin/env bash
# Runs the product's GoogleTest suites, cross-built for Windows, under Wine on
# the Win32 back end, for one architecture; scripts/windows-test.sh calls it
# in a prefix of their own, once per architecture that runs.
#
# Usage: scripts/windows-suites.sh ARCH SUITES_DIR LOADER...
#   ARCH        x64 or x86, the name the counts carry
#   SUITES_DIR  the folder of the suites' programs (BUILD/ARCH/suites)
#   LOADER      how ARCH's programs start (wine64, or the 32-bit loader)
# WINEPREFIX must name the prefix. Each suite maps drive C: to a fresh folder
# per test through Wine's mount manager (tests/support/temp_tree_win.cc);
# the code page is Windows-1252, which the tests' accented names expect.
#
# Prints every failure in full, every skipped test with its reason, then one
# line: ARCH suites: N ran, N passed, N skipped, in S s. Exits 1 when a test
# failed or a suite did not finish (a crash or more than TORVEX_SUITE_TIMEOUT
# seconds, default 900).
set -euo pipefail

arch=$1 suites=$2
shift 2
loader=("$@")
export LC_ALL=C.UTF-8  # under which Wine takes ANSI code page 1252
# A point of a crash, power-cut or failure sweep costs far more under Wine
# than on Linux (each is a fresh tree, many file calls through the Wine
# server): the sweeps here cut at every TORVEX_SWEEP_STRIDE-th operation,
# where the Linux stage cuts at every one.
export TORVEX_SWEEP_STRIDE=${TORVEX_SWEEP_STRIDE:-40}
echo "$arch: the sweeps cut at every ${TORVEX_SWEEP_STRIDE}th operation under Wine (every one on Linux)"
# A suite whose points cost most steps a multiple further, to keep the stage
# within CI's time: each download point is a pass over five archives, cut,
# the tree rebuilt, and two passes more.
declare -A stride_factor=([torvex_download_tests]=4)
for name in "${!stride_factor[@]}"; do
  echo "$arch: $name cuts at every $((TORVEX_SWEEP_STRIDE * stride_factor[$name]))th operation"
done
# A suite that dies mid-test leaves C: mapped to a removed folder, and the
# prefix could start no program after it: C: is put back after each suite.
drive_c=$(readlink "$WINEPREFIX/dosdevices/c:")
ran=0 passed=0 skipped=0 broken=0 start=$SECONDS
log=$(mktemp /tmp/torvex-suite.XXXXXX)
trap 'rm -f "$log"' EXIT

# suites.txt, written by the build, names the programs.
while IFS= read -r program; do
  name=${program%.exe} program=$suites/$program
  status=0
  TORVEX_SWEEP_STRIDE=$((TORVEX_SWEEP_STRIDE * ${stride_factor[$name]:-1})) \
    timeout "${TORVEX_SUITE_TIMEOUT:-900}" "${loader[@]}" "$program" --gtest_color=no </dev/null >"$log" 2>&1 ||
    status=$?
  ln -sfn "$drive_c" "$WINEPREFIX/dosdevices/c:"
  tr -d '\r' <"$log" >"$log.txt" && mv "$log.txt" "$log"
  total=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log")
  ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\./\1/p' "$log")
  skip=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:/\1/p' "$log")
  total=${total:-0} ok=${ok:-0} skip=${skip:-0}
  ran=$((ran + total - skip)) passed=$((passed + ok)) skipped=$((skipped + skip))
  # Each skipped test with the reason it gave.
  awk -v arch="$arch" '
    /^\[ RUN      \]/ { test = $4; reason = ""; within = 0 }
    /: Skipped$/ { within = 1; next }
    within && /^\[  SKIPPED \]/ { printf "skip %s %s: %s\n", arch, test, reason; within = 0; next }
    within { reason = reason (reason == "" ? "" : " ") $0 }' "$log"
  printf '%s %s %s: %d ran, %d passed, %d skipped\n' "$( ((status == 0)) && echo ok || echo FAIL)" \
    "$arch" "$name" $((total - skip)) "$ok" "$skip"
  if ((status != 0)); then
    broken=$((broken + 1))
    # The failing tests' own lines and the end of the run.
    awk '/^\[ RUN      \]/ { buf = "" } { buf = buf $0 "\n" } /^\[  FAILED  \] [^ ]+ \(/ { printf "%s", buf }' \
      "$log" | sed 's/^/     | /'
    tail -n 5 "$log" | sed 's/^/     | /'
    echo "     | exit status $status"
  fi
  # The sweeps' count lines, as the Linux stage prints them.
  grep -hE '(power cuts|interference|kill -9)' "$log" | sed 's/^/     /' || true
done <"$suites/suites.txt"

echo "$arch suites: $ran ran, $passed passed, $skipped skipped, in $((SECONDS - start))s"
((broken == 0))
