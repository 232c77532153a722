#!/usr/bin/env bash
# The built stub is a 32-bit GUI PE32 image for i386 that imports from system
# DLLs only, carries an 8-byte _KTV_VERIFY resource that the packager finds,
# and asks for administrator rights in its manifest. It is hardened: Windows
# 7 (6.1) subsystem, ASLR with base relocations, DEP, a load configuration that restricts its
# imports to the system folder, the stack protector in our code and in the
# archive reader, and no static import of the random generator.
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

for field in MajorSubsystemVersion:6 MinorSubsystemVersion:1 MajorOSystemVersion:6 MinorOSystemVersion:1; do
  grep -Eq "^${field%%:*}[[:space:]]+${field#*:}\$" <<<"$headers" || fail "${field%%:*} is not ${field#*:}"
done
for flag in DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE; do
  grep -Eq "^[[:space:]]+$flag\$" <<<"$headers" || fail "DllCharacteristics lack $flag"
done
# ASLR moves only an image that can be relocated: without base relocations
# Windows loads it at its preferred base whatever DYNAMIC_BASE says (Wine
# always loads there, so only this check notices).
grep -Eq '^Entry 5 [0-9a-f]{8} 0*[1-9a-f][0-9a-f]* Base Relocation Directory' <<<"$headers" ||
  fail "the image has no base relocations: ASLR cannot move it"
# advapi32 forwards it to cryptbase, which is no KnownDLL: looked up at run time.
! grep -q 'SystemFunction036' <<<"$headers" || fail "the stub imports SystemFunction036"
grep -aq 'SystemFunction036' "$STUB" || fail "the stub does not look up SystemFunction036"
# The start-up protections: the heap setting is imported, the mitigation
# policies are looked up (Windows 8 and later have them).
grep -Eq '[[:space:]]HeapSetInformation$' <<<"$headers" || fail "the stub does not import HeapSetInformation"
grep -aq 'SetProcessMitigationPolicy' "$STUB" || fail "the stub does not look up SetProcessMitigationPolicy"
# The dialogs' DLLs are imported on first call, so that the loader maps them
# while the own file's open waits, not before the stub starts: none of them in
# the import table, each of them in the delay-import directory (below).
for dll in user32 gdi32 shell32 ole32 oleaut32; do
  ! grep -qx "$dll.dll" <<<"$dlls" || fail "$dll.dll is in the import table, not loaded on first call"
done

# The load configuration and the guard, read with the link map beside the stub.
MAP="$SFX_DIST/sfxstub.map"
[ -f "$MAP" ] || fail "no link map at $MAP"
ours='orelib::LoadSystemLibrary('
# The map keeps the decorated name of a __stdcall method.
library='__ZN8NArchive3N7z8CHandler4OpenE'
facts="$(python3 "$SFX_SOURCE/tests/e2e/pe_hardening.py" "$STUB" "$MAP" "$ours" "$library")"
fact() { sed -n "s/^$1 //p" <<<"$facts"; }
read -r config_rva config_size <<<"$(fact load_config)"
[ "$config_rva" != 0x0 ] || fail "the data directory has no load-configuration entry"
[ "$config_rva" = "$(fact load_config_symbol)" ] ||
  fail "load-configuration entry at $config_rva, _load_config_used at $(fact load_config_symbol)"
[ "$config_size" = 64 ] && [ "$(fact load_config_size)" = 64 ] ||
  fail "load configuration sizes: entry $config_size, structure $(fact load_config_size), expected 64"
[ "$(fact dependent_load_flags)" = 0x800 ] ||
  fail "DependentLoadFlags is $(fact dependent_load_flags), not LOAD_LIBRARY_SEARCH_SYSTEM32"
[ "$(fact security_cookie)" = 0x0 ] || fail "SecurityCookie claims a cookie: $(fact security_cookie)"
# libssp's guard would be seeded through CryptAcquireContext, which advapi32
# forwards to cryptsp, no KnownDLL. Ours (StackGuard.cpp) starts as a
# terminator canary, libssp's as zero.
[ "$(fact guard_initial)" = 0xff0a0000 ] ||
  fail "the stack guard holds $(fact guard_initial) in the file, not StackGuard.cpp's 0xff0a0000"
[ "$(fact delay_imports)" = 'gdi32.dll ole32.dll oleaut32.dll shell32.dll user32.dll' ] ||
  fail "the delay-import directory lists '$(fact delay_imports)'"
for name in "$ours" "$library"; do
  count="$(grep '^guarded ' <<<"$facts" | grep -F " $name" | cut -d' ' -f2)"
  [ "${count:-0}" -ge 2 ] || fail "$name neither sets nor checks the stack guard, or the map lacks it"
done
echo "load configuration: $config_rva, 64 bytes, DependentLoadFlags 0x800; stack guard in $ours and $library"

# The protection works, and the unit tests' executable still runs (the stack
# guard and the random generator among them). Both are built by GCC from the
# stub's sources with the stub's hardening flags; the stub's own guarded
# frames are counted above, from its map.
OVERRUN="$SFX_DIST/testtools/overrun.exe"
for run in none:0 stack:0xC0000409 copy:0xC0000409; do
  run_setup "$OVERRUN" "${run%%:*}"
  expect_exit "${run#*:}"
done
echo "overruns end the process with STATUS_STACK_BUFFER_OVERRUN"
unit="$(timeout "$WINE_TIMEOUT" wine "$SFX_DIST/testtools/sfx_unit_tests.exe" \
          --gtest_filter='StackGuard.*:SecureRandom.*' 2>/dev/null | tr -d '\r')" ||
  fail "the unit tests' executable failed: $unit"
grep -q '^\[  PASSED  \] 2 tests' <<<"$unit" || fail "the unit tests did not pass: $unit"

# The packager's own reader finds the size resource (value 0 until packed).
"$SFXPACK" inspect --json "$STUB" >"$T/inspect.json" || true
[ "$(json_get "$T/inspect.json" recorded_size.present)" = true ] && [ "$(json_get "$T/inspect.json" recorded_size.value)" = 0 ] ||
  fail "no 8-byte _KTV_VERIFY holding 0: $(json_get "$T/inspect.json" recorded_size)"
[ "$(json_get "$T/inspect.json" block.found)" = false ] || fail "the bare stub holds a configuration block"
[ "$(json_get "$T/inspect.json" archive.found)" = false ] || fail "the bare stub holds a 7z archive"

grep -aq 'level="requireAdministrator"' "$STUB" || fail "manifest does not require administrator rights"
echo "stub image ok"
