#!/usr/bin/env bash
# The built stub is a 32-bit GUI PE32 image for i386 that imports from system
# DLLs only, carries an 8-byte _KTV_VERIFY resource that the packager finds,
# and asks for administrator rights in its manifest.
source "$(dirname "$0")/lib.sh"

[ -f "$STUB" ] || fail "no stub at $STUB"
headers="$(i686-w64-mingw32-objdump -p "$STUB")"
grep -q 'file format pei-i386' <<<"$headers" || fail "not a pei-i386 image"
grep -Eq '^Magic[[:space:]]+010b' <<<"$headers" || fail "optional header is not PE32 (magic 010b)"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "subsystem is not Windows GUI"

allowed='^(kernel32|user32|gdi32|comctl32|shell32|ole32|oleaut32|advapi32|uxtheme|shlwapi|msvcrt|api-ms-win-.*)\.dll$'
dlls="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)"
[ -n "$dlls" ] || fail "no import table found"
while read -r dll; do
  grep -Eq "$allowed" <<<"$dll" || fail "imports from a non-system DLL: $dll"
done <<<"$dlls"
echo "imports: $(tr '\n' ' ' <<<"$dlls")"

# The packager's own reader finds the size resource (value 0 until packed).
inspect="$("$SFXPACK" inspect "$STUB" || true)"
grep -Eq '^recorded size: +0 \(_KTV_VERIFY at offset [0-9]+\)$' <<<"$inspect" ||
  fail "no 8-byte _KTV_VERIFY holding 0: $(grep '^recorded' <<<"$inspect")"
grep -q '^configuration block: not found$' <<<"$inspect" || fail "the bare stub holds a configuration block"
grep -q '^archive: *not found' <<<"$inspect" || fail "the bare stub holds a 7z archive"

grep -aq 'level="requireAdministrator"' "$STUB" || fail "manifest does not require administrator rights"
echo "stub image ok"
