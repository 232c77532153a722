#!/usr/bin/env bash
# The stub runs elevated from a download folder: DLLs planted beside the setup
# file must never be loaded. Its import table names only DLLs that Windows
# always takes from the system folder, and a full run with a planted mlang.dll
# and uxtheme.dll beside it (Wine told to prefer such native copies) loads
# neither, while a plain LoadLibraryW from the same folder does load them.
source "$(dirname "$0")/lib.sh"

# Known DLLs only. comctl32 is loaded at run time instead: while it attaches it
# loads uxtheme by name, before a program could restrict the DLL search.
allowed='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|shlwapi|msvcrt|comdlg32)\.dll$'
dlls="$(i686-w64-mingw32-objdump -p "$STUB" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)"
[ -n "$dlls" ] || fail "no import table found in $STUB"
while read -r dll; do
  grep -Eq "$allowed" <<<"$dll" || fail "the stub imports $dll, which is not always taken from the system folder"
done <<<"$dlls"
echo "imports: $(tr '\n' ' ' <<<"$dlls")"

PLANT="$SFX_DIST/testtools/plant"
for dll in mlang uxtheme; do [ -f "$PLANT/$dll.dll" ] || fail "$PLANT/$dll.dll is not built"; done
export WINEDLLOVERRIDES="mlang,uxtheme=n,b;winedbg="

dl="$T/downloads"
mkdir -p "$dl" "$T/pkg"
cp "$PLANT/mlang.dll" "$PLANT/uxtheme.dll" "$dl/"
markers() { find "$dl" -name '*.loaded' -printf '%f ' ; }

# The test can fail: an unprotected load from the same folder takes the plant.
cp "$SFX_DIST/testtools/loadunprotected.exe" "$dl/"
for dll in mlang uxtheme; do
  out="$(timeout "$WINE_TIMEOUT" wine "$(winpath "$dl/loadunprotected.exe")" "$dll.dll" 2>/dev/null | tr -d '\r')"
  [ -f "$dl/$dll.dll.loaded" ] || fail "planted $dll.dll was not loaded by a plain LoadLibraryW ($out)"
  echo "plain LoadLibraryW($dll.dll): $out"
done
rm -f "$dl"/*.loaded "$dl/loadunprotected.exe"

cp "$PROBE" "$T/pkg/setup.exe"
printf 'exit=7\n' >"$T/pkg/probe.ini"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$dl/setup.exe" >/dev/null

# Visible (dialogs, themes, the size grip), quiet, and with a language that
# goes through mlang.
for args in "" "/q" "/l de-DE /q"; do
  # shellcheck disable=SC2086
  run_setup "$dl/setup.exe" $args
  expect_exit 7
  assert_no_working_folder_left
  [ -z "$(markers)" ] || fail "run with '$args' loaded a planted DLL: $(markers)"
  echo "run with '$args': exit 7, no planted DLL loaded"
done
echo "dll planting ok"
