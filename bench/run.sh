#!/usr/bin/env bash
# bench/run.sh: the stub's size and its parts, extraction speed against the
# archive library's own console extractor (the speed reference, built here
# for Windows from the library source the dependency script keeps; never
# shipped), start-up overhead and peak memory, under Wine. Run after
# ./build.sh build; prints one table. RUNS (default 5) alternating runs each;
# BENCH_MB (default 50) the size of the large package's folder; PARTS
# (default "extract startup") which timings to take; ARCHIVES (default
# "mx5 mx9 mx5c mx9c") which large packages to extract.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
DIST="$BUILD/dist"
LIB="$BUILD/deps/7zip"
WORK="$BUILD/bench"
RUNS="${RUNS:-5}"
BENCH_MB="${BENCH_MB:-50}"
PARTS="${PARTS:-extract startup}"
part() { case " $PARTS " in *" $1 "*) return 0 ;; esac; return 1; }
RUNNER="$DIST/testtools/runner.exe"
PROBE="$DIST/testtools/probe.exe"
for f in "$DIST/sfxstub.exe" "$DIST/sfxpack" "$RUNNER" "$PROBE"; do
  [ -f "$f" ] || { echo "bench: $f is missing: run ./build.sh build first" >&2; exit 2; }
done
command -v 7zz >/dev/null || { echo "bench: 7zz is missing: run ./build.sh build first" >&2; exit 2; }
mkdir -p "$WORK"

# shellcheck source=scripts/wine-session.sh
source "$ROOT/scripts/wine-session.sh"
export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -z "${DISPLAY:-}" ]; then start_xvfb 90; fi
start_wine_prefix
trap 'wineserver -k >/dev/null 2>&1 || true; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT

# --- The reference: the library's console extractor, from the same source.
REF="$WORK/ref/7zr.exe"
if [ ! -f "$REF" ]; then
  [ -d "$LIB/CPP/7zip/Bundles/Alone7z" ] || { echo "bench: no console extractor source in $LIB" >&2; exit 2; }
  echo "building the reference extractor (once)..." >&2
  make -C "$LIB/CPP/7zip/Bundles/Alone7z" -f makefile.gcc IS_MINGW=1 \
    CC=i686-w64-mingw32-gcc-posix CXX=i686-w64-mingw32-g++-posix RC=i686-w64-mingw32-windres \
    O="$WORK/ref" -j "$(nproc)" >"$WORK/ref-build.log" 2>&1 ||
    { echo "bench: building the reference failed, see $WORK/ref-build.log" >&2; exit 1; }
fi

# --- Packages: a large mixed folder as LZMA2 at -mx5 and -mx9 with
# multi-threaded compression, and a small one for start-up. Whatever the
# thread count, 7zz cuts LZMA2 into chunks of four times the dictionary (128
# MiB at -mx5), so its default archives of this folder hold one chunk and
# decode on one thread; the "c" archives set 8 MiB chunks, which the
# decoders of both extractors share out among threads.
ARCHIVES="${ARCHIVES:-mx5 mx9 mx5c mx9c}"
switches() { case "$1" in mx5) echo "-m0=lzma2 -mx5" ;; mx9) echo "-m0=lzma2 -mx9" ;;
  mx5c) echo "-m0=lzma2:c=8m -mx5" ;; mx9c) echo "-m0=lzma2:c=8m -mx9" ;; esac; }
label() { case "$1" in mx5) echo "7zz -mx5" ;; mx9) echo "7zz -mx9" ;;
  mx5c) echo "-mx5, 8 MiB chunks" ;; mx9c) echo "-mx9, 8 MiB chunks" ;; esac; }
MIXED="$WORK/mixed-$BENCH_MB"
if [ ! -f "$MIXED.done" ]; then
  rm -rf "$MIXED"
  "$ROOT/scripts/make-mixed-folder.sh" "$MIXED" "$BENCH_MB" >/dev/null
  cp "$PROBE" "$MIXED/setup.exe"  # the setup program the configuration names
  touch "$MIXED.done"
fi
printf '[main]\r\nSetupFileName=setup.exe\r\n' >"$WORK/config.ini"
for a in $ARCHIVES; do
  if [ ! -f "$WORK/$a.7z" ] || [ "$MIXED.done" -nt "$WORK/$a.7z" ]; then
    rm -f "$WORK/$a.7z"
    # shellcheck disable=SC2046  # the switches are words
    (cd "$MIXED" && 7zz a -t7z $(switches "$a") -mmt=on -bd -y "$WORK/$a.7z" . >/dev/null)
  fi
  "$DIST/sfxpack" build --stub "$DIST/sfxstub.exe" --config "$WORK/config.ini" \
    --archive "$WORK/$a.7z" -o "$WORK/$a-setup.exe" >/dev/null 2>&1
