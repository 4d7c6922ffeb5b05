#!/usr/bin/env bash
# The LV2 bundle's Turtle files as LV2 tools read them. Run by ctest:
#   bundle_test.sh validate BUNDLE SPECS
#     the Turtle checker finds every term defined and used in its range,
#     against the vocabularies in SPECS (Debian's /usr/lib/lv2).
#   bundle_test.sh lilv BUNDLE URI SPECS WORK
#     lilv, the library hosts load bundles with, lists the plugin alone and
#     reads its class, 74 ports, UI and 64 presets without an error.
#   bundle_test.sh repeat WORK GENERATOR ARGUMENTS...
#     two runs of the generator write the same bytes.
set -euo pipefail
mode=$1
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
files=(manifest.ttl kestrion.ttl presets.ttl)

case $mode in
validate)
  bundle=$2 specs=$3
  vocabularies=("$specs"/schemas.lv2/*.ttl)
  # The extensions the files use, and event, which midi's terms are built on.
  for spec in core atom event midi time ui state options buf-size urid presets port-props units log instance-access; do
    vocabularies+=("$specs/$spec.lv2"/*.ttl)
  done
  # A file it cannot parse is reported, yet leaves the exit status 0.
  report=$(cd "$bundle" && sord_validate "${files[@]}" "${vocabularies[@]}" 2>&1) || fail "sord_validate: $report"
  echo "$report"
  ! grep -q '^error' <<<"$report" || fail "sord_validate reports errors"
  ;;
lilv)
  bundle=$2 uri=$3 specs=$4 work=$5
  # A search path with the bundle and the core vocabulary, which names the
  # plugin classes, and nothing else.
  rm -rf "$work"
  mkdir -p "$work/path"
  ln -s "$bundle" "$work/path/Kestrion.lv2"
  ln -s "$specs/core.lv2" "$work/path/core.lv2"
  export LV2_PATH=$work/path
  listed=$(lv2ls 2>"$work/lv2ls.err")
  [ ! -s "$work/lv2ls.err" ] || fail "lv2ls: $(cat "$work/lv2ls.err")"
  [ "$listed" = "$uri" ] || fail "lv2ls lists \"$listed\", not $uri alone"
  info=$(lv2info "$uri" 2>"$work/lv2info.err")
  [ ! -s "$work/lv2info.err" ] || fail "lv2info: $(cat "$work/lv2info.err")"
  grep -Eq '^\s+Class:\s+Instrument Plugin$' <<<"$info" || fail "not an instrument"
  ports=$(grep -Ec '^\s+Port [0-9]+:$' <<<"$info")
  [ "$ports" = 74 ] || fail "$ports ports, not 74"
  grep -A3 -E '^\s+Port 47:$' <<<"$info" | grep -Eq '^\s+Symbol:\s+cutoff$' || fail "port 47 is not cutoff"
  grep -A1 -Fx "		$uri#ui" <<<"$info" | grep -q 'ui#X11UI$' || fail "no X11 UI $uri#ui"
  # The presets' labels, one a line up to the blank line after them.
  presets=$(sed -n '/^\s*Presets:/,/^$/p' <<<"$info" | grep -c '^\s\+\S')
  [ "$presets" = 65 ] || fail "$((presets - 1)) presets, not 64"
  ;;
repeat)
  work=$2 generator=$3
  shift 3
  rm -rf "$work"
  for run in first second; do
    mkdir -p "$work/$run/home"
    HOME=$work/$run/home XDG_CONFIG_HOME=$work/$run/home/.config "$generator" "$work/$run/bundle" "$@" ||
      fail "the $run run failed"
  done
  for file in "${files[@]}"; do
    cmp "$work/first/bundle/$file" "$work/second/bundle/$file" || fail "$file differs between two runs"
  done
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "PASS: $mode"
