#!/usr/bin/env bash
# Builds everything and runs every test; what CI runs. Installs the
# dependencies first when some are missing. Four stages:
#   1. the Release build that we ship (preset "release", warnings as errors)
#      with all tests and the benchmarks built: the exchange benchmark on the
#      disk (/var/tmp), a short codec benchmark (a member larger than arj -m1
#      makes it fails), every test, then its Debian package and tarball,
#      unpacked and run (scripts/package-test.sh);
#   2. the Windows DLLs (x86 and x64) and the MSI, cross-built and tested end
#      to end under Wine;
#   3. the Linux tests built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   4. a short run of every fuzzer (clang, libFuzzer).
# TORVEX_TEST_STAGES picks stages, e.g. "1" or "1 3" (default "1 2 3 4");
# TORVEX_FUZZ_SECONDS sets each fuzzer's time (default 20).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
stages=${TORVEX_TEST_STAGES:-1 2 3 4}
"$top/scripts/ensure-deps.sh"

stage() { printf '\n=== %s ===\n' "$*"; }

if [[ " $stages " == *" 1 "* ]]; then
  stage "Release build"
  (cd "$top" && cmake --preset release && cmake --build --preset release)
  # Before the tests, whose thousands of deleted files would slow every file
  # the benchmark makes for a minute on a file system without a journal.
  stage "Exchange benchmark, 1,000 and 10,000 files (fails only when a call fails)"
  "$top/build-release/bench/exchange/torvex_exchange_bench" 1000 10000
  stage "Archive codec benchmark, short (fails when a member comes out larger than arj -m1 makes it)"
  "$top/build-release/bench/arj/torvex_arj_bench" --short
  stage "Release tests"
  (cd "$top" && ctest --preset release)
  echo "Crash and power-cut sweeps:"
  grep -hE '(power cuts|kill -9)' "$top/build-release/Testing/Temporary/LastTest.log" | sort -u
  "$top/scripts/package-test.sh" "$top/build-release"
fi

if [[ " $stages " == *" 2 "* ]]; then
  stage "Windows DLLs under Wine"
  # The Linux torvex of stage 1 writes the archives the test receives; its
  # build tree also holds the installer's host tool.
  TORVEX_CLI=$top/build-release/torvex TORVEX_HOST_BUILD=$top/build-release \
    "$top/scripts/windows-test.sh"
fi

if [[ " $stages " == *" 3 "* ]]; then
  stage "AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
  cmake -S "$top" -B "$top/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DTORVEX_SANITIZE=ON -DTORVEX_TESTS=ON -DTORVEX_BENCH=OFF
  cmake --build "$top/build-asan" -j2
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$top/build-asan" -j2 --output-on-failure
fi

if [[ " $stages " == *" 4 "* ]]; then
  stage "Fuzz smoke run"
  cmake -S "$top" -B "$top/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DTORVEX_FUZZ=ON -DTORVEX_TESTS=OFF -DTORVEX_BENCH=OFF
  cmake --build "$top/build-fuzz" --target fuzz/all -j2
  seconds=${TORVEX_FUZZ_SECONDS:-20}
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
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
      exit 1
    }
  done < <(find "$top/build-fuzz/fuzz" -type f -executable | sort)
  echo "fuzz smoke run passed"
fi
