#!/usr/bin/env bash
# Builds everything and runs every test; what CI runs. Installs the
# dependencies first when some are missing. Four stages:
#   1. the Release build that we ship (preset "release", warnings as errors)
#      with all tests and the benchmarks built: the exchange benchmark on the
#      disk (/var/tmp), a short codec benchmark (a member larger than arj -m1
#      makes it fails), every test, then its Debian package and tarball,
#      unpacked and run (scripts/package-test.sh);
#   2. the Windows DLLs (x86 and x64) and the MSI, cross-built and tested end
#      to end under Wine (scripts/windows-test.sh);
#   3. the Linux tests built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   4. a short run of every fuzzer (clang, libFuzzer).
# Stage 2 runs beside stages 3 and 4 when they are selected: it waits on Wine
# most of the time, and its output is printed once it ends.
# Every selected stage runs even when an earlier one failed, so that one fault
# hides no other stage's results; only stage 2, which takes stage 1's Linux
# build, is skipped when that build failed (and says so). A table of the
# stages, their results and times ends the run; the exit status is non-zero
# when any stage failed or was skipped for a failed build.
# TORVEX_TEST_STAGES picks stages, e.g. "1" or "1 3" (default "1 2 3 4");
# TORVEX_FUZZ_SECONDS sets each fuzzer's time (default 20).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
stages=${TORVEX_TEST_STAGES:-1 2 3 4}
"$top/scripts/ensure-deps.sh"

# What the stages tell the table: a marker of stage 1's finished build and
# the Windows stage's counts per architecture.
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT

banner() { printf '\n=== %s ===\n' "$*"; }

if [ "$(id -u)" = 0 ] && [ -c /dev/null ]; then
  "$top/scripts/null-sentinel.sh" "$state/dev-null.log" &
fi

stage_1() {
  banner "Release build"
  (cd "$top" && cmake --preset release && cmake --build --preset release)
  touch "$state/release-built"
  # Before the tests, whose thousands of deleted files would slow every file
  # the benchmark makes for a minute on a file system without a journal.
  banner "Exchange benchmark, 1,000 and 10,000 files (fails only when a call fails)"
  "$top/build-release/bench/exchange/torvex_exchange_bench" 1000 10000
  banner "Archive codec benchmark, short (fails when a member comes out larger than arj -m1 makes it)"
  "$top/build-release/bench/arj/torvex_arj_bench" --short
  banner "Release tests"
  (cd "$top" && ctest --preset release)
  echo "Crash and power-cut sweeps, and status against the next pass:"
  grep -hE '(power cuts|kill -9|interference|\[ agreement \])' \
    "$top/build-release/Testing/Temporary/LastTest.log" | sort -u
  "$top/scripts/package-test.sh" "$top/build-release"
}

stage_2() {
  banner "Windows DLLs under Wine"
  # The Linux torvex writes the archives the test receives, and the Release
  # build tree holds the installer's host tool: stage 1 builds both; run
  # alone, this stage builds just those two.
  if [[ " $stages " != *" 1 "* ]]; then
    (cd "$top" && cmake --preset release >/dev/null &&
      cmake --build --preset release --target torvex torvex_write_wxs)
  fi
  TORVEX_CLI=$top/build-release/torvex TORVEX_HOST_BUILD=$top/build-release \
    TORVEX_WINDOWS_COUNTS=$state/windows-counts "$top/scripts/windows-test.sh"
}

stage_3() {
  banner "AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
  cmake -S "$top" -B "$top/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DTORVEX_SANITIZE=ON -DTORVEX_TESTS=ON -DTORVEX_BENCH=OFF
  cmake --build "$top/build-asan" -j2
  # The Release stage cuts at every operation; here each point costs several
  # times more, and every third one still runs every path under the checkers.
  local stride=${TORVEX_SWEEP_STRIDE:-3}
  echo "the sweeps cut at one operation in ${stride} under the sanitizers (at every one in stage 1)"
  TORVEX_SWEEP_STRIDE=$stride ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$top/build-asan" -j2 --output-on-failure
}

