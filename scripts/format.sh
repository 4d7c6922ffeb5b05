#!/usr/bin/env bash
# Formats every C++ file of the tree with .clang-format, or with --check
# lists the files that differ from it and fails. The formatter is pinned to
# one version (Debian 12's), since each version lays some code out its own way.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

CLANG_FORMAT=clang-format-14
command -v "$CLANG_FORMAT" >/dev/null || die "$CLANG_FORMAT is missing: run scripts/setup.sh"

cd "$KESTRION_ROOT"
mapfile -t files < <(git ls-files '*.h' '*.cpp')
if [ "${1:-}" = --check ]; then
  unformatted=()
  for file in "${files[@]}"; do
    "$CLANG_FORMAT" --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
  done
  if [ ${#unformatted[@]} -ne 0 ]; then
    printf 'not formatted: %s\n' "${unformatted[@]}"
    echo "run scripts/format.sh to format them"
    exit 1
  fi
  echo "result: ${#files[@]} files formatted"
else
  "$CLANG_FORMAT" -i "${files[@]}"
fi
