#!/usr/bin/env bash
# Signing inside `sfxpack build`: a branded setup file signed with a
# throwaway CA's code-signing certificate verifies with osslsigncode, runs
# quietly under Wine with the setup program's exit code, and is refused by
# the stub with one byte appended; --sign-command with a wrapper around
# osslsigncode gives the same, and so does a PKCS#12 file with a password
# file. A missing tool, a wrong password, a failing command, one that writes
# nothing or changes the file, and SIGTERM while signing leave no output and
# no temporary files.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg" "$T/out" "$T/tmp"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'exit=3010\nreport=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
convert -size 32x32 xc:navy "$T/brand.ico" || fail "convert could not make the icon"

# A CA and a code-signing certificate it issued.
cat >"$T/ext.cnf" <<'EOF'
[sfx_ca]
basicConstraints=critical,CA:TRUE
keyUsage=critical,keyCertSign
[sfx_leaf]
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning
EOF
{
  openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=sfx test CA" -days 2 -keyout "$T/ca.key" \
    -out "$T/ca.pem" -config <(cat /etc/ssl/openssl.cnf "$T/ext.cnf") -extensions sfx_ca &&
  openssl req -newkey rsa:2048 -nodes -subj "/CN=Acme Ltd" -keyout "$T/key.pem" -out "$T/cert.csr" &&
  openssl x509 -req -in "$T/cert.csr" -CA "$T/ca.pem" -CAkey "$T/ca.key" -CAcreateserial -days 2 \
    -extfile "$T/ext.cnf" -extensions sfx_leaf -out "$T/cert.pem"
} >"$T/openssl.out" 2>&1 || fail "openssl could not make the certificates: $(tail -3 "$T/openssl.out")"

build() {  # build OUTPUT [options...]: sfxpack build of the package, temporaries in $T/tmp
  local out="$1"
  shift
  TMPDIR="$T/tmp" "$SFXPACK" build --stub "$STUB" --config "$T/config.ini" --dir "$T/pkg" -o "$out" \
    --icon "$T/brand.ico" --version-info "ProductName=Acme Widget" --version-info FileVersion=3.2.1 "$@"
}
assert_signed() {  # the file verifies against the CA, sfxpack verify agrees, the stub runs it
  osslsigncode verify -CAfile "$T/ca.pem" -in "$1" >"$T/verify.out" 2>&1 ||
    fail "osslsigncode verify refuses $1: $(tail -5 "$T/verify.out")"
  "$SFXPACK" verify -q "$1" || fail "sfxpack verify refuses $1"
  "$SFXPACK" inspect --json "$1" >"$T/inspect.json" || fail "inspect failed on $1"
  [ "$(json_get "$T/inspect.json" size_check.source)" = certificate ] &&
    [ "$(json_get "$T/inspect.json" size_check.passes)" = true ] ||
    fail "inspect does not take the size from the certificate table: $(cat "$T/inspect.json")"
  # The branding survives the signature.
  [ "$(json_get "$T/inspect.json" branding.version_info.strings.ProductName)" = "Acme Widget" ] &&
    [ "$(json_get "$T/inspect.json" branding.version_info.file_version)" = 3.2.1.0 ] &&
    [ "$(json_get "$T/inspect.json" branding.icon.0.width)" = 32 ] ||
    fail "the signed file lost its branding: $(cat "$T/inspect.json")"
  rm -f "$T/report.txt"
  run_setup "$1" /q
  expect_exit 3010
  assert_no_working_folder_left
  [ -e "$T/report.txt" ] || fail "the setup program did not run from $1"
}
assert_nothing_left() {  # $1: what was done
  [ -z "$(ls -A "$T/out")" ] || fail "$1 left files in the output folder: $(ls -A "$T/out")"
  [ -z "$(ls -A "$T/tmp")" ] || fail "$1 left temporary files: $(ls -A "$T/tmp")"
}

build "$T/out/setup.exe" --sign-cert "$T/cert.pem" --sign-key "$T/key.pem" \
  --sign-description "Acme Widget" --sign-url https://acme.example 2>"$T/err" ||
  fail "signing build failed: $(cat "$T/err")"
grep -q "signed digest matches the file" "$T/err" || fail "no note on the check: $(cat "$T/err")"
assert_signed "$T/out/setup.exe"
osslsigncode verify -CAfile "$T/ca.pem" -in "$T/out/setup.exe" | grep -q 'Subject: /CN=Acme Ltd' ||
  fail "not signed by the vendor's certificate"
cp "$T/out/setup.exe" "$T/long.exe"
printf '\0' >>"$T/long.exe"
rm -f "$T/report.txt"
run_setup "$T/long.exe" /q
expect_exit 0x20001004
[ ! -e "$T/report.txt" ] || fail "the setup program ran from a signed file with a byte appended"
mv "$T/out/setup.exe" "$T/signed.exe"

# A vendor's own signing command, here a wrapper around osslsigncode.
printf '#!/bin/sh\nexec osslsigncode sign -certs "%s" -key "%s" -in "$1" -out "$2"\n' \
  "$T/cert.pem" "$T/key.pem" >"$T/wrap.sh"
