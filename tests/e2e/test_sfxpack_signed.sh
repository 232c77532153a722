#!/usr/bin/env bash
# A finished setup file signed afterwards: inspect shows the certificate
# table, verify takes the expected size from its end (as the stub does) and
# refuses bytes appended after signing. A signed stub is refused as input.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg"
printf 'payload\n' >"$T/pkg/setup.exe"
printf '[main]\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" 2>/dev/null

openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=sfx test" -days 2 \
  -keyout "$T/key.pem" -out "$T/cert.pem" >/dev/null 2>&1 || fail "openssl could not make a certificate"
osslsigncode sign -certs "$T/cert.pem" -key "$T/key.pem" -in "$T/setup.exe" -out "$T/signed.exe" \
  >/dev/null || fail "osslsigncode failed"

inspect="$("$SFXPACK" inspect "$T/signed.exe")" || fail "inspect failed on the signed file"
line="$(grep '^certificate table:' <<<"$inspect")"
offset="$(sed -n 's/.*offset \([0-9]*\), size \([0-9]*\)$/\1/p' <<<"$line")"
size="$(sed -n 's/.*offset \([0-9]*\), size \([0-9]*\)$/\2/p' <<<"$line")"
[ -n "$offset" ] && [ -n "$size" ] || fail "no certificate table shown: $line"
[ $((offset + size)) -eq "$(stat -c %s "$T/signed.exe")" ] || fail "the table does not end the file"
grep -q '(end of the certificate table)' <<<"$inspect" || fail "expected size not taken from the table"
"$SFXPACK" verify "$T/signed.exe" | grep -q 'matches the certificate table' || fail "verify refuses the signed file"

cp "$T/signed.exe" "$T/appended.exe"
printf 'x' >>"$T/appended.exe"
if "$SFXPACK" verify "$T/appended.exe" 2>"$T/err"; then fail "verify accepts bytes appended after signing"; fi
grep -q "actual $(stat -c %s "$T/appended.exe")" "$T/err" || fail "reason missing: $(cat "$T/err")"

# The signed stub cannot be packed: its signature would not cover the result.
osslsigncode sign -certs "$T/cert.pem" -key "$T/key.pem" -in "$STUB" -out "$T/signed-stub.exe" >/dev/null
if "$SFXPACK" build --stub "$T/signed-stub.exe" --config "$T/config.ini" --dir "$T/pkg" \
     -o "$T/x.exe" 2>"$T/err"; then fail "a signed stub was accepted"; fi
grep -q 'signed' "$T/err" || fail "unclear error: $(cat "$T/err")"
[ ! -e "$T/x.exe" ] || fail "output left behind"
echo "signed ok"
