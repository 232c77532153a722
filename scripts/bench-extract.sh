#!/usr/bin/env bash
# Extraction throughput under Wine: the stub's extraction path (CExtractThread
# with its callback and progress messages) against the archive library's own
# driver with callbacks that do nothing, on the same archive, in one run.
# A benchmark: it prints figures and asserts nothing.
#   scripts/bench-extract.sh [BUILD_DIR] [SIZE_MIB] [METHOD]
# BUILD_DIR defaults to build (as ./build.sh uses it), SIZE_MIB to 64 (half
# incompressible, half text), METHOD to LZMA2 (any 7zz -m0 value the stub reads).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
SIZE_MIB="${2:-64}"
METHOD="${3:-LZMA2}"
TOOL="$BUILD/dist/testtools/benchextract.exe"
[ -f "$TOOL" ] || { echo "build first: BUILD_DIR=$BUILD ./build.sh build" >&2; exit 2; }

export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
WORK="$(mktemp -d "$BUILD/bench-extract.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT

mkdir -p "$WORK/src"
half=$((SIZE_MIB * 1048576 / 2))
head -c "$half" /dev/urandom > "$WORK/src/random.bin"
head -c "$half" < <(yes 'The installation package holds text that compresses well, line after line.') \
  > "$WORK/src/text.txt"
for i in $(seq 1 200); do printf 'small file %d\n' "$i" > "$WORK/src/small$i.txt"; done
(cd "$WORK/src" && 7zz a -bd -bso0 -bsp0 -m0="$METHOD" "$WORK/bench.7z" .)
echo "archive: $(stat -c %s "$WORK/bench.7z") bytes, $SIZE_MIB MiB unpacked, method $METHOD"

timeout 1800 wine "$TOOL" "$(winepath -w "$WORK/bench.7z" 2>/dev/null)" \
  "$(winepath -w "$WORK" 2>/dev/null)" 3 2>/dev/null | tr -d '\r'
