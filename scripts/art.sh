#!/usr/bin/env bash
# Redraws the panel's images into resources/img with tools/artgen, each at
# the table's size (NAME.png) and at twice it (NAME@2x.png): installs
# cairo's development files when they are missing (as root; otherwise
# through sudo), builds the art tool in build/linux and runs it. Commit the
# PNG files it changes. With a PREFIX argument it also writes the panel put
# together at the table's size, closed and open, to PREFIX-closed.png and
# PREFIX-open.png.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if ! pkg-config --exists cairo 2>/dev/null; then
  log "art: installing libcairo2-dev"
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends libcairo2-dev pkg-config
fi

build=$BUILD_ROOT/linux
cmake -S "$KESTRION_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$JOBS" --target kestrion-artgen
mkdir -p "$KESTRION_ROOT/resources/img"
"$build/tools/artgen/kestrion-artgen" "$KESTRION_ROOT/resources/img" ${1:+--preview "$1"}
