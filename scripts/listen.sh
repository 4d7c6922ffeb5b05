#!/usr/bin/env bash
# The short listen of the README: renders the demo (scripts/demo.sh) and
# encodes each file as Ogg Vorbis into docs/listen-<name>.ogg. The plug-in
# plays the same signal on both outputs, so one channel loses nothing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The encoder is needed here only, so it is installed here rather than by setup.sh.
if ! command -v oggenc >/dev/null; then
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends vorbis-tools
fi

bash "$KESTRION_ROOT/scripts/demo.sh"
for wav in "$BUILD_ROOT"/demo/*.wav; do
  name=$(basename "$wav" .wav)
  ogg=$KESTRION_ROOT/docs/listen-$name.ogg
  oggenc --quiet --quality 1 --downmix --title "Kestrion demo: $name" -o "$ogg" "$wav"
  echo "listen: ${ogg#"$KESTRION_ROOT"/} ($(($(stat -c %s "$ogg") / 1024)) KB)"
done
