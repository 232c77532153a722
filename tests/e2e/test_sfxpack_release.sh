#!/usr/bin/env bash
# A release build as a vendor's script runs it: every missing input and a
# result over 4 GiB fail in under a second, before packing, with no output;
# two signed builds with SOURCE_DATE_EPOCH are identical and verify; the
# timestamp servers are tried in order until one answers; the version comes
# from another file and from --define; -v, --compression, verify's password
# and /? behave as documented.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg" "$T/big" "$T/out"
printf 'MZ' >"$T/pkg/setup.exe"
head -c 200000 /dev/urandom >"$T/pkg/data.bin"
printf 'MZ' >"$T/big/setup.exe"
truncate -s 4600000000 "$T/big/huge.bin"  # sparse: scanned at once, packed in minutes
printf '[main]\nSetupFileName=setup.exe\nProductName=${PRODUCT}\n' >"$T/c.ini"
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=sfx test" -days 2 -keyout "$T/key.pem" -out "$T/cert.pem" \
  >/dev/null 2>&1 || fail "openssl could not make a certificate"
openssl pkcs12 -export -inkey "$T/key.pem" -in "$T/cert.pem" -out "$T/t.p12" -passout pass:pw || fail "no .p12"
printf 'pw\n' >"$T/p12.pw"
base=(build --stub "$STUB" --config "$T/c.ini" --define PRODUCT=Widget)
sign=(--sign-pkcs12 "$T/t.p12" --sign-password-file "$T/p12.pw")

# 1. Refused before packing: exit 1, the reason, under a second, nothing written.
while IFS='|' read -r needle args; do
  eval "set -- $args"
  start=$(date +%s%N)
  rc=0
  "$@" >/dev/null 2>"$T/stderr" || rc=$?
  ms=$((($(date +%s%N) - start) / 1000000))
  [ "$rc" -eq 1 ] && grep -qF -- "$needle" "$T/stderr" || fail "[$args] exit $rc: $(cat "$T/stderr")"
  [ "$ms" -lt 1000 ] || fail "[$args] took $ms ms"
  [ -z "$(ls -A "$T/out")" ] || fail "[$args] left $(ls -A "$T/out")"
  echo "ok ($ms ms): $(tail -n 1 "$T/stderr" | cut -c1-160)"
done <<'CASES'
signing PKCS#12 file|"$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/out/s.exe" --sign-pkcs12 "$T/none.p12"
signing password file|"$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/out/s.exe" --sign-pkcs12 "$T/t.p12" --sign-password-file "$T/none.pw"
none.ico' does not exist|"$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/out/s.exe" --icon "$T/none.ico"
password file|"$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/out/s.exe" --password-file "$T/none.pw"
--version-from file|"$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/out/s.exe" --version-from "$T/none.exe"
output folder|"$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/none/s.exe"
osslsigncode cannot be started|env PATH=/nonexistent "$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/out/s.exe" "${sign[@]}"
never been tried on a file that large; write it anyway with --allow size.over-4gib|"$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/out/s.exe"
cannot be signed|"$SFXPACK" "${base[@]}" --dir "$T/big" -o "$T/out/s.exe" "${sign[@]}" --allow size.over-4gib
CASES

# 2. Two signed builds a second apart, without timestamp server: identical, and both verify.
for n in 1 2; do
  SOURCE_DATE_EPOCH=1700000000 "$SFXPACK" "${base[@]}" --dir "$T/pkg" -o "$T/out/r$n.exe" "${sign[@]}" 2>/dev/null ||
    fail "signed build $n failed"
  osslsigncode verify -CAfile "$T/cert.pem" -in "$T/out/r$n.exe" >"$T/osv" 2>&1 || fail "osslsigncode verify: $(cat "$T/osv")"
  "$SFXPACK" verify -q "$T/out/r$n.exe" || fail "sfxpack verify failed on r$n.exe"
  sleep 1
done
cmp -s "$T/out/r1.exe" "$T/out/r2.exe" || fail "two signed builds differ: $(cmp -l "$T/out/r1.exe" "$T/out/r2.exe" | wc -l) bytes"
grep -q 'Signing time: Nov 14 22:13:20 2023' "$T/osv" || fail "the signing time is not SOURCE_DATE_EPOCH: $(grep -i time "$T/osv")"
echo "ok: signed builds are identical"

# 3. Timestamp servers: refused, silent, then one that answers (openssl ts behind a local HTTP server).
cat >"$T/tsa.cnf" <<'EOF'
[tsa]
default_tsa = tsa_config
[tsa_config]
serial = ./serial
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
[ext]
extendedKeyUsage = critical,timeStamping
EOF
echo 01 >"$T/serial"
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=test tsa" -days 2 -keyout "$T/tsakey.pem" -out "$T/tsa.pem" \
  -extensions ext -config <(cat /etc/ssl/openssl.cnf "$T/tsa.cnf") >/dev/null 2>&1 || fail "no TSA certificate"
cat >"$T/servers.py" <<'EOF'
import http.server, socket, subprocess, sys, threading
d = sys.argv[1]
class Tsa(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        open(d + "/q", "wb").write(self.rfile.read(int(self.headers["Content-Length"])))
        subprocess.run(["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", "q", "-signer", "tsa.pem",
                        "-inkey", "tsakey.pem", "-out", "r"], cwd=d, check=True, capture_output=True)
        reply = open(d + "/r", "rb").read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)
    def log_message(self, *args): pass
