#!/usr/bin/env bash
# Packing: sfxpack's own archive writer against 7zz with the switches sfxpack
# used to run it with (a -t7z -mx=9 -m0=LZMA2 -ms=on), on the demo package
# (demo/package and probe.exe, as scripts/demo.sh packs it) and on a
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
# The demo package as scripts/demo.sh packs it: demo/package and probe.exe.
mkdir -p "$WORK/demo"
cp -r "$ROOT/demo/package/." "$WORK/demo/"
cp "$BUILD/dist/testtools/probe.exe" "$WORK/demo/"
# No setup program in these folders: the benchmark measures packing only.
printf '[main]\nSetupFileName=setup.exe\n' > "$WORK/config.ini"

# Runs a command RUNS times; prints the best wall time and the CPU time
# (user + system) of that run, in seconds. The CPU time shows the work done
# even when other programs share the processors.
best_of() {
  local best="" cpu="" wall user sys
  for _ in $(seq 1 "$RUNS"); do
    rm -f "$WORK/out.7z" "$WORK/out.exe"
    /usr/bin/time -o "$WORK/time" -f '%e %U %S' "$@" >/dev/null 2>&1
    read -r wall user sys <"$WORK/time"
    if [ -z "$best" ] || [ "$(echo "$wall < $best" | bc)" = 1 ]; then
      best=$wall
      cpu=$(echo "$user + $sys" | bc)
    fi
  done
  printf '%.2f %.2f\n' "$best" "$cpu"
}


printf '%-16s %11s %11s %11s %9s %7s %7s %7s %7s\n' folder input-bytes 7zz-bytes ours-bytes size-diff 7zz-s ours-s 7zz-cpu ours-cpu
for name in demo mixed; do
  folder="$WORK/$name"
  input=$(du -sb "$folder" | cut -f1)
  read -r t7 c7 < <(best_of bash -c 'cd "$1" && exec 7zz a -t7z -mx=9 -m0=LZMA2 -ms=on -bd -y -- "$2" "*"' \
                      _ "$folder" "$WORK/out.7z")
  b7=$(stat -c %s "$WORK/out.7z")
  read -r to co < <(best_of "$SFXPACK" build --allow-missing-setup --config "$WORK/config.ini" --stub "$STUB" \
                      --dir "$folder" -o "$WORK/out.exe")
  # Our archive is what follows the stub and the configuration block.
  bo=$("$SFXPACK" build --allow-missing-setup --config "$WORK/config.ini" --stub "$STUB" --dir "$folder" \
         -o "$WORK/out.exe" 2>&1 |
       sed -n 's/.*archive \([0-9]*\) at.*/\1/p')
  diff=$(printf '%+.2f' "$(echo "scale=4; ($bo - $b7) * 100 / $b7" | bc)")
  label="$name"
  [ "$name" = mixed ] && label="mixed (${SIZE_MIB} MiB)"
  printf '%-16s %11s %11s %11s %8s%% %7s %7s %7s %7s\n' "$label" "$input" "$b7" "$bo" "$diff" "$t7" "$to" "$c7" "$co"
done
echo "(-s: best wall time of $RUNS runs; -cpu: user + system seconds of that run; ours includes"
echo " writing the setup file around the archive; $(nproc) processors, load average $(cut -d' ' -f1 /proc/loadavg))"
