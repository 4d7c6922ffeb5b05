#!/usr/bin/env bash
# The test command of Kestrion (README and CI run exactly this). Prepares the
# machine, then builds and tests the plug-in four ways:
#   format   every C++ file laid out as .clang-format says
#   linux    RelWithDebInfo build in build/linux, every test
#   asan     AddressSanitizer + UndefinedBehaviorSanitizer in build/asan, every test
#   tsan     ThreadSanitizer in build/tsan: builds and runs only the concurrency
#            tests and the validator on the plug-in
#   windows  mingw-w64 cross build in build/windows, every test under Wine
#   crossplatform  the demo rendered by both builds, compared
#   release  the Debian package and the release archives, their contents listed
# Every stage runs even when an earlier one failed; the summary at the end says
# which failed, and the exit status is non-zero when any did.
# Logs of each stage: build/logs/<stage>.log.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

LOG_DIR=$BUILD_ROOT/logs
WINE_PREFIX_DIR=$BUILD_ROOT/wine-prefix
CTEST_ARGS=(--output-on-failure --no-tests=error)

# --- An X display for the whole run: editor tests open real windows. -------
XVFB_PID=
start_xvfb() {
  local display_file=$BUILD_ROOT/.xvfb-display
  rm -f "$display_file"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  local tries=0
  until [ -s "$display_file" ]; do
    kill -0 "$XVFB_PID" 2>/dev/null || die "Xvfb did not start"
    [ $((tries += 1)) -le 100 ] || die "Xvfb gave no display number within 10 s"
    sleep 0.1
  done
  DISPLAY=:$(head -n 1 "$display_file")
  export DISPLAY
  echo "test: Xvfb (pid $XVFB_PID) on display $DISPLAY"
}

