#!/usr/bin/env bash
# Runs every fuzzer for the given number of seconds (default 600 each), on
# top of the native build of ./build.sh. Findings are written to
# build/fuzz-findings/NAME/; the corpus grows in build/native/fuzz-corpus.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
SECONDS_EACH="${1:-600}"
status=0
for exe in "$BUILD"/native/tests/fuzz_*; do
  [ -x "$exe" ] || continue
  name="$(basename "$exe")"; name="${name#fuzz_}"
  mkdir -p "$BUILD/native/fuzz-corpus/$name" "$BUILD/fuzz-findings/$name"
  echo "== $name: ${SECONDS_EACH}s"
  if ! "$exe" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$BUILD/fuzz-findings/$name/" \
        "$BUILD/native/fuzz-corpus/$name" "$ROOT/tests/fuzz/corpus/$name" 2>&1 |
        grep -E '^(stat::number_of_executed_runs|==.*ERROR|SUMMARY)|Done [0-9]+ runs'; then
    :
  fi
  if ls "$BUILD/fuzz-findings/$name"/* >/dev/null 2>&1; then
    echo "!! $name: findings in $BUILD/fuzz-findings/$name"; status=1
  fi
done
exit $status
