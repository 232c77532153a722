#!/usr/bin/env bash
# A program of the user's that swaps the setup file while the elevated stub
# waits in its language dialog gets nowhere: the stub holds its own file, so
# neither renaming nor replacing it works, and the package that was started
# is the one that is installed.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/language_lib.sh"

config=$'[main]\nSetupFileName=probe.exe\nSetupParams=/package=%s\n[LANG_de-DE]\nStartSetup=x\n[LANG_en-US]\nStartSetup=y\n'
# shellcheck disable=SC2059
make_package "$(printf "$config" original)" setup
# shellcheck disable=SC2059
make_package "$(printf "$config" replacement)" other
cp "$T/setup.exe" "$T/setup.orig"
export SFX_PROBE_REPORT="$(winpath "$T")\\report.txt"

start_setup "$T/setup.exe"
wait_window 'Installation Language' >/dev/null
w="$(winpath "$T")"
attempts=("move /y $w\\setup.exe $w\\moved.exe"
          "copy /y $w\\other.exe $w\\setup.exe"
          "del /f $w\\setup.exe")
for attempt in "${attempts[@]}"; do
  # shellcheck disable=SC2086 # the words of the command, none with a blank
  timeout 60 wine cmd /c $attempt >/dev/null 2>&1 || true
  cmp -s "$T/setup.exe" "$T/setup.orig" || fail "the held setup file changed after: $attempt"
done
[ ! -e "$T/moved.exe" ] || fail "the held setup file could be renamed"
send_keys 'Installation Language' Return
finish_setup
expect_exit 0
grep -q '/package=original' "$T/report.txt" || fail "not the original package ran: $(cat "$T/report.txt")"
echo "own file held ok"
