#!/usr/bin/env bash
# Packing: sfxpack's own archive writer against 7zz with the switches sfxpack
# used to run it with (a -t7z -mx=9 -m0=LZMA2 -ms=on), on demo/ and on a
# generated mixed folder. A benchmark: it prints bytes and seconds and
# asserts nothing.
#   scripts/bench-pack.sh [BUILD_DIR] [SIZE_MIB] [RUNS]
# BUILD_DIR defaults to build, SIZE_MIB (the mixed folder) to 40, RUNS (the
# best of which counts) to 3.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
SIZE_MIB="${2:-40}"
RUNS="${3:-3}"
SFXPACK="$BUILD/dist/sfxpack"
STUB="$BUILD/dist/sfxstub.exe"
[ -x "$SFXPACK" ] && [ -f "$STUB" ] || { echo "build first: BUILD_DIR=$BUILD ./build.sh build" >&2; exit 2; }
command -v 7zz >/dev/null || { echo "7zz is needed for the comparison" >&2; exit 2; }

WORK="$(mktemp -d "${TMPDIR:-/tmp}/bench-pack.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
"$ROOT/scripts/make-mixed-folder.sh" "$WORK/mixed" "$SIZE_MIB" >/dev/null
printf '[main]\nSetupFileName=setup.exe\n' > "$WORK/config.ini"

now() { date +%s.%N; }

# The best wall time of RUNS runs of a command, in seconds.
best_of() {
  local best="" start end t
  for _ in $(seq 1 "$RUNS"); do
    rm -f "$WORK/out.7z" "$WORK/out.exe"
    start=$(now); "$@" >/dev/null 2>&1; end=$(now)
    t=$(echo "$end - $start" | bc)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
  done
  printf '%.2f' "$best"
}

seven_zip() { (cd "$1" && 7zz a -t7z -mx=9 -m0=LZMA2 -ms=on -bd -y -- "$WORK/out.7z" '*'); }
ours() { "$SFXPACK" build --config "$WORK/config.ini" --stub "$STUB" --dir "$1" -o "$WORK/out.exe"; }

printf '%-22s %12s %12s %9s %9s %9s %8s\n' folder input 7zz-bytes ours-bytes size-diff 7zz-s ours-s
for name in demo mixed; do
  folder="$ROOT/demo"
  [ "$name" = mixed ] && folder="$WORK/mixed"
  input=$(du -sb "$folder" | cut -f1)
  t7=$(best_of seven_zip "$folder")
  b7=$(stat -c %s "$WORK/out.7z")
  to=$(best_of ours "$folder")
  # Our archive is what follows the stub and the configuration block.
  bo=$("$SFXPACK" build --config "$WORK/config.ini" --stub "$STUB" --dir "$folder" -o "$WORK/out.exe" 2>&1 |
       sed -n 's/.*archive \([0-9]*\) at.*/\1/p')
  diff=$(echo "scale=2; ($bo - $b7) * 100 / $b7" | bc)
  printf '%-22s %12s %12s %9s %8s%% %9s %8s\n' "$name (${SIZE_MIB} MiB)" "$input" "$b7" "$bo" "$diff" "$t7" "$to" |
    sed "s/^demo ([0-9]* MiB)/demo/"
done
echo "(ours-s includes writing the setup file around the archive; best of $RUNS runs, $(nproc) processors)"