chmod +x "$T/wrap.sh"
build "$T/out/setup.exe" --sign-command "'$T/wrap.sh' {in} {out}" 2>"$T/err" ||
  fail "--sign-command build failed: $(cat "$T/err")"
assert_signed "$T/out/setup.exe"
rm "$T/out/setup.exe"

# A PKCS#12 file with a password, which osslsigncode reads from the file.
printf 's3cret pw\n' >"$T/p12pw.txt"
openssl pkcs12 -export -inkey "$T/key.pem" -in "$T/cert.pem" -certfile "$T/ca.pem" \
  -passout "file:$T/p12pw.txt" -out "$T/vendor.p12" || fail "openssl could not make the PKCS#12 file"
build "$T/out/setup.exe" --sign-pkcs12 "$T/vendor.p12" --sign-password-file "$T/p12pw.txt" 2>"$T/err" ||
  fail "PKCS#12 build failed: $(cat "$T/err")"
osslsigncode verify -CAfile "$T/ca.pem" -in "$T/out/setup.exe" >"$T/verify.out" 2>&1 ||
  fail "osslsigncode verify refuses the PKCS#12 build: $(tail -5 "$T/verify.out")"
rm "$T/out/setup.exe"

# Failures: exit 1 from sfxpack, an error naming the step, nothing left.
# flip.py IN OUT: IN with one byte of the archive inverted.
# The byte is one of the first packed bytes after the archive's 32-byte
# signature header, the same offset in the unsigned and the signed file.
cat >"$T/flip.py" <<'PY'
import sys
d = bytearray(open(sys.argv[1], "rb").read())
d[d.rfind(b"7z\xbc\xaf\x27\x1c") + 48] ^= 0xFF
open(sys.argv[2], "wb").write(d)
PY
while IFS='|' read -r what command needle; do
  rc=0
  build "$T/out/setup.exe" --sign-command "$command" 2>"$T/err" || rc=$?
  [ "$rc" -eq 1 ] || fail "$what: exit $rc, $(cat "$T/err")"
  grep -q "^sfxpack: error: signing: .*$needle" "$T/err" || fail "$what: unclear error: $(cat "$T/err")"
  assert_nothing_left "$what"
done <<EOF
a failing command|echo no HSM here >&2; exit 1 #{in} {out}|the signing command failed (exit 1): no HSM here
a command that writes nothing|true {in} {out}|wrote no signed file
an unsigned copy|cp {in} {out}|is not signed
a signature over other bytes|osslsigncode sign -certs '$T/cert.pem' -key '$T/key.pem' -in '$STUB' -out {out} #{in}|not the setup file with a signature added
a signature over other archive bytes|python3 '$T/flip.py' {in} '$T/flipped.exe' && osslsigncode sign -certs '$T/cert.pem' -key '$T/key.pem' -in '$T/flipped.exe' -out {out} && python3 '$T/flip.py' {out} {out}|the signature does not match the file
EOF
printf 'wrong\n' >"$T/wrongpw.txt"
rc=0
build "$T/out/setup.exe" --sign-pkcs12 "$T/vendor.p12" --sign-password-file "$T/wrongpw.txt" 2>"$T/err" || rc=$?
[ "$rc" -eq 1 ] && grep -q 'error: signing: osslsigncode sign failed' "$T/err" ||
  fail "a wrong PKCS#12 password: exit $rc, $(cat "$T/err")"
assert_nothing_left "a wrong PKCS#12 password"
rc=0
PATH=/nonexistent build "$T/out/setup.exe" --sign-cert "$T/cert.pem" --sign-key "$T/key.pem" 2>"$T/err" || rc=$?
[ "$rc" -eq 1 ] && grep -q 'osslsigncode cannot be started' "$T/err" || fail "no osslsigncode: exit $rc, $(cat "$T/err")"
assert_nothing_left "a missing osslsigncode"

# SIGTERM while the signing command runs: the command, what it started and
# the temporaries go.
TMPDIR="$T/tmp" "$SFXPACK" build --stub "$STUB" --config "$T/config.ini" --dir "$T/pkg" -o "$T/out/setup.exe" \
  --sign-command "sleep 60 & echo \$! >'$T/sleep.pid'; wait; cp {in} {out}" 2>/dev/null &
pid=$!
for _ in $(seq 100); do [ -s "$T/sleep.pid" ] && break; sleep 0.1; done
[ -s "$T/sleep.pid" ] || fail "the signing command did not start"
kill -TERM "$pid"
rc=0
wait "$pid" || rc=$?
[ "$rc" -eq 143 ] || fail "SIGTERM: exit $rc"
for _ in $(seq 20); do kill -0 "$(cat "$T/sleep.pid")" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$(cat "$T/sleep.pid")" 2>/dev/null || fail "what the signing command started outlived sfxpack"
assert_nothing_left "SIGTERM while signing"
echo "signing ok"