cleanup() {
  if [ -d "$WINE_PREFIX_DIR" ]; then
    WINEPREFIX=$WINE_PREFIX_DIR wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# The sanitizer builds compile at -O1 with line tables only: what the
# sanitizers advise, enough for their stack traces, and about half the
# compile time of -O2 -g. The Windows build keeps -O2 (it is what the release
# ships, stripped) with line tables only.
SANITIZER_FLAGS=("-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")
WINDOWS_FLAGS=("-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")

# --- The stages. Each runs in its own subshell, so their exports stay apart. -
stage_format() {
  bash "$KESTRION_ROOT/scripts/format.sh" --check
}

stage_linux() {
  configure_and_build "$BUILD_ROOT/linux" -DKESTRION_WINDOWS_BUILD_DIR="$BUILD_ROOT/windows" &&
    ctest --test-dir "$BUILD_ROOT/linux" "${CTEST_ARGS[@]}" -j "$JOBS" -LE crossplatform
}

stage_asan() {
  export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  configure_and_build "$BUILD_ROOT/asan" -DKESTRION_SANITIZE=address,undefined "${SANITIZER_FLAGS[@]}" &&
    ctest --test-dir "$BUILD_ROOT/asan" "${CTEST_ARGS[@]}" -j "$JOBS"
}

stage_tsan() {
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
  cmake -S "$KESTRION_ROOT" -B "$BUILD_ROOT/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTRION_SANITIZE=thread "${SANITIZER_FLAGS[@]}" &&
    cmake --build "$BUILD_ROOT/tsan" -j "$JOBS" --target concurrency_tests &&
    ctest --test-dir "$BUILD_ROOT/tsan" "${CTEST_ARGS[@]}" -j "$JOBS" -R 'Concurren|^Validator\.Kestrion'
}

wine_environment() {
  export WINEPREFIX=$WINE_PREFIX_DIR WINEARCH=win64 WINEDEBUG=-all
  # No Mono or Gecko install prompts; a crash exits non-zero instead of
  # starting the debugger.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
}

# A wineserver started on demand would inherit ctest's output pipe and slow
# every test down; start it persistent and warm, then stop it after.
warm_wineserver() {
  wineserver -p </dev/null >/dev/null 2>&1
  "$WINE64" cmd /c exit 0 </dev/null >/dev/null 2>&1
}

stage_windows() {
  wine_environment
  # A fresh prefix every run, so no test sees what an earlier run left there.
  # It is made before the build, which runs the factory bank builder under Wine.
  echo "test: creating the Wine prefix $WINEPREFIX"
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  "$WINE64" wineboot -i </dev/null >/dev/null 2>&1 || { echo "wineboot failed"; return 1; }
  wineserver -w
  warm_wineserver
  local status=0
  configure_and_build "$BUILD_ROOT/windows" \
    -DCMAKE_TOOLCHAIN_FILE="$MINGW_TOOLCHAIN" \
    -DKESTRION_DEPS_PREFIX="$MINGW_DEPS_PREFIX" "${WINDOWS_FLAGS[@]}" &&
    ctest --test-dir "$BUILD_ROOT/windows" "${CTEST_ARGS[@]}" -j 1 || status=$?
  wineserver -k >/dev/null 2>&1
  return "$status"
}

# The Linux and the Windows build render the same demo files alike.
stage_crossplatform() {
  wine_environment
  warm_wineserver
  local status=0
  ctest --test-dir "$BUILD_ROOT/linux" "${CTEST_ARGS[@]}" -j 1 -L crossplatform || status=$?
  wineserver -k >/dev/null 2>&1
  return "$status"
}

# The release files made from the Linux and Windows builds, their contents
# checked and listed.
stage_release() {
  bash "$KESTRION_ROOT/scripts/release.sh" "$BUILD_ROOT/linux" "$BUILD_ROOT/windows" &&
    echo "result: $(cd "$BUILD_ROOT/release" && ls | tr '\n' ' ')"
}

# --- Running and summing up. ------------------------------------------------
summary=()
total_passed=0
total_failed=0
any_failed=0

run_stage() {
  local name=$1 started=$SECONDS status
  log "stage $name"
  "stage_$name" 2>&1 | tee "$LOG_DIR/$name.log"
  status=${PIPESTATUS[0]}
  local took=$((SECONDS - started)) counts result
  # ctest closes with "NN% tests passed, F tests failed out of T".
  counts=$(grep -aE '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$LOG_DIR/$name.log" | tail -n 1)
  if [ -n "$counts" ]; then
    local failed total
    failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$counts")
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$counts")
    total_passed=$((total_passed + total - failed))
    total_failed=$((total_failed + failed))
    result="$((total - failed)) passed, $failed failed"
  elif grep -q '^result: ' "$LOG_DIR/$name.log"; then
    result=$(sed -n 's/^result: //p' "$LOG_DIR/$name.log" | tail -n 1)
  elif grep -q 'No tests were found' "$LOG_DIR/$name.log"; then
    result="no test found to run"
  else
    result="no test ran: the build failed (build/logs/$name.log)"
  fi
  if [ "$status" -eq 0 ]; then
    summary+=("$(printf '  %-13s ok      %6s  %s' "$name" "$(format_seconds "$took")" "$result")")
  else
    any_failed=1
    summary+=("$(printf '  %-13s FAILED  %6s  %s' "$name" "$(format_seconds "$took")" "$result")")
  fi
}

run_started=$SECONDS
log "setup"
bash "$KESTRION_ROOT/scripts/setup.sh" || die "setup.sh failed; nothing was built"
mkdir -p "$LOG_DIR"
start_xvfb

for stage in format linux asan tsan windows crossplatform release; do
  run_stage "$stage"
done

log "summary ($(format_seconds $((SECONDS - run_started))) in all)"
printf '%s\n' "${summary[@]}"
if [ "$any_failed" -ne 0 ]; then
  echo "test.sh: FAILED"
else
  echo "test.sh: all stages passed"
fi
echo "tests: $total_passed passed, $total_failed failed"
exit "$any_failed"
