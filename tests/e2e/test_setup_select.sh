#!/usr/bin/env bash
# Which program starts: SetupFileName64 on 64-bit Windows (Wine's 64-bit
# prefix runs the 32-bit stub under WoW64) unless it is empty, and the
# installation language's section replacing "main" for SetupParams and
# SetupFileName64, even with an empty value.
source "$(dirname "$0")/lib.sh"

[ -d "$WINEPREFIX/drive_c/windows/syswow64" ] || fail "the Wine prefix is not a 64-bit one"

mkdir -p "$T/pkg"
cp "$PROBE" "$T/pkg/setup.exe"
cp "$PROBE" "$T/pkg/setup64.exe"
printf 'report=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"

report() {
  sed -n "s/^$1=//p" "$T/report.txt" | head -n 1
}

expect_started() {  # $1: program file name, $2: expected parameters
  [ -f "$T/report.txt" ] || fail "the setup program did not run"
  local exe cmdline
  exe="$(report exe)"
  cmdline="$(report commandline)"
  [ "${exe##*\\}" = "$1" ] || fail "started ${exe##*\\}, expected $1"
  case "$cmdline" in
    *" $2") ;;
    *) fail "command line [$cmdline] does not end with [ $2]" ;;
  esac
  assert_no_working_folder_left
  rm -f "$T/report.txt"
}

cat >"$T/config.ini" <<'INI'
[main]
SetupFileName64=setup64.exe
SetupParams=/main
[LANG_en-US]
[LANG_de-DE]
SetupParams=/de
[LANG_fr-FR]
SetupFileName64=
SetupParams=
INI
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" --allow config.empty-section >/dev/null

run_setup "$T/setup.exe" /q /l en-US
expect_exit 0
expect_started setup64.exe "/main /q /l en-US"

run_setup "$T/setup.exe" /q /l de-DE
expect_exit 0
expect_started setup64.exe "/de /q /l de-DE"

# An empty value in the language section replaces "main" too.
SFX_PROBE_EXIT=7 run_setup "$T/setup.exe" /q /l fr-FR
expect_exit 7
expect_started setup.exe "/q /l fr-FR"
[ "$(report commandline 2>/dev/null)" = "" ]

# An empty SetupFileName64 in "main" never replaces SetupFileName.
printf '[main]\nSetupFileName64=\n' >"$T/config2.ini"
pack --config "$T/config2.ini" --dir "$T/pkg" -o "$T/setup2.exe" >/dev/null
run_setup "$T/setup2.exe" /q
expect_exit 0
expect_started setup.exe "/q"
echo "setup selection ok"
