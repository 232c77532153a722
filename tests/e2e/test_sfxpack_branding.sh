#!/usr/bin/env bash
# A setup file with the vendor's icon and version information: the stub's
# other resources stay byte for byte, windres and inspect read the new ones
# back, the file signs and verifies, runs its setup program under Wine and
# still refuses a byte appended to it. A broken icon or an unknown key is
# refused with a clear error and no output.
source "$(dirname "$0")/lib.sh"
list() { python3 "$SFX_SOURCE/tests/e2e/pe_resources.py" "$@"; }

mkdir -p "$T/pkg"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'exit=3010\nreport=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
# Four sizes; ImageMagick stores the 256-pixel one as PNG.
convert -size 256x256 xc:navy -define icon:auto-resize=256,48,32,16 "$T/brand.ico" ||
  fail "convert could not make the icon"

pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" --icon "$T/brand.ico" \
  --version-info "ProductName=Acme Widget" --version-info "CompanyName=Acme Ltd" \
  --version-info "FileDescription=Acme Widget Setup" --version-info FileVersion=3.2.1 \
  --version-info "ProductVersion=3.2 beta" --version-info "LegalCopyright=© 2026 Acme Ltd" \
  --version-info OriginalFilename=acme-setup.exe 2>/dev/null

# Everything but the icon, the version and the recorded size is untouched.
keep() { list "$1" --hash | grep -Ev '^(3|14|16) |^10 _KTV_VERIFY '; }
diff <(keep "$STUB") <(keep "$T/setup.exe") >"$T/diff" || fail "other resources changed: $(cat "$T/diff")"
resources="$(list "$T/setup.exe")"
[ "$(grep -c '^3 ' <<<"$resources")" -eq 4 ] || fail "the icon should have 4 images: $resources"
grep -Eq '^10 _KTV_VERIFY [0-9]+ 8 ' <<<"$resources" || fail "_KTV_VERIFY lost"
# Each RT_ICON holds one of the .ico's images, byte for byte.
python3 - "$T/brand.ico" "$T/setup.exe" "$SFX_SOURCE/tests/e2e/pe_resources.py" <<'PY' || fail "icon images differ"
import hashlib, struct, subprocess, sys
ico = open(sys.argv[1], "rb").read()
count = struct.unpack_from("<H", ico, 4)[0]
images = set()
for i in range(count):
    size, offset = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
    images.add(hashlib.sha256(ico[offset:offset + size]).hexdigest())
listing = subprocess.run([sys.executable, sys.argv[3], sys.argv[2], "--hash"], capture_output=True,
                         text=True, check=True).stdout
icons = {line.split()[4] for line in listing.splitlines() if line.startswith("3 ")}
sys.exit(0 if icons == images and len(images) == 4 else 1)
PY

i686-w64-mingw32-windres -i "$T/setup.exe" -O rc -o "$T/setup.rc" 2>"$T/err" || fail "windres cannot read it: $(cat "$T/err")"
for needle in 'FILEVERSION 3, 2, 1, 0' 'PRODUCTVERSION 3, 2, 0, 0' 'VALUE "ProductName", "Acme Widget"' \
              'VALUE "CompanyName", "Acme Ltd"' 'VALUE "ProductVersion", "3.2 beta"' \
              'VALUE "OriginalFilename", "acme-setup.exe"' 'VALUE "FileDescription", "Acme Widget Setup"'; do
  grep -qF "$needle" "$T/setup.rc" || fail "windres does not show $needle"
done

"$SFXPACK" inspect --json "$T/setup.exe" >"$T/inspect.json" || fail "inspect failed"
while IFS='=' read -r field value; do
  [ "$(json_get "$T/inspect.json" "$field")" = "$value" ] ||
    fail "inspect: $field is '$(json_get "$T/inspect.json" "$field")', not '$value'"
done <<'FIELDS'
branding.icon=[{"width": 256, "height": 256, "bit_count": 32}, {"width": 48, "height": 48, "bit_count": 32}, {"width": 32, "height": 32, "bit_count": 32}, {"width": 16, "height": 16, "bit_count": 32}]
branding.version_info.file_version=3.2.1.0
branding.version_info.product_version=3.2.0.0
branding.version_info.strings.LegalCopyright=© 2026 Acme Ltd
branding.version_info.strings.ProductName=Acme Widget
size_check.passes=true
FIELDS

openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=sfx test" -days 2 \
  -keyout "$T/key.pem" -out "$T/cert.pem" >/dev/null 2>&1 || fail "openssl could not make a certificate"
osslsigncode sign -certs "$T/cert.pem" -key "$T/key.pem" -in "$T/setup.exe" -out "$T/signed.exe" \
  >"$T/sign.out" 2>&1 || fail "osslsigncode sign failed: $(cat "$T/sign.out")"
osslsigncode verify -CAfile "$T/cert.pem" -in "$T/signed.exe" >"$T/verify.out" 2>&1 ||
  fail "osslsigncode verify failed: $(tail -5 "$T/verify.out")"
"$SFXPACK" verify -q "$T/signed.exe" || fail "sfxpack verify refuses the signed file"

# Unsigned, the stub finds _KTV_VERIFY in the new tree through the system's
# resource lookup; signed, it takes the size from the certificate table.
for exe in setup signed; do
  run_setup "$T/$exe.exe" /q
  expect_exit 3010
  assert_no_working_folder_left
  [ -e "$T/report.txt" ] || fail "the setup program did not run from $exe.exe"
  rm -f "$T/report.txt"
done
cp "$T/setup.exe" "$T/long.exe"
printf '\0' >>"$T/long.exe"
run_setup "$T/long.exe" /q
expect_exit 0x20001004
[ ! -e "$T/report.txt" ] || fail "the setup program ran from a file with a byte appended"

# Refusals: a cut icon file (exit 1), an unknown key (exit 2), the icon as
# the output (exit 1); no output either way.
head -c 100 "$T/brand.ico" >"$T/cut.ico"
rc=0
"$SFXPACK" build --stub "$STUB" --config "$T/config.ini" --dir "$T/pkg" -o "$T/x.exe" \
  --icon "$T/cut.ico" 2>"$T/err" || rc=$?
[ "$rc" -eq 1 ] || fail "a cut icon exited $rc"
grep -q "error: icon '.*cut.ico': image 1 of the icon file lies outside the file" "$T/err" || fail "unclear error: $(cat "$T/err")"
rc=0
"$SFXPACK" build --stub "$STUB" --config "$T/config.ini" --dir "$T/pkg" -o "$T/x.exe" \
  --version-info Colour=hi 2>"$T/err" || rc=$?
[ "$rc" -eq 2 ] || fail "an unknown key exited $rc"
grep -q 'KEY one of ProductName, ' "$T/err" || fail "unclear error: $(cat "$T/err")"
rc=0
"$SFXPACK" build --stub "$STUB" --config "$T/config.ini" --dir "$T/pkg" -o "$T/brand.ico" \
  --icon "$T/brand.ico" 2>"$T/err" || rc=$?
[ "$rc" -eq 1 ] && grep -q 'is the icon' "$T/err" || fail "the icon as output: exit $rc, $(cat "$T/err")"
[ ! -e "$T/x.exe" ] || fail "output left behind"
echo "branding ok"
