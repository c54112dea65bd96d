#!/usr/bin/env bash
# Watches the host's /dev/null for the length of a test run (scripts/test.sh).
# Twice a run found it replaced by a plain file, after which ninja could start
# no job and every later stage failed for that alone; what replaced it is not
# known yet. When it is no longer the null device, this notes the moment and
# the processes then running in LOG, and makes the device again (root only),
# so that the stages after it still test the code. It ends with its parent.
# No redirection to /dev/null here: while it is missing, one would make it.
set -u
log=$1 parent=$PPID
while [ -d "/proc/$parent" ]; do
  if ! [ -c /dev/null ]; then
    { echo "$(date +%T): /dev/null was: $(stat -c %F /dev/null 2>&1)"
      ps -eo pid,ppid,etimes,args --sort=start_time | tail -n 40; } >>"$log"
    mknod -m 666 /dev/.null-sentinel c 1 3 && mv -f /dev/.null-sentinel /dev/null
  fi
  sleep 0.05
done
