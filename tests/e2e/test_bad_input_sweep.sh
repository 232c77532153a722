#!/usr/bin/env bash
# A packed setup file cut at a spread of lengths and with bytes flipped in each
# part (configuration block, archive signature header, packed data, end
# header), each run quietly under Wine: every run ends within the time limit
# with 0x20001004, never a crash or a hang, never the setup program (no damage
# is harmless: the block and the archive must have the digest the image
# records), and leaves no working folder behind. Cut files fail the size
# check; copies whose recorded size is patched to the cut length reach the
# archive reader with the damage.
source "$(dirname "$0")/lib.sh"
WINE_TIMEOUT=60
SEED="${SFX_SWEEP_SEED:-20240607}"
echo "seed: $SEED"

mkdir -p "$T/pkg"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'exit=7\n' >"$T/pkg/probe.ini"
head -c 200000 /dev/urandom >"$T/pkg/noise.bin"   # content only; the damage is seeded
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/whole.exe" >/dev/null

"$SFXPACK" inspect --json "$T/whole.exe" >"$T/inspect.json" || fail "inspect failed"
verify_at="$(json_get "$T/inspect.json" recorded_size.offset)"
block_at="$(json_get "$T/inspect.json" block.offset)"
archive_at="$(json_get "$T/inspect.json" archive.offset)"
total="$(stat -c %s "$T/whole.exe")"
[[ "$verify_at" =~ ^[0-9]+$ && "$block_at" =~ ^[0-9]+$ && "$archive_at" =~ ^[0-9]+$ ]] ||
  fail "cannot read the layout from sfxpack inspect: $(cat "$T/inspect.json")"
echo "layout: _KTV_VERIFY at $verify_at, block at $block_at, archive at $archive_at, size $total"

# Rewrites the recorded size of $1 to its actual length.
repatch() {
  python3 - "$1" "$verify_at" <<'PY'
import os, struct, sys
path, at = sys.argv[1], int(sys.argv[2])
with open(path, 'r+b') as f:
    f.seek(at)
    f.write(struct.pack('<Q', os.path.getsize(path)))
PY
}

# Flips $3 bytes of $1 in [$2, $2 + $4), chosen with the seed $5.
flip() {
  python3 - "$@" <<'PY'
import random, sys
path, start, count, span, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
rng = random.Random(seed)
with open(path, 'r+b') as f:
    for _ in range(count):
        at = start + rng.randrange(span)
        f.seek(at)
        b = f.read(1)[0]
        f.seek(at)
        f.write(bytes([b ^ (1 + rng.randrange(255))]))
PY
}

runs=0
check_run() {
  local file="$1" label="$2"
  run_setup "$file" /q
  runs=$((runs + 1))
  [ "$RUN_EXIT" = 536875012 ] ||  # 0x20001004
    fail "$label: exit code $RUN_EXIT ($(printf '0x%08X' "$RUN_EXIT")), not 0x20001004"
  assert_no_working_folder_left
  printf '%-44s exit 0x%08X\n' "$label" "$RUN_EXIT"
}

archive_len=$((total - archive_at))
cuts=(
  "$((block_at + 8))"            # inside the configuration block
  "$((archive_at + 6))"          # inside the archive's signature header
  "$((archive_at + 40))"         # at the start of the packed data
  "$((archive_at + archive_len / 3))"
  "$((archive_at + archive_len * 2 / 3))"
  "$((total - 30))"              # inside the end header
  "$((total - 1))"
)
for len in "${cuts[@]}"; do
  head -c "$len" "$T/whole.exe" >"$T/cut.exe"
  check_run "$T/cut.exe" "cut at $len"
  [ "$RUN_EXIT" = 536875012 ] || fail "cut at $len passed the size check"
  repatch "$T/cut.exe"
  check_run "$T/cut.exe" "cut at $len, size re-recorded"
done

block_len=$((archive_at - block_at))
regions=(
  "block $block_at $block_len"
  "signature-header $archive_at 32"
  "packed-data $((archive_at + 32)) $((archive_len - 400))"
  "end-header $((total - 300)) 300"
)
n=0
for region in "${regions[@]}"; do
  read -r name start span <<<"$region"
  for count in 1 4 16; do
    n=$((n + 1))
    cp "$T/whole.exe" "$T/flip.exe"
    flip "$T/flip.exe" "$start" "$count" "$span" "$SEED-$n"
    check_run "$T/flip.exe" "$name: $count bytes flipped (seed $SEED-$n)"
  done
done
echo "bad input sweep ok: $runs runs"
