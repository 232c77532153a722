#!/usr/bin/env bash
# /x never extracts through a link: when the target folder, a folder on the
# way to it, or a folder below it that the package fills is a link (a
# junction on Windows; here a Unix symbolic link, which Wine shows as a
# reparse point), the run is refused with a message naming the link and exit
# 0x20001004, and the folder it points to keeps every file as it was.
source "$(dirname "$0")/lib.sh"

MSGBOX="$SFX_DIST/testtools/msgbox.exe"
mkdir -p "$T/pkg/data" "$T/cwd" "$T/victim"
cp "$PROBE" "$T/pkg/setup.exe"
echo package >"$T/pkg/data/setup.exe"
printf 'report=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/my.setup.exe" >/dev/null

# The folder an attacker points the link at, with a file the package would overwrite.
echo victim >"$T/victim/setup.exe"
echo keep >"$T/victim/keep.txt"
victim_untouched() {
  [ "$(cat "$T/victim/setup.exe")" = victim ] || fail "the linked folder's setup.exe was overwritten"
  [ "$(cat "$T/victim/keep.txt")" = keep ] || fail "the linked folder's keep.txt was changed"
  [ "$(ls -A "$T/victim" | sort | tr '\n' ' ')" = "keep.txt setup.exe " ] ||
    fail "files appeared in the linked folder: $(ls -A "$T/victim")"
  [ ! -e "$T/report.txt" ] || fail "the setup program ran"
}

# Planted at the default target (a folder named after the program, beside
# where it runs), at a named target, and above a named target.
ln -s "$T/victim" "$T/cwd/my.setup"
ln -s "$T/victim" "$T/linked"
ln -s "$T/victim" "$T/via"
_RUN_ARGS=(/q /x)
_run_through_runner "$T/my.setup.exe" --cwd "$(winpath "$T/cwd")"
expect_exit 0x20001004
victim_untouched
for target in "$(winpath "$T/linked")" "$(winpath "$T/via")\\sub\\out"; do
  run_setup "$T/my.setup.exe" /q /x "$target"
  expect_exit 0x20001004
  victim_untouched
done
[ ! -e "$T/victim/sub" ] || fail "a folder was made through the link"

# Below the target: its folder "data", which the package fills, is a link.
mkdir -p "$T/inside"
ln -s "$T/victim" "$T/inside/data"
run_setup "$T/my.setup.exe" /q /x "$(winpath "$T/inside")"
expect_exit 0x20001004
victim_untouched
rm "$T/inside/data"

# Visible: the message names the link.
( timeout "$WINE_TIMEOUT" wine "$MSGBOX" --timeout 90 --out "$(winpath "$T")\\box.txt" >/dev/null 2>&1 ) &
watcher=$!
run_setup "$T/my.setup.exe" /x "$(winpath "$T/via")\\sub\\out"
wait "$watcher" || fail "no error box appeared"
expect_exit 0x20001004
text="$(sed -n 's/^text=//p' "$T/box.txt")"
case "$text" in
  *"link"*"$(winpath "$T/via")") ;;
  *) fail "unexpected message: $text" ;;
esac
[ "$(sed -n 's/^icon=//p' "$T/box.txt")" = 1 ] || fail "the error box has no icon"
victim_untouched
echo "extract-only links ok"
