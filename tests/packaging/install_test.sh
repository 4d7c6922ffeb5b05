#!/usr/bin/env bash
# What users install. Run by ctest from the Linux build:
#   install_test.sh install BUILD PREFIX
#     `cmake --install` into PREFIX puts exactly the shipped files where they
#     belong, and the installed renderer loads the installed module.
#   install_test.sh deb BUILD WORK VERSION
#     CPack's Debian package holds the same files under /usr, declares what
#     they link, passes lintian without errors, and installs into and is
#     removed from a throw-away root.
set -euo pipefail
mode=$1 build=$2 work=$3
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

# Relative to the prefix; directories end in a slash.
shipped=(
  bin/ bin/kestrion-render bin/kestrion-snapshot
  lib/ lib/vst/ lib/vst/Kestrion.so lib/clap/ lib/clap/Kestrion.clap
  lib/vst3/ lib/vst3/Kestrion.vst3/ lib/vst3/Kestrion.vst3/Contents/ lib/vst3/Kestrion.vst3/Contents/x86_64-linux/
  lib/vst3/Kestrion.vst3/Contents/x86_64-linux/Kestrion.so
  lib/lv2/ lib/lv2/Kestrion.lv2/ lib/lv2/Kestrion.lv2/Kestrion.so lib/lv2/Kestrion.lv2/manifest.ttl
  lib/lv2/Kestrion.lv2/kestrion.ttl lib/lv2/Kestrion.lv2/presets.ttl
  share/ share/doc/ share/doc/kestrion/ share/doc/kestrion/README.md
  share/doc/kestrion/changelog.gz share/doc/kestrion/copyright
  share/man/ share/man/man1/ share/man/man1/kestrion-render.1.gz share/man/man1/kestrion-snapshot.1.gz
)
# What the module and the tools link, as Debian names the packages.
linked=(libc6 libfontconfig1 libfreetype6 libgcc-s1 libpng16-16 libstdc++6 libx11-6 libxext6)

# expect_list WHAT ACTUAL...: the sorted list equals `shipped`.
expect_list() {
  local what=$1
  shift
  local expected actual
  expected=$(printf '%s\n' "${shipped[@]}" | sort)
  actual=$(printf '%s\n' "$@" | sort)
  [ "$expected" = "$actual" ] || {
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    fail "$what holds other files than expected (< expected, > found)"
  }
}

case $mode in
install)
  rm -rf "$work"
  cmake --install "$build" --prefix "$work" >/dev/null
  mapfile -t found < <(cd "$work" && find . -mindepth 1 \( -type d -printf '%P/\n' -o -printf '%P\n' \))
  expect_list "the installed prefix" "${found[@]}"
  for module in lib/vst/Kestrion.so lib/clap/Kestrion.clap lib/vst3/Kestrion.vst3/Contents/x86_64-linux/Kestrion.so \
    lib/lv2/Kestrion.lv2/{Kestrion.so,manifest.ttl,kestrion.ttl,presets.ttl}; do
    [ "$(stat -c %a "$work/$module")" = 644 ] || fail "$module is not installed 0644"
  done
  for tool in kestrion-render kestrion-snapshot; do
    [ -x "$work/bin/$tool" ] || fail "$tool is not executable"
  done
  info=$("$work/bin/kestrion-render" --info "$work/lib/vst/Kestrion.so") ||
    fail "the installed renderer could not load the installed module"
  grep -q Kestrion <<<"$info" || fail "the installed module does not call itself Kestrion: $info"
  ;;
deb)
  version=$4
  rm -rf "$work"
  mkdir -p "$work"
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
  deb=$work/out/kestrion_${version}_amd64.deb
  [ -f "$deb" ] || fail "no $(basename "$deb") made: $(ls "$work/out")"
  dpkg-deb -c "$deb"
  mapfile -t found < <(dpkg-deb -c "$deb" | awk '{print $6}' | sed -n 's|^\./usr/\(.\)|\1|p')
  expect_list "the package" "${found[@]}"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  names=$(tr ',' '\n' <<<"$depends" | sed 's/(.*)//; s/ //g' | sort)
  [ "$names" = "$(printf '%s\n' "${linked[@]}")" ] || fail "Depends names other packages than the linked ones"
  for field in Package:kestrion Version:$version Architecture:amd64 Section:sound; do
    [ "$(dpkg-deb -f "$deb" "${field%%:*}")" = "${field#*:}" ] || fail "the package's ${field%%:*} is not ${field#*:}"
  done
  lintian --no-tag-display-limit "$deb" 2>&1 | tee "$work/lintian.log"
  ! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"
  # The throw-away root has dpkg's database only, so dependencies are not
  # there; maintainer scripts run outside it (they only call ldconfig).
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing into a throw-away root needs root"
  else
    root=$work/root
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    : >"$root/var/lib/dpkg/status"
    dpkg_root() { dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless "$@"; }
    dpkg_root -i "$deb" || fail "dpkg -i failed"
    [ -f "$root/usr/lib/vst/Kestrion.so" ] || fail "dpkg -i did not install the module"
    [ -f "$root/usr/lib/clap/Kestrion.clap" ] || fail "dpkg -i did not install the CLAP plug-in"
    [ -f "$root/usr/lib/vst3/Kestrion.vst3/Contents/x86_64-linux/Kestrion.so" ] ||
      fail "dpkg -i did not install the VST 3 plug-in"
    for file in Kestrion.so manifest.ttl kestrion.ttl presets.ttl; do
      [ -f "$root/usr/lib/lv2/Kestrion.lv2/$file" ] || fail "dpkg -i did not install the LV2 bundle's $file"
    done
    dpkg_root -r kestrion || fail "dpkg -r failed"
    left=$(find "$root" -path "$root/var" -prune -o -type f -print)
    [ -z "$left" ] || fail "dpkg -r left files behind: $left"
  fi
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "PASS: $mode"
