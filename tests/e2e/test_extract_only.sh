#!/usr/bin/env bash
# /x extracts only: into a folder named after the program in the current
# directory, a relative folder under the current directory, or an absolute
# folder as typed (trailing backslash included); exit 0, nothing started and
# nothing deleted. /x into an existing file fails with the extraction error
# and its path, exit 0x20001004.
source "$(dirname "$0")/lib.sh"

MSGBOX="$SFX_DIST/testtools/msgbox.exe"
mkdir -p "$T/pkg/sub" "$T/cwd"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'report=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
echo data >"$T/pkg/sub/data.txt"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/my.setup.exe" >/dev/null

expect_files_in() {  # $1: Unix folder that must hold the package
  [ -f "$1/setup.exe" ] && [ -f "$1/probe.ini" ] && [ "$(cat "$1/sub/data.txt" 2>/dev/null)" = data ] ||
    fail "the package is not in $1: $(ls -R "$1" 2>&1 | head -n 5)"
  [ ! -e "$T/report.txt" ] || fail "the setup program ran in extract-only mode"
}

run_in_cwd() {  # runs the package quietly with the current directory $T/cwd
  _RUN_ARGS=("$@")
  _run_through_runner "$T/my.setup.exe" --cwd "$(winpath "$T/cwd")"
}

# No path: the program's name up to its last dot, in the current directory.
run_in_cwd /q /x
expect_exit 0
expect_files_in "$T/cwd/my.setup"
assert_no_working_folder_left

# A relative path, and one with a single leading backslash, are taken under
# the current directory.
run_in_cwd /q /x out
expect_exit 0
expect_files_in "$T/cwd/out"
run_in_cwd /q /x '\lead'
expect_exit 0
expect_files_in "$T/cwd/lead"

# Absolute, with a trailing backslash; a file already there stays.
mkdir -p "$T/abs"
echo keep >"$T/abs/keep.txt"
run_setup "$T/my.setup.exe" /q /x "$(winpath "$T/abs")\\"
expect_exit 0
expect_files_in "$T/abs"
[ "$(cat "$T/abs/keep.txt")" = keep ] || fail "a file in the target folder was touched"

# Visible: the information box names the folder, and the files stay.
rm -rf "$T/abs2"
( timeout "$WINE_TIMEOUT" wine "$MSGBOX" --timeout 90 --out "$(winpath "$T")\\box.txt" >/dev/null 2>&1 ) &
watcher=$!
run_setup "$T/my.setup.exe" /x "$(winpath "$T/abs2")"
wait "$watcher" || fail "no information box appeared"
expect_exit 0
expect_files_in "$T/abs2"
[ "$(sed -n 's/^text=//p' "$T/box.txt")" = "Installation files successfully extracted into folder:\\n$(winpath "$T/abs2")" ] ||
  fail "unexpected information: $(cat "$T/box.txt")"

# Into an existing file: the extraction error with the path, nothing deleted.
echo "not a folder" >"$T/taken"
run_setup "$T/my.setup.exe" /q /x "$(winpath "$T/taken")"
expect_exit 0x20001004
[ "$(cat "$T/taken")" = "not a folder" ] || fail "the file in the way was changed"

( timeout "$WINE_TIMEOUT" wine "$MSGBOX" --timeout 90 --out "$(winpath "$T")\\error.txt" >/dev/null 2>&1 ) &
watcher=$!
run_setup "$T/my.setup.exe" /x "$(winpath "$T/taken")"
wait "$watcher" || fail "no error box appeared"
expect_exit 0x20001004
text="$(sed -n 's/^text=//p' "$T/error.txt")"
case "$text" in
  "The installation files could not be extracted.\\n\\n"*"$(winpath "$T/taken")"*) ;;
  *) fail "unexpected error message: $text" ;;
esac
[ "$(sed -n 's/^icon=//p' "$T/error.txt")" = 1 ] || fail "the error box has no icon"
[ "$(cat "$T/taken")" = "not a folder" ] || fail "the file in the way was changed"
echo "extract-only ok"
