#!/usr/bin/env bash
# Installs what building and testing TORVEX needs on Debian 12 (run as root).
set -euo pipefail
packages=(
  cmake ninja-build g++ clang          # the build
  libclang-rt-14-dev                   # sanitizer and libFuzzer runtimes for clang
  libgtest-dev libgmock-dev libbenchmark-dev  # tests and benchmarks
  arj 7zip                             # other ARJ programs the tests compare with
  dpkg-dev                             # dpkg-shlibdeps, for the Debian package's Depends
)
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y "${packages[@]}"