silent = socket.socket()
silent.bind(("127.0.0.1", 0)); silent.listen(8)  # accepts, never answers
tsa = http.server.HTTPServer(("127.0.0.1", 0), Tsa)
print(silent.getsockname()[1], tsa.server_address[1], flush=True)
tsa.serve_forever()
EOF
python3 "$T/servers.py" "$T" >"$T/ports" &
servers=$!
trap 'kill $servers 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$T/ports" ] && break; sleep 0.1; done
read -r silent_port tsa_port <"$T/ports" || fail "the test servers did not start"
ts=(--sign-timestamp-attempts 2 --sign-timestamp-delay 0 --sign-timestamp-timeout 2)
"$SFXPACK" "${base[@]}" --dir "$T/pkg" -o "$T/out/ts.exe" "${sign[@]}" "${ts[@]}" --sign-timestamp http://127.0.0.1:1/ \
  --sign-timestamp "http://127.0.0.1:$silent_port/" --sign-timestamp "http://127.0.0.1:$tsa_port/" 2>"$T/stderr" ||
  fail "the third server was not used: $(cat "$T/stderr")"
grep -c '^sfxpack: timestamp server http://127.0.0.1:1/: try [12] of 2' "$T/stderr" | grep -qx 2 &&
  [ "$(grep -c "timestamp server http://127.0.0.1:$silent_port/: try [12] of 2: no answer within 2 s" "$T/stderr")" = 2 ] ||
  fail "not each server twice, in order: $(cat "$T/stderr")"
osslsigncode verify -CAfile "$T/cert.pem" -TSA-CAfile "$T/tsa.pem" -in "$T/out/ts.exe" >"$T/osv" 2>&1 &&
  grep -q 'Timestamp Server Signature verification: ok' "$T/osv" || fail "no valid timestamp: $(cat "$T/osv")"
rc=0
"$SFXPACK" "${base[@]}" --dir "$T/pkg" -o "$T/out/none.exe" "${sign[@]}" "${ts[@]}" \
  --sign-timestamp http://127.0.0.1:1/ 2>"$T/stderr" || rc=$?
[ "$rc" -eq 1 ] && grep -q 'error: signing: no timestamp server answered (http://127.0.0.1:1/' "$T/stderr" &&
  [ ! -e "$T/out/none.exe" ] || fail "all servers failing: exit $rc: $(cat "$T/stderr")"
echo "ok: timestamp servers tried in order"

# 4. The version from another file, with defines; what it lacks stays the stub's.
"$SFXPACK" "${base[@]}" --dir "$T/pkg" -o "$T/out/v1.exe" --version-info ProductName=Acme \
  --version-info 'FileVersion=${V}' --define V=3.2.1 --version-info LegalTrademarks=TM 2>/dev/null || fail "v1"
"$SFXPACK" "${base[@]}" --dir "$T/pkg" -o "$T/out/v2.exe" --version-from "$T/out/v1.exe" \
  --version-info 'Comments=built by ${WHO}' --define WHO=ci 2>/dev/null || fail "v2"
"$SFXPACK" inspect --json "$T/out/v2.exe" >"$T/v2.json"
got="$(python3 -c 'import json,sys; v=json.load(open(sys.argv[1]))["branding"]["version_info"]; s=v["strings"]
print(v["file_version"], s["FileVersion"], s["ProductName"], s["LegalTrademarks"], s["Comments"], s["InternalName"], sep="|")' "$T/v2.json")"
[ "$got" = "3.2.1.0|3.2.1.0|Acme|TM|built by ci|sfxstub" ] || fail "version of v2.exe: $got"
grep -q '"text": "\[main\]\\nSetupFileName=setup.exe\\nProductName=Widget\\n"' "$T/v2.json" ||
  fail "the configuration's \${PRODUCT} was not replaced: $(json_get "$T/v2.json" configuration.text)"
echo "ok: version from a file and defines"

# 5. -v names each file; store and fast; verify takes SFXPACK_PASSWORD; /? is help.
SFXPACK_PASSWORD=pw "$SFXPACK" "${base[@]}" --dir "$T/pkg" -o "$T/out/p.exe" --compression store -v 2>"$T/stderr" ||
  fail "store build: $(cat "$T/stderr")"
grep -qx 'sfxpack: packing data.bin (200000 bytes)' "$T/stderr" && grep -qx 'sfxpack: packing setup.exe (2 bytes)' "$T/stderr" ||
  fail "-v did not list each file: $(cat "$T/stderr")"
"$SFXPACK" inspect "$T/out/p.exe" | grep -q 'methods Copy, 7zAES' || fail "store: $("$SFXPACK" inspect "$T/out/p.exe" | grep methods)"
SFXPACK_PASSWORD=pw "$SFXPACK" verify "$T/out/p.exe" | grep -q 'CRCs checked' || fail "verify did not take SFXPACK_PASSWORD"
"$SFXPACK" "${base[@]}" --dir "$T/pkg" -o "$T/out/f.exe" --compression fast 2>/dev/null || fail "fast build"
"$SFXPACK" inspect "$T/out/f.exe" | grep -q 'methods LZMA2' || fail "fast: not LZMA2"
# A write that fails (here: the file size limit) names the file and the system's reason, and leaves nothing.
head -c 3000000 /dev/urandom >"$T/pkg/more.bin"
rc=0
(trap '' XFSZ && ulimit -f 2000 && "$SFXPACK" "${base[@]}" --dir "$T/pkg" -o "$T/out/full.exe") 2>"$T/stderr" || rc=$?
[ "$rc" -eq 1 ] && grep -q "error: cannot write the archive into '$T/out/.full.exe.sfxpack-[0-9a-f]*': File too large" "$T/stderr" &&
  [ -z "$(ls -A "$T/out" | grep full)" ] || fail "write failure: exit $rc: $(cat "$T/stderr")"
"$SFXPACK" '/?' | grep -q '^usage:' && "$SFXPACK" build '/?' | grep -q '^sfxpack build' || fail "/? is not help"
echo "release ok"
