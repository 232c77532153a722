#!/usr/bin/env bash
# The stub with nothing appended: quiet mode ends with 0x20001004 (no
# configuration block) and leaves no working folder; /? shows the help
# dialog, even in quiet mode, and ends with 87.
source "$(dirname "$0")/lib.sh"

cp "$STUB" "$T/setup.exe"
run_setup "$T/setup.exe" /q
expect_exit 0x20001004
assert_no_working_folder_left

press_enter_in_window "Setup Self-Extractor" 60
closer=$!
run_setup "$T/setup.exe" /q /?
wait "$closer" || fail "the help dialog did not appear"
expect_exit 87
echo "stub alone ok"
