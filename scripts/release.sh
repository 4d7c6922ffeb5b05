#!/usr/bin/env bash
# The release files, from the Linux and Windows build trees (built here when
# out of date; the version is the project's, from CMakeLists.txt):
#   build/release/kestrion_<version>_amd64.deb
#   build/release/Kestrion-<version>-linux-x86_64.tar.gz
#   build/release/Kestrion-<version>-windows-x64.zip
# Lists what each holds and fails when one holds other files than it should.
#   scripts/release.sh [LINUX-BUILD [WINDOWS-BUILD]]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

linux_build=${1:-$BUILD_ROOT/linux}
windows_build=${2:-$BUILD_ROOT/windows}
out=$BUILD_ROOT/release

[ -f "$linux_build/CMakeCache.txt" ] || die "$linux_build is not configured: run scripts/test.sh or scripts/demo.sh first"
[ -f "$windows_build/CMakeCache.txt" ] || die "$windows_build is not configured: run scripts/test.sh first"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux_build/CMakeCache.txt")
[ -n "$version" ] || die "no project version in $linux_build/CMakeCache.txt"

log "release $version: building what is out of date"
cmake --build "$linux_build" -j "$JOBS" --target Kestrion KestrionLv2 kestrion-render kestrion-snapshot \
  kestrion_package_docs
cmake --build "$windows_build" -j "$JOBS" --target Kestrion

rm -rf "$out"
mkdir -p "$out"
# Same bytes on every run: no owners, names sorted, times of the sources.
tar_flags=(--owner=0 --group=0 --numeric-owner --sort=name)

# readme FILE: the read-me with this version, in LF or CRLF lines.
readme() { sed "s/@VERSION@/$version/" "$KESTRION_ROOT/packaging/README.txt" >"$1"; }

# check_list ARCHIVE LISTED EXPECTED...: prints the listing, fails on a difference.
check_list() {
  local archive=$1 listed=$2
  shift 2
  echo "$(basename "$archive"):"
  sed 's/^/  /' <<<"$listed"
  [ "$(sort <<<"$listed")" = "$(printf '%s\n' "$@" | sort)" ] ||
    die "$(basename "$archive") holds other files than: $*"
}

log "Debian package"
cpack -G DEB --config "$linux_build/CPackConfig.cmake" -B "$out/deb" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; die "cpack failed"; }
mv "$out/deb/kestrion_${version}_amd64.deb" "$out/"
rm -rf "$out/deb" "$out/cpack.log"
dpkg-deb -c "$out/kestrion_${version}_amd64.deb" | awk '{print "  " $6}'

log "Linux archive"
name=Kestrion-$version-linux-x86_64
stage=$out/$name
mkdir -p "$stage"
vst3_linux=Kestrion.vst3/Contents/x86_64-linux/Kestrion.so
mkdir -p "$stage/$(dirname "$vst3_linux")"
cp "$linux_build/Kestrion.so" "$linux_build/Kestrion.clap" "$stage/"
cp "$linux_build/$vst3_linux" "$stage/$vst3_linux"
lv2_files=(Kestrion.lv2/Kestrion.so Kestrion.lv2/manifest.ttl Kestrion.lv2/kestrion.ttl Kestrion.lv2/presets.ttl)
mkdir -p "$stage/Kestrion.lv2"
for file in "${lv2_files[@]}"; do cp "$linux_build/$file" "$stage/$file"; done
cp "$linux_build/tools/render/kestrion-render" "$linux_build/tools/snapshot/kestrion-snapshot" "$stage/"
strip --strip-unneeded "$stage/Kestrion.so" "$stage/Kestrion.clap" "$stage/$vst3_linux" \
  "$stage/Kestrion.lv2/Kestrion.so" "$stage/kestrion-render" "$stage/kestrion-snapshot"
chmod 644 "$stage/Kestrion.so" "$stage/Kestrion.clap" "$stage/$vst3_linux" "${lv2_files[@]/#/$stage/}"
cp "$linux_build/resources/factory.fxb" "$stage/Kestrion Factory.fxb"
readme "$stage/README.txt"
tar -C "$out" "${tar_flags[@]}" -czf "$out/$name.tar.gz" "$name"
check_list "$out/$name.tar.gz" "$(tar -tzf "$out/$name.tar.gz")" \
  "$name/" "$name/Kestrion.so" "$name/Kestrion.clap" "$name/Kestrion Factory.fxb" "$name/README.txt" \
  "$name/kestrion-render" "$name/kestrion-snapshot" "$name/Kestrion.vst3/" "$name/Kestrion.vst3/Contents/" \
  "$name/Kestrion.vst3/Contents/x86_64-linux/" "$name/$vst3_linux" "$name/Kestrion.lv2/" "${lv2_files[@]/#/$name/}"

log "Windows archive"
name=Kestrion-$version-windows-x64
stage=$out/$name
mkdir -p "$stage"
x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/Kestrion.dll" "$windows_build/Kestrion.dll"
x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/Kestrion.clap" "$windows_build/Kestrion.clap"
vst3_windows=Kestrion.vst3/Contents/x86_64-win/Kestrion.vst3
mkdir -p "$stage/$(dirname "$vst3_windows")"
x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/$vst3_windows" "$windows_build/$vst3_windows"
cp "$windows_build/resources/factory.fxb" "$stage/Kestrion Factory.fxb"
readme "$stage/README.txt"
sed -i 's/$/\r/' "$stage/README.txt"  # for Notepad
(cd "$stage" && cmake -E tar cf "$out/$name.zip" --format=zip -- Kestrion.dll Kestrion.clap "$vst3_windows" \
  "Kestrion Factory.fxb" README.txt)
check_list "$out/$name.zip" "$(cmake -E tar tf "$out/$name.zip")" \
  Kestrion.dll Kestrion.clap "$vst3_windows" "Kestrion Factory.fxb" README.txt

rm -rf "$out/Kestrion-$version-linux-x86_64" "$stage"
echo
ls -l "$out"