done
# The small package holds a few small files: a minimal setup program (the
# test probe, with its symbols and test hooks, is 800 KB) and two texts.
mkdir -p "$WORK/small"
rm -f "$WORK/small/"*
i686-w64-mingw32-gcc-posix -Os -s -mwindows -o "$WORK/small/setup.exe" "$ROOT/bench/tiny-setup.c"
printf 'a few bytes\n' >"$WORK/small/readme.txt"
head -c 20000 "$ROOT/README.md" >"$WORK/small/notes.txt"
"$DIST/sfxpack" build --stub "$DIST/sfxstub.exe" --config "$WORK/config.ini" \
  --dir "$WORK/small" -o "$WORK/small-setup.exe" >/dev/null 2>&1

win() { winepath -w "$1" 2>/dev/null; }

# Runs a Windows program through runner.exe; prints "<elapsed ms> <peak KiB>".
# The peak is the Wine process's high-water mark of resident memory (Wine
# does not report another process's working set), polled while it runs.
timed() {
  local tag="$1"
  shift
  local out="$WORK/run.out" peak=0 pid hwm
  wine "$RUNNER" "$@" >"$out" 2>/dev/null </dev/null &
  local runner=$!
  while kill -0 "$runner" 2>/dev/null; do
    for pid in $(pgrep -f "$tag" 2>/dev/null); do
      hwm="$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null || true)"
      [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak="$hwm"
    done
    sleep 0.05
  done
  wait "$runner" || true
  grep -q '^exitcode=0 ' "$out" || { echo "bench: $* failed: $(cat "$out")" >&2; exit 1; }
  printf '%s %s\n' "$(sed -n 's/^elapsed_ms=//p' "$out" | tr -d '\r')" "$peak"
}

# Runs a Windows program through runner.exe, without polling beside it;
# prints "<elapsed ms> <ms from its start to the small package's setup
# program's start>", which that program records in the file named by
# BENCH_SETUP_STARTED.
started_timed() {
  local out="$WORK/run.out" mark="$WORK/setup-started.txt"
  rm -f "$mark"
  BENCH_SETUP_STARTED="$(win "$mark")" wine "$RUNNER" "$@" >"$out" 2>/dev/null </dev/null || true
  grep -q '^exitcode=0 ' "$out" && [ -s "$mark" ] || { echo "bench: $* failed: $(cat "$out")" >&2; exit 1; }
  awk -v mark="$(cat "$mark")" -F= '{sub(/\r$/, "", $2); v[$1] = $2}
    END {printf "%s %.1f\n", v["elapsed_ms"], 1000 * (mark - v["started_qpc"]) / v["qpc_frequency"]}' "$out"
}

# The CPU seconds (user + system) a command and its children take.
cpu_seconds() {
  (
    "$@" >/dev/null 2>&1 </dev/null || true
    times >"$WORK/times.out"  # a builtin in this shell: a pipe would count a fresh one's children
    sed -n 2p "$WORK/times.out"
  ) | awk '{n = 0; for (i = 1; i <= 2; i++) {split($i, p, /[ms]/); n += p[1] * 60 + p[2]}; printf "%.2f\n", n}'
}

# median and spread (min-max) of the numbers on stdin
stats() { sort -n | awk '{v[NR]=$1} END {m=(NR%2)?v[(NR+1)/2]:(v[NR/2]+v[NR/2+1])/2; printf "%.0f %.0f %.0f\n", m, v[1], v[NR]}'; }

declare -A MED LO HI PEAK CPU
for a in $ARCHIVES; do
  part extract || break
  : >"$WORK/stub.times"; : >"$WORK/ref.times"; : >"$WORK/stub.peaks"
  for _ in $(seq "$RUNS"); do
    rm -rf "$WORK/out-stub" "$WORK/out-ref"
    read -r ms peak < <(timed "$a-setup" "$(win "$WORK/$a-setup.exe")" /q /x "$(win "$WORK")\\out-stub")
    echo "$ms" >>"$WORK/stub.times"; echo "$peak" >>"$WORK/stub.peaks"
    read -r ms _ < <(timed 7zr.exe "$(win "$REF")" x -y -bd "-o$(win "$WORK")\\out-ref" "$(win "$WORK/$a.7z")")
    echo "$ms" >>"$WORK/ref.times"
  done
  diff -r "$WORK/out-stub" "$WORK/out-ref" >/dev/null || { echo "bench: the stub and the reference extracted different files" >&2; exit 1; }
  read -r MED[stub$a] LO[stub$a] HI[stub$a] < <(stats <"$WORK/stub.times")
  read -r MED[ref$a] LO[ref$a] HI[ref$a] < <(stats <"$WORK/ref.times")
  PEAK[$a]="$(sort -n "$WORK/stub.peaks" | tail -n 1)"
  # CPU time (user + system) of each process, started by wine directly so
  # that the shell can count it: three alternating runs, median.
  : >"$WORK/stub.cpu"; : >"$WORK/ref.cpu"
  for _ in 1 2 3; do
    rm -rf "$WORK/out-stub" "$WORK/out-ref"
    cpu_seconds wine "$WORK/$a-setup.exe" /q /x "$(win "$WORK")\out-stub" >>"$WORK/stub.cpu"
    cpu_seconds wine "$REF" x -y -bd "-o$(win "$WORK")\out-ref" "$(win "$WORK/$a.7z")" >>"$WORK/ref.cpu"
  done
  CPU[stub$a]="$(sort -n "$WORK/stub.cpu" | sed -n 2p)"
  CPU[ref$a]="$(sort -n "$WORK/ref.cpu" | sed -n 2p)"
done
rm -rf "$WORK/out-stub" "$WORK/out-ref"

# Start-up: the small package in quiet mode against its setup program alone.
: >"$WORK/pkg.times"; : >"$WORK/alone.times"; : >"$WORK/pkg.starts"; : >"$WORK/alone.starts"
for _ in $(seq $((RUNS + 2))); do
  part startup || break
  read -r ms started < <(started_timed "$(win "$WORK/small-setup.exe")" /q)
  echo "$ms" >>"$WORK/pkg.times"; echo "$started" >>"$WORK/pkg.starts"
  read -r ms started < <(started_timed "$(win "$WORK/small/setup.exe")")
  echo "$ms" >>"$WORK/alone.times"; echo "$started" >>"$WORK/alone.starts"
done
# The fixed waits: 250 ms before the first open of the own file, and the
# second's pause after the setup program ends.
fixed=1250
if part startup; then
  read -r pkg _ _ < <(stats <"$WORK/pkg.times")
  read -r alone _ _ < <(stats <"$WORK/alone.times")
  overhead=$((pkg - alone - fixed))
  read -r pkgStart pkgLo pkgHi < <(stats <"$WORK/pkg.starts")
  read -r aloneStart _ _ < <(stats <"$WORK/alone.starts")
  startOverhead=$((pkgStart - aloneStart - 250))
fi

python3 "$ROOT/scripts/stub_size_table.py" "$DIST/sfxstub.exe" "$DIST/sfxstub.map"
if part extract; then
  echo
  echo "extraction of a ${BENCH_MB} MB mixed package (/q /x), $RUNS alternating runs, ms: median (min-max)"
  # The stub waits 250 ms before it first opens its own file (a scanner may
  # still hold a fresh download): the second ratio leaves that wait out.
  printf '  %-20s %-22s %-22s %6s %10s %14s %12s\n' archive stub reference ratio "w/o wait" "stub peak RSS" "CPU s stub/ref"
  for a in $ARCHIVES; do
    ratio="$(awk -v a="${MED[stub$a]}" -v b="${MED[ref$a]}" 'BEGIN {printf "%.2f", a / b}')"
    net="$(awk -v a="${MED[stub$a]}" -v b="${MED[ref$a]}" 'BEGIN {printf "%.2f", (a - 250) / b}')"
    printf '  %-20s %-22s %-22s %6s %10s %11s KiB %14s\n' "$(label "$a")" \
      "${MED[stub$a]} (${LO[stub$a]}-${HI[stub$a]})" \
      "${MED[ref$a]} (${LO[ref$a]}-${HI[ref$a]})" "$ratio" "$net" "${PEAK[$a]}" \
      "${CPU[stub$a]}/${CPU[ref$a]}"
  done
fi
if part startup; then
  echo
  echo "start-up, quiet package of three small files, $((RUNS + 2)) alternating runs, medians"
  echo "  to the setup program's start: package ${pkgStart} ms (${pkgLo}-${pkgHi}), setup program started directly ${aloneStart} ms,"
  echo "    the 250 ms wait: overhead ${startOverhead} ms"
  echo "  whole run: package ${pkg} ms, setup program alone ${alone} ms, fixed waits ${fixed} ms: overhead ${overhead} ms"
fi
