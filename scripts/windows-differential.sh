# The differential check: every scenario of windows/test/differential.scenarios
# runs once through the registered torvex.dll under Wine (one JScript process,
# windows/test/differential.js) and once through the Linux `torvex` command;
# windows/test/differential.py compares the method results and the trees.
# The only differences accepted are those a scenario allows under the name of
# a documented Wine departure (docs/wine-departures.md), and each of them must
# be seen. Each scenario is one check of the architecture at hand; the last
# line gives the counts: ran, same, differing as documented, differing.
# Sourced by scripts/windows-test.sh, whose helpers (record, run, runs) and
# settings (arch, drive_c, sys, work, volume, cli, root, tests, wine64,
# micros, x86_reason) it uses; called with the architecture's DLL registered.

# The value &TELVORIN reads in both runs, in the registry view both DLLs read.
differential_telvorin='C:\dfx\macro-telvorin\TELV'

differential_checks() {
  local dwork=$work/$arch-differential linux_t=$volume/$arch-differential wine_t verdict name rest
  local scenarios t0=${EPOCHREALTIME/./}
  scenarios=$(grep -cvE '^\s*(#|$)' "$tests/differential.scenarios")
  if ! runs $arch; then
    record $arch skip "differential ($scenarios scenarios): $x86_reason"
    return
  fi
  wine_t=$(readlink -f "$WINEPREFIX/dosdevices/t:")
  rm -rf "$dwork" "$linux_t" "$drive_c/dfx" "$wine_t/dfx"
  mkdir -p "$dwork" "$linux_t"
  cp "$tests/differential.js" "$drive_c/e2e/"
  "$wine64" reg add 'HKLM\Software\Norvalis\Telvorin' /v Telvorin /d "$differential_telvorin" \
    /f /reg:32 >/dev/null
  if python3 "$tests/differential.py" prepare "$tests/differential.scenarios" "$dwork" \
      "$drive_c" "$wine_t" "$drive_c/e2e/differential.calls" "$cli" >"$dwork/prepare.log" 2>&1; then
    run $arch-differential "$sys\\cscript.exe" //nologo differential.js 'C:\e2e\differential.calls'
    python3 "$tests/differential.py" compare "$tests/differential.scenarios" "$dwork" "$drive_c" \
      "$wine_t" "$linux_t" "$work/$arch-differential.raw" "$cli" "$root/docs/wine-departures.md" \
      "$differential_telvorin" >"$dwork/verdicts" 2>&1 || true
  else
    cat "$dwork/prepare.log" >"$dwork/verdicts"
  fi
  # One check a scenario; the notes under a verdict say what differed.
  while IFS= read -r line; do
    read -r verdict name rest <<<"$line"
    case $verdict in
      same) record $arch pass "differential $name: the same" ;;
      documented) record $arch pass "differential $name: differs only as documented $rest" ;;
      DIFFERS) record $arch fail "differential $name: differs" ;;
      differential:) echo "$arch $line" ;;
      *) echo "$line" ;;
    esac
  done <"$dwork/verdicts"
  grep -q '^differential: ' "$dwork/verdicts" ||
    { record $arch fail "differential: no counts"; sed 's/^/     | /' "$work/$arch-differential.err" 2>/dev/null; }
  micros[$arch]=$((micros[$arch] + ${EPOCHREALTIME/./} - t0))
  rm -rf "$drive_c/dfx" "$wine_t/dfx" "$linux_t"
}
