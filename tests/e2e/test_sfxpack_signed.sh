#!/usr/bin/env bash
# A finished setup file signed afterwards: inspect shows the certificate
# table, verify takes the expected size from its end (as the stub does) and
# refuses bytes appended after signing. A signed stub is refused as input.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg"
printf 'payload\n' >"$T/pkg/setup.exe"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" 2>/dev/null

openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=sfx test" -days 2 \
  -keyout "$T/key.pem" -out "$T/cert.pem" >/dev/null 2>&1 || fail "openssl could not make a certificate"
osslsigncode sign -certs "$T/cert.pem" -key "$T/key.pem" -in "$T/setup.exe" -out "$T/signed.exe" \
  >/dev/null || fail "osslsigncode failed"

"$SFXPACK" inspect --json "$T/signed.exe" >"$T/inspect.json" || fail "inspect failed on the signed file"
[ "$(json_get "$T/inspect.json" certificate_table.present)" = true ] || fail "no certificate table shown"
offset="$(json_get "$T/inspect.json" certificate_table.offset)"
size="$(json_get "$T/inspect.json" certificate_table.size)"
[ $((offset + size)) -eq "$(stat -c %s "$T/signed.exe")" ] || fail "the table does not end the file"
[ "$(json_get "$T/inspect.json" size_check.source)" = certificate ] || fail "expected size not taken from the table"
"$SFXPACK" verify --json "$T/signed.exe" >"$T/verify.json" || fail "verify refuses the signed file"
[ "$(json_get "$T/verify.json" size_check.source)" = certificate ] &&
  [ "$(json_get "$T/verify.json" size_check.passes)" = true ] || fail "verify did not check against the table"

# Appended bytes: exit 5 with the size check's code, and both sizes.
cp "$T/signed.exe" "$T/appended.exe"
printf 'x' >>"$T/appended.exe"
rc=0
"$SFXPACK" verify --json "$T/appended.exe" >"$T/verify.json" 2>"$T/err" || rc=$?
[ "$rc" -eq 5 ] || fail "verify of bytes appended after signing exited $rc"
[ "$(json_get "$T/verify.json" exit_code)" = 5 ] && [ "$(json_get "$T/verify.json" ok)" = false ] ||
  fail "the document does not give the exit code: $(cat "$T/verify.json")"
[ "$(json_get "$T/verify.json" diagnostics.0.code)" = size.mismatch ] || fail "wrong code: $(cat "$T/verify.json")"
[ "$(json_get "$T/verify.json" size_check.actual)" = $((offset + size + 1)) ] &&
  [ "$(json_get "$T/verify.json" size_check.expected)" = $((offset + size)) ] || fail "sizes wrong: $(cat "$T/verify.json")"
grep -q "actual $(stat -c %s "$T/appended.exe")" "$T/err" || fail "reason missing: $(cat "$T/err")"

# The signed stub cannot be packed: its signature would not cover the result.
osslsigncode sign -certs "$T/cert.pem" -key "$T/key.pem" -in "$STUB" -out "$T/signed-stub.exe" >/dev/null
if "$SFXPACK" build --stub "$T/signed-stub.exe" --config "$T/config.ini" --dir "$T/pkg" \
     -o "$T/x.exe" 2>"$T/err"; then fail "a signed stub was accepted"; fi
grep -q 'signed' "$T/err" || fail "unclear error: $(cat "$T/err")"
[ ! -e "$T/x.exe" ] || fail "output left behind"
echo "signed ok"
