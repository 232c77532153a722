#!/usr/bin/env bash
# Bad input to sfxpack: one "sfxpack: error:" line naming the problem, a
# non-zero exit, and no output file or temporary file left behind.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg" "$T/out" "$T/empty"
printf 'x' >"$T/pkg/setup.exe"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
printf '[main]\nProductName=\xff\xfe\n' >"$T/latin1.ini"

# $1: text the error must contain; the rest: sfxpack arguments. Output goes to $T/out.
expect_error() {
  local needle="$1" rc=0
  shift
  env "${ENV_EXTRA[@]}" "$SFXPACK" "$@" >"$T/stdout" 2>"$T/stderr" || rc=$?
  [ "$rc" -ne 0 ] || fail "sfxpack $* succeeded"
  [ "$(wc -l <"$T/stderr")" -eq 1 ] || fail "not one line: $(cat "$T/stderr")"
  grep -q '^sfxpack: error: ' "$T/stderr" || fail "no error prefix: $(cat "$T/stderr")"
  grep -qF -- "$needle" "$T/stderr" || fail "error does not mention '$needle': $(cat "$T/stderr")"
  [ -z "$(ls -A "$T/out")" ] || fail "left behind in the output folder: $(ls -A "$T/out")"
  echo "ok: $(cat "$T/stderr")"
}
ENV_EXTRA=()
out="$T/out/setup.exe"

expect_error 'does not exist' build --config "$T/none.ini" --dir "$T/pkg" -o "$out"
expect_error 'not valid UTF-8' build --config "$T/latin1.ini" --dir "$T/pkg" -o "$out"
expect_error 'does not exist' build --config "$T/config.ini" --dir "$T/none" -o "$out"
expect_error 'is empty' build --config "$T/config.ini" --dir "$T/empty" -o "$out"
expect_error 'no MZ header' build --config "$T/config.ini" --dir "$T/pkg" --stub "$T/config.ini" -o "$out"
expect_error 'not a 7z archive' build --config "$T/config.ini" --archive "$T/config.ini" -o "$out"
expect_error 'does not exist' build --config "$T/config.ini" --dir "$T/pkg" -o "$T/no/such/setup.exe"
expect_error '--config is missing' build --dir "$T/pkg" -o "$out"

# A stub whose size resource is gone: rename it in a copy (same length).
sed 's/_\x00K\x00T\x00V\x00_\x00V\x00E\x00R\x00I\x00F\x00Y\x00/_\x00K\x00T\x00V\x00_\x00V\x00E\x00R\x00I\x00F\x00X\x00/' \
  "$STUB" >"$T/renamed.exe"
cmp -s "$STUB" "$T/renamed.exe" && fail "could not rename the resource in the copy"
expect_error 'no _KTV_VERIFY' build --config "$T/config.ini" --dir "$T/pkg" --stub "$T/renamed.exe" -o "$out"

# A stub padded to 4 MiB pushes the archive beyond where the stub looks.
cp "$STUB" "$T/big.exe"
truncate -s 4194304 "$T/big.exe"
expect_error '4 MiB' build --config "$T/config.ini" --dir "$T/pkg" --stub "$T/big.exe" -o "$out"

# Ready archives the stub could not extract.
(cd "$T/pkg" && 7zz a -bd -bso0 -m0=PPMd "$T/ppmd.7z" setup.exe &&
  7zz a -bd -bso0 -mhe=on -psecret "$T/he.7z" setup.exe) || fail "7zz failed"
head -c -20 "$T/ppmd.7z" >"$T/cut.7z"
expect_error 'the method PPMD, which the stub cannot decode' build --config "$T/config.ini" --archive "$T/ppmd.7z" -o "$out"
expect_error 'headers are encrypted' build --config "$T/config.ini" --archive "$T/he.7z" -o "$out"
expect_error 'is truncated' build --config "$T/config.ini" --archive "$T/cut.7z" -o "$out"

# Passwords: empty, given twice.
: >"$T/empty.pw"
expect_error 'is empty' build --config "$T/config.ini" --dir "$T/pkg" --password-file "$T/empty.pw" -o "$out"
ENV_EXTRA=(SFXPACK_PASSWORD=)
expect_error 'from SFXPACK_PASSWORD is empty' build --config "$T/config.ini" --dir "$T/pkg" -o "$out"
ENV_EXTRA=(SFXPACK_PASSWORD=a)
expect_error 'more than once' build --config "$T/config.ini" --dir "$T/pkg" --password-file "$T/config.ini" -o "$out"
ENV_EXTRA=()

# An existing output survives a failed build unchanged.
printf 'old' >"$out"
"$SFXPACK" build --config "$T/latin1.ini" --dir "$T/pkg" -o "$out" 2>/dev/null && fail "build succeeded"
[ "$(cat "$out")" = old ] || fail "a failed build changed the existing output"
[ "$(ls -A "$T/out")" = setup.exe ] || fail "temporary file left: $(ls -A "$T/out")"
echo "errors ok"