stage_4() {
  banner "Fuzz smoke run"
  cmake -S "$top" -B "$top/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DTORVEX_FUZZ=ON -DTORVEX_TESTS=OFF -DTORVEX_BENCH=OFF
  cmake --build "$top/build-fuzz" --target fuzz/all -j2
  local seconds=${TORVEX_FUZZ_SECONDS:-20} failed=() fuzzer name dict
  work=$(mktemp -d)  # global: the subshell's EXIT trap removes it
  trap 'rm -rf "$work"' EXIT
  # Every fuzzer runs: one finding hides no other's.
  while IFS= read -r fuzzer; do
    name=$(basename "$fuzzer")
    mkdir -p "$work/$name"
    # A dictionary beside the fuzzer's source is used when there is one.
    dict=$(find "$top/fuzz" -name "$name.dict" | head -n 1)
    echo "fuzzing $name for ${seconds}s"
    (cd "$work/$name" && "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 \
      ${dict:+-dict="$dict"} "$work/$name" >"$work/$name.log" 2>&1) || {
      tail -n 40 "$work/$name.log"
      echo "fuzzer $name failed"
      failed+=("$name")
    }
  done < <(find "$top/build-fuzz/fuzz" -type f -executable | sort)
  if ((${#failed[@]})); then
    echo "fuzz smoke run failed: ${failed[*]}"
    return 1
  fi
  echo "fuzz smoke run passed"
}

titles=([1]="Release build, tests, package" [2]="Windows DLLs and MSI under Wine"
  [3]="Sanitizer build and tests" [4]="Fuzz smoke run")
results=() times=() notes=()
failed=0
# The Windows stage waits on Wine most of the time (its programs keep a
# fraction of a core busy), so when stage 3 or 4 is selected too it runs
# beside them: its output is held in a log and printed whole once it ends.
beside=
if [[ " $stages " == *" 3 "* || " $stages " == *" 4 "* ]]; then beside=yes; fi
beside_pid=
finish() {  # N STATUS START: a stage's result and time
  local n=$1 status=$2
  times[n]=$((SECONDS - $3))
  if ((status == 0)); then results[n]=passed; else
    results[n]=failed notes[n]="exit status $status"
    failed=$((failed + 1))
  fi
}
for n in 1 2 3 4; do
  if [[ " $stages " != *" $n "* ]]; then
    results[n]=skipped notes[n]="not in TORVEX_TEST_STAGES"
    continue
  fi
  if ((n == 2)) && [[ " $stages " == *" 1 "* ]] && [ ! -e "$state/release-built" ]; then
    banner "${titles[2]}"
    echo "skipped: it needs stage 1's Release build, which failed"
    results[n]=skipped notes[n]="needs stage 1's Release build, which failed"
    failed=$((failed + 1))
    continue
  fi
  start=$SECONDS status=0
  # In a subshell of its own, started in the background: set -e holds there
  # (it would not in a function called from a condition), and a failure ends
  # only this stage.
  if ((n == 2)) && [ -n "$beside" ]; then
    banner "${titles[2]}: runs beside the stages after it; its output follows theirs"
    stage_2 >"$state/stage-2.log" 2>&1 &
    beside_pid=$! beside_start=$start
    continue
  fi
  "stage_$n" &
  wait $! || status=$?
  finish "$n" "$status" "$start"
done
if [ -n "$beside_pid" ]; then
  status=0
  wait "$beside_pid" || status=$?
  cat "$state/stage-2.log"
  finish 2 "$status" "$beside_start"
fi
if [ -s "$state/windows-counts" ]; then
  notes[2]="${notes[2]:+${notes[2]}; }$(paste -sd';' "$state/windows-counts" | sed 's/;/; /g')"
fi

if [ -s "$state/dev-null.log" ]; then
  banner "The host's /dev/null was replaced during the run, and made again"
  cat "$state/dev-null.log"
fi

banner "Summary"
printf '%-5s %-32s %-8s %8s  %s\n' stage "" result time notes
for n in 1 2 3 4; do
  time=-
  [ -n "${times[n]:-}" ] && time=$(printf '%dm%02ds' $((times[n] / 60)) $((times[n] % 60)))
  printf '%-5s %-32s %-8s %8s  %s\n' "$n" "${titles[n]}" "${results[n]}" "$time" "${notes[n]:-}"
done
if [ -s "$state/dev-null.log" ]; then
  printf '%-5s %s\n' host "/dev/null replaced at $(grep -c '/dev/null was' "$state/dev-null.log") moment(s), made again: see above"
fi
printf '%-5s %-32s %-8s %8s\n' all "" "$( ((failed)) && echo failed || echo passed)" \
  "$(printf '%dm%02ds' $((SECONDS / 60)) $((SECONDS % 60)))"
((failed == 0))
