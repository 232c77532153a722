#!/usr/bin/env bash
# A SetupFileName that names no file: the start fails, the message shows the
# system's text for "file not found" with its code, a blank line and the full
# path that was tried (inside product\), the run ends with 0x20001005 and the
# working folder is gone by the time the message shows.
source "$(dirname "$0")/lib.sh"

MSGBOX="$SFX_DIST/testtools/msgbox.exe"
# product\ exists, so the path tried there names a missing file (error 2),
# not a missing folder.
mkdir -p "$T/pkg/product"
echo data >"$T/pkg/product/readme.txt"
printf '[main]\nSetupFileName=missing.exe\nSetupParams=/x\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" --allow-missing-setup >/dev/null

# Quiet: nothing shown, only the exit code.
run_setup "$T/setup.exe" /q
expect_exit 0x20001005
assert_no_working_folder_left

# Visible: read the box while it is open, look for the folder, then answer it.
temp="$(wine_working_parent)"
find "$temp" -maxdepth 1 -name 'ktv*' -printf '%f\n' | sort >"$T/folders-before.txt"
(
  timeout "$WINE_TIMEOUT" wine "$MSGBOX" --timeout 90 --leave --out "$(winpath "$T")\\box.txt" >/dev/null 2>&1 || exit 1
  find "$temp" -maxdepth 1 -name 'ktv*' -printf '%f\n' | sort >"$T/folders-at-box.txt"
  timeout "$WINE_TIMEOUT" wine "$MSGBOX" --timeout 10 >/dev/null 2>&1
) &
watcher=$!
run_setup "$T/setup.exe"
wait "$watcher" || fail "no message box appeared"
expect_exit 0x20001005
assert_no_working_folder_left
new_at_box="$(comm -13 "$T/folders-before.txt" "$T/folders-at-box.txt")"
[ -z "$new_at_box" ] || fail "working folder still there while the message showed: $new_at_box"

text="$(sed -n 's/^text=//p' "$T/box.txt")"
icon="$(sed -n 's/^icon=//p' "$T/box.txt")"
[ "$icon" = 1 ] || fail "the error box has no icon"
# "<system text> (2)\n\n<working folder>\product\missing.exe"
case "$text" in
  *" (2)\\n\\n"*'\product\missing.exe') ;;
  *) fail "unexpected message: $text" ;;
esac
sys_text="${text%% (2)\\n\\n*}"
[ -n "$sys_text" ] || fail "the message lacks the system's text: $text"
path="${text#*\\n\\n}"
folder="${path%\\product\\missing.exe}"
case "$(basename "$(winepath -u "$folder" 2>/dev/null)")" in
  ktv????????) ;;
  *) fail "the path tried is not in a working folder: $path" ;;
esac
[ "$(dirname "$(winepath -u "$folder")")" -ef "$temp" ] || fail "$folder is not in the Windows temp folder"
echo "missing setup file ok: $text"
