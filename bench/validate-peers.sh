#!/usr/bin/env bash
# Runs the full kestrion-validate against Kestrion and against the Linux
# VST 2.4 plug-ins Debian packages (amsynth, the DISTRHO set from
# dpf-plugins-vst) and prints one row a plug-in: checks passed, failed,
# skipped, and what failed or crashed.
#   bash bench/validate-peers.sh [--quick]   (installs the peers with apt)
# Uses build/linux (built when the validator or Kestrion.so is missing); logs
# go to build/linux/validate-peers/.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

MODE=()
[ "${1:-}" = "--quick" ] && MODE=(--quick)
BUILD_DIR=${KESTRION_VALIDATE_BUILD_DIR:-$BUILD_ROOT/linux}
WORK=$BUILD_DIR/validate-peers

# --- The peers. -------------------------------------------------------------
missing=()
for pkg in amsynth dpf-plugins-vst; do
  dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null | grep -q '^ii' || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "validate-peers: installing ${missing[*]}"
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}" ||
    die "cannot install ${missing[*]}"
fi
mapfile -t peers < <({ dpkg -L amsynth | grep '/amsynth_vst\.so$'; dpkg -L dpf-plugins-vst | grep '/vst/.*\.so$'; } | sort -u)

# --- Our build. -------------------------------------------------------------
VALIDATE=$BUILD_DIR/tools/validator/kestrion-validate
KESTRION=$BUILD_DIR/Kestrion.so
if [ ! -x "$VALIDATE" ] || [ ! -f "$KESTRION" ]; then
  log "validate-peers: building $BUILD_DIR"
  cmake -S "$KESTRION_ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    nice cmake --build "$BUILD_DIR" -j "$JOBS" --target Kestrion kestrion-validate || die "build failed"
fi

# --- A display for the editors, when there is none. --------------------------
XVFB_PID=
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  mkdir -p "$WORK"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/.display" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$WORK/.display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n 1 "$WORK/.display")
fi
trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null' EXIT

# --- The runs. ----------------------------------------------------------------
mkdir -p "$WORK"
rows=()
for module in "$KESTRION" "${peers[@]}"; do
  name=$(basename "$module" .so)
  logfile=$WORK/$name.log
  started=$SECONDS
  timeout 600 "$VALIDATE" "${MODE[@]}" "$module" >"$logfile" 2>&1
  status=$?
  passed=$(grep -c '^PASS' "$logfile")
  failed=$(grep -c '^FAIL' "$logfile")
  skipped=$(grep -c '^SKIP' "$logfile")
  reported=$(grep '^FAIL' "$logfile" | cut -d' ' -f2 | paste -sd, -)
  if [ "$status" -gt 128 ] || [ "$status" -eq 124 ]; then
    # What ran last is the check after the last line printed.
    last=$(grep -E '^(PASS|FAIL|SKIP)' "$logfile" | tail -n 1 | cut -d' ' -f2)
    how=$([ "$status" -eq 124 ] && echo "timed out" || echo "crashed (signal $((status - 128)))")
    reported="${reported:+$reported, }$how after ${last:-start}"
  fi
  rows+=("$(printf '%-22s %6s %6s %7s %5ss  %s' "$name" "$passed" "$failed" "$skipped" $((SECONDS - started)) "${reported:--}")")
done

printf '\n%-22s %6s %6s %7s %6s  %s\n' "plug-in" "passed" "failed" "skipped" "time" "reported"
printf '%s\n' "${rows[@]}"
echo "logs: $WORK"
