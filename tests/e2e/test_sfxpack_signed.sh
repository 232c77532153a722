#!/usr/bin/env bash
# A finished setup file signed afterwards: inspect shows the certificate
# table, verify takes the expected size from its end (as the stub does) and
# refuses bytes appended after signing. verify checks the Authenticode
# signature with each digest algorithm: it passes every signed file and
# fails (exit 7) on one byte flipped in the signed digest or in the
# encrypted signature (both in the certificate table), in the headers or in
# the archive, where osslsigncode fails too. A signed stub is refused as input.
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

# flip.py IN OUT TABLE WHERE DIGEST: IN with one byte inverted; TABLE is the
# certificate table's offset as sfxpack inspect shows it. The signed digest
# is found by its value; the encrypted signature ends the PKCS#7 DER (no
# unsigned attributes without a timestamp); the archive byte is one of its
# first packed bytes after the 32-byte signature header.
cat >"$T/flip.py" <<'PY'
import struct, sys
d = bytearray(open(sys.argv[1], "rb").read())
table = int(sys.argv[3])
assert d[table + 8:table + 10] == b"\x30\x82", "the signature's DER does not start with a 2-byte length"
where = sys.argv[4]
if where == "digest":
    at = d.index(bytes.fromhex(sys.argv[5]), table) + 3
elif where == "signature":
    at = table + 12 + struct.unpack_from(">H", d, table + 10)[0] - 10
elif where == "header":
    at = 600
else:
    at = d.rfind(b"7z\xbc\xaf\x27\x1c", 0, table) + 48
d[at] ^= 0xFF
open(sys.argv[2], "wb").write(d)
PY
for algorithm in sha1 sha256 sha512; do
  osslsigncode sign -h "$algorithm" -certs "$T/cert.pem" -key "$T/key.pem" -in "$T/setup.exe" \
    -out "$T/signed-$algorithm.exe" >/dev/null || fail "osslsigncode could not sign with $algorithm"
  osslsigncode verify -CAfile "$T/cert.pem" -in "$T/signed-$algorithm.exe" >/dev/null 2>&1 ||
    fail "osslsigncode refuses the $algorithm signature"
  "$SFXPACK" verify --json "$T/signed-$algorithm.exe" >"$T/verify.json" ||
    fail "verify refuses the $algorithm signature: $(cat "$T/verify.json")"
  [ "$(json_get "$T/verify.json" signature.valid)" = true ] &&
    [ "$(json_get "$T/verify.json" signature.digest_algorithm)" = "$algorithm" ] &&
    [ "$(json_get "$T/verify.json" signature.signer)" = "CN=sfx test" ] ||
    fail "the $algorithm signature is not reported: $(cat "$T/verify.json")"
  digest="$(json_get "$T/verify.json" signature.signed_digest)"
  "$SFXPACK" inspect --json "$T/signed-$algorithm.exe" >"$T/inspect-$algorithm.json" ||
    fail "inspect failed on the $algorithm-signed file"
  table="$(json_get "$T/inspect-$algorithm.json" certificate_table.offset)"
  while read -r where code; do
    python3 "$T/flip.py" "$T/signed-$algorithm.exe" "$T/flipped.exe" "$table" "$where" "$digest"
    rc=0
    "$SFXPACK" verify --json "$T/flipped.exe" >"$T/flipped.json" 2>"$T/err" || rc=$?
    [ "$rc" -eq 7 ] && [ "$(json_get "$T/flipped.json" diagnostics.0.code)" = "$code" ] &&
      [ "$(json_get "$T/flipped.json" signature.valid)" = false ] ||
      fail "$algorithm, byte flipped in the $where: exit $rc, $(cat "$T/err")"
    ! osslsigncode verify -CAfile "$T/cert.pem" -in "$T/flipped.exe" >/dev/null 2>&1 ||
      fail "$algorithm, byte flipped in the $where: osslsigncode still accepts the file"
  done <<'EOF'
digest signature.mismatch
signature signature.invalid
header signature.mismatch
archive signature.mismatch
EOF
done

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
