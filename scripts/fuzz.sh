#!/usr/bin/env bash
# Coverage-guided fuzzing of the parsers and the audio path under libFuzzer
# with AddressSanitizer and UndefinedBehaviorSanitizer.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Configures build/fuzz with clang, builds the targets (all of them unless
# named: bank_chunk program_chunk program_files configuration midi_file png
# parameter_text render_stream http_response clap_state clap_events
# vst3_state) and runs each for SECONDS (default 60).
# New inputs go to build/fuzz/corpus/<target>, never to the committed corpus
# under tests/fuzz/corpus; crash reproducers land in build/fuzz/crashes.
# Each target's log is build/fuzz/logs/<target>.log.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(bank_chunk program_chunk program_files configuration midi_file png parameter_text render_stream http_response
    clap_state clap_events vst3_state)
fi
dir=$BUILD_ROOT/fuzz

# clang brings libFuzzer; the test command does not need it, so it is
# installed here rather than by setup.sh.
if ! command -v clang++ >/dev/null; then
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends clang
fi

CC=clang CXX=clang++ cmake -S "$KESTRION_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRION_FUZZ=ON >/dev/null || die "configuring $dir failed"
nice cmake --build "$dir" -j "$JOBS" --target "${targets[@]/#/fuzz_}" || die "building the fuzz targets failed"

mkdir -p "$dir/logs" "$dir/crashes"
status=0
printf '%-16s %12s %8s %8s %8s %s\n' target executions exec/s cov ft crashes
for target in "${targets[@]}"; do
  corpus=$dir/corpus/$target
  mkdir -p "$corpus"
  log=$dir/logs/$target.log
  # The configuration target writes its file: keep it away from the user's,
  # in memory where there is a shared-memory folder (it rereads it often).
  config=$dir/user-config
  [ -d /dev/shm ] && config=/dev/shm/kestrion-fuzz-$(id -u)-config
  XDG_CONFIG_HOME=$config KESTRION_FUZZ_CONFIG_HOME=$config nice "$dir/tests/fuzz/fuzz_$target" "$corpus" \
    "$KESTRION_ROOT/tests/fuzz/corpus/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$dir/crashes/$target-" >"$log" 2>&1
  rc=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  crashes=$(find "$dir/crashes" -name "$target-*" | wc -l)
  printf '%-16s %12s %8s %8s %8s %s\n' "$target" "${executions:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "$crashes"
  [ $rc -eq 0 ] || status=1
done
exit $status
