#!/usr/bin/env bash
# Prepares a Debian 12 machine for building and testing Kestrion on Linux and
# for Windows: installs the Debian packages that are missing, generates the
# decimal-comma locale the tests use, then builds a static libpng for
# mingw-w64 from Debian's own source package into build/deps/mingw. Run as
# root. Safe to run again: when nothing is missing it only checks, in about a
# second.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

packages=(
  # Linux build and tests
  cmake ninja-build g++ binutils libgtest-dev libbenchmark-dev
  libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev libx11-dev libxext-dev libxtst-dev
  fonts-dejavu-core fonts-liberation2 xvfb locales
  # the formatter the test command checks the layout with
  clang-format-14
  # the LV2 plug-in: its headers, the test host's library, the Turtle checker
  lv2-dev liblilv-dev sordi lilv-utils
  # real hosts for the daw tests and the trials, the JACK server and the
  # tools the trial scripts drive, record and trace them with
  ardour jalv qtractor muse jackd2 xdotool imagemagick sox gcc libc6-dev gdb
  # Windows cross build and its tests under Wine
  g++-mingw-w64-x86-64 libz-mingw-w64-dev wine64 wine
  # unpacking Debian's libpng source; the Debian package (dpkg-shlibdeps,
  # file) and its check
  dpkg-dev xz-utils file lintian
)

install_missing_packages() {
  local missing=() pkg status
  for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null || true)
    [ "${status:0:2}" = ii ] || missing+=("$pkg")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all ${#packages[@]} packages are installed"
    return
  fi
  log "setup: installing ${missing[*]}"
  # Another apt run (an unattended upgrade, a parallel setup) holds the lock
  # for a while at most: wait for it rather than fail.
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
}

# The number-text tests switch to a locale whose decimal separator is a
# comma; without it they can only skip.
comma_locale=de_DE.UTF-8

generate_comma_locale() {
  if locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "setup: the $comma_locale locale is generated"
    return
  fi
  log "setup: generating the $comma_locale locale"
  # Debian's locale.gen lists it commented out; a trimmed one may lack it.
  as_root sed -i "s/^# *\($comma_locale UTF-8\)\$/\1/" /etc/locale.gen
  if ! grep -qx "$comma_locale UTF-8" /etc/locale.gen; then
    echo "$comma_locale UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
  fi
  as_root locale-gen
}

# apt-get source needs a deb-src entry for the suites the machine installs from.
ensure_source_index() {
  local lists=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources)
  if ! grep -qsE '^(Types:.*deb-src|deb-src )' "${lists[@]}"; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        as_root tee /etc/apt/sources.list.d/kestrion-deb-src.sources >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        as_root tee /etc/apt/sources.list.d/kestrion-deb-src.list >/dev/null
    else
      die "no Debian package source found under /etc/apt to copy as deb-src"
    fi
    echo "setup: added a deb-src entry under /etc/apt/sources.list.d"
  fi
  if ! apt-cache showsrc libpng1.6 2>/dev/null | grep -q '^Package: libpng1.6'; then
    as_root apt-get update -q
  fi
}

build_mingw_libpng() {
  local stamp=$MINGW_DEPS_PREFIX/.libpng-ready
  if [ -f "$stamp" ]; then
    echo "setup: mingw libpng is in $MINGW_DEPS_PREFIX ($(cat "$stamp"))"
    return
  fi
  log "setup: building libpng for mingw-w64 from Debian's source package"
  local work=$BUILD_ROOT/deps/libpng-work
  mkdir -p "$work"
  if ! compgen -G "$work/libpng1.6_*.dsc" >/dev/null; then
    ensure_source_index
    # Without the suite apt picks the security suite, whose .dsc is not there.
    (cd "$work" && apt-get source -q --download-only libpng1.6/bookworm)
  fi
  local dsc
  dsc=$(compgen -G "$work/libpng1.6_*.dsc" | head -n 1)
  rm -rf "$work/src" "$work/build"
  # Applies Debian's patches; an unverifiable-signature warning is harmless.
  dpkg-source -x "$dsc" "$work/src"
  cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$MINGW_TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$MINGW_DEPS_PREFIX" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
    -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include
  cmake --build "$work/build" -j "$JOBS"
  cmake --install "$work/build"
  basename "$dsc" .dsc >"$stamp"
  rm -rf "$work/src" "$work/build"
  echo "setup: mingw libpng installed in $MINGW_DEPS_PREFIX"
}

install_missing_packages
generate_comma_locale
build_mingw_libpng
