#!/usr/bin/env bash
# Exits 0 when everything scripts/install-deps.sh installs is already here.
for tool in cmake ninja g++ clang++ arj 7zz dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || exit 1
done
for header in gtest/gtest.h gmock/gmock.h benchmark/benchmark.h; do
  [ -e "/usr/include/$header" ] || exit 1
done
# clang's libFuzzer runtime, for the fuzz stage.
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || exit 1
