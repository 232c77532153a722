#!/usr/bin/env bash
# The built stub carries the resources the packager and the system rely on:
# an 8-byte _KTV_VERIFY, a 48-byte _KTV_DIGEST, the manifest, the icon group 128 and the English table.
set -euo pipefail
stub="$SFX_DIST/sfxstub.exe"
list() { python3 "$SFX_SOURCE/tests/e2e/pe_resources.py" "$stub" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

resources="$(list)"
grep -Eq '^10 _KTV_VERIFY [0-9]+ 8 [0-9]+$' <<<"$resources" || fail "_KTV_VERIFY is not one 8-byte RCDATA item"
grep -Eq '^10 _KTV_DIGEST [0-9]+ 48 [0-9]+$' <<<"$resources" || fail "_KTV_DIGEST is not one 48-byte RCDATA item"
grep -Eq '^14 128 ' <<<"$resources" || fail "no icon group 128"
[ "$(grep -c '^3 ' <<<"$resources")" -eq 4 ] || fail "the icon should have 4 images"
grep -Eq '^16 1 ' <<<"$resources" || fail "no version information"
# Every block of the English table (language 9) that the program loads: ids 102, 129-140, 155-165.
# Its copies (neutral, en-US, en-GB, en-CA) are its bytes, stored once
# (scripts/write_resources.py).
for block in 7 9 10 11; do
  grep -Eq "^6 $block 9 " <<<"$resources" || fail "string block $block missing in language 9"
  copies="$(awk -v b="$block" '$1 == 6 && $2 == b && ($3 == 0 || $3 == 9 || $3 == 1033 || $3 == 2057 || $3 == 4105) { print $5 }' <<<"$resources")"
  [ "$(wc -l <<<"$copies")" -eq 5 ] && [ "$(sort -u <<<"$copies" | wc -l)" -eq 1 ] ||
    fail "string block $block: the English copies are not one stored item ($(tr '\n' ' ' <<<"$copies"))"
done

lang="$(grep -E '^24 1 ' <<<"$resources" | awk '{print $3}')"
[ -n "$lang" ] || fail "no manifest with ID 1"
manifest="$(list "24/1/$lang" | tail -c +1 | sed -n '/<?xml/,$p')"
for needle in 'level="requireAdministrator"' 'uiAccess="false"' '<dpiAware>true</dpiAware>' \
              'name="Microsoft.Windows.Common-Controls"' 'version="6.0.0.0"' \
              '35138b9a-5d96-4fbd-8e2d-a2440225f93a' '4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38' \
              '1f676c76-80e1-4239-95bb-83d0f6d0da78'; do
  grep -qF "$needle" <<<"$manifest" || fail "manifest lacks $needle"
done
echo "stub resources ok"
