#!/usr/bin/env bash
# A packed file that lost its last byte, or gained one, is refused in quiet
# mode with 0x20001004 before anything is extracted, while the whole file
# runs its setup program.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'exit=3010\nreport=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/whole.exe" 2>/dev/null

head -c -1 "$T/whole.exe" >"$T/short.exe"
run_setup "$T/short.exe" /q
expect_exit 0x20001004
assert_no_working_folder_left
[ ! -e "$T/report.txt" ] || fail "the setup program ran"

cp "$T/whole.exe" "$T/long.exe"
printf '\0' >>"$T/long.exe"
run_setup "$T/long.exe" /q
expect_exit 0x20001004
assert_no_working_folder_left
[ ! -e "$T/report.txt" ] || fail "the setup program ran"

# The same file, whole, passes the check and runs the setup program.
run_setup "$T/whole.exe" /q
expect_exit 3010
assert_no_working_folder_left
[ -e "$T/report.txt" ] || fail "the setup program did not run"
echo "size check ok"
