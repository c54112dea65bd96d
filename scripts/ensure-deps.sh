#!/usr/bin/env bash
# Installs the dependencies only when some are missing, so repeated runs stay fast.
set -euo pipefail
here=$(dirname "$0")
if ! "$here/deps-present.sh"; then
  if [ "$(id -u)" -eq 0 ]; then
    "$here/install-deps.sh"
  else
    sudo "$here/install-deps.sh"
  fi
fi
