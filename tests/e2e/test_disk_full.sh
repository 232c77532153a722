#!/usr/bin/env bash
# Disk full in a normal run. The machine's TMP, where an elevated run makes
# its working folder first (Wine reports every process as elevated), names a
# folder on a 2 MiB drive (a tmpfs mounted for the test, given a Wine drive
# letter, and set as TMP in HKLM for the test's duration) and the package
# unpacks to more than that. Visible: the size message (OK only, no icon) and the folder
# browser appear; choosing a folder on a larger drive extracts there under a
# new random name and the run succeeds; refusing ends with 0x20001004. The
# first folder is gone either way. Quiet: the same failure ends with
# 0x20001004 and shows nothing.
source "$(dirname "$0")/lib.sh"

MSGBOX="$SFX_DIST/testtools/msgbox.exe"
BROWSER_TITLE="Choose destination location"

small="$T/small"
mkdir -p "$small"
mount -t tmpfs -o size=2m tmpfs "$small" || fail "cannot mount a 2 MiB tmpfs for the small drive (needs root)"
letter=""
for l in t u v w x y; do
  if [ ! -e "$WINEPREFIX/dosdevices/$l:" ]; then
    letter=$l
    break
  fi
done
[ -n "$letter" ] || { umount "$small"; fail "no free Wine drive letter"; }
MACHINE_ENV='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
cleanup() {
  wine reg add "$MACHINE_ENV" /v TMP /t REG_EXPAND_SZ /d '%SystemRoot%\temp' /f >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/dosdevices/$letter:"
  umount "$small" 2>/dev/null || true
}
trap cleanup EXIT
ln -s "$small" "$WINEPREFIX/dosdevices/$letter:"
mkdir -p "$small/tmp" "$T/big"
wine reg add "$MACHINE_ENV" /v TMP /t REG_EXPAND_SZ /d "$letter:\\tmp" /f >/dev/null 2>&1 ||
  fail "cannot set the machine's TMP"

mkdir -p "$T/pkg"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'report=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
head -c 3145728 /dev/urandom >"$T/pkg/payload.bin"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" >/dev/null
total=$(( $(stat -c %s "$T/pkg/setup.exe") + $(stat -c %s "$T/pkg/probe.ini") + 3145728 ))
size_text="$(LC_ALL=C awk -v b="$total" 'BEGIN { printf "%.1f MB", b / 1048576 }')"

# Runs the package; its working folder goes to the small drive.
run_small() {
  RUN_EXIT=""
  local rc=0
  timeout "$WINE_TIMEOUT" wine "$RUNNER" "$(winpath "$T/setup.exe")" "$@" \
    >"$T/run.out" 2>"$T/run.err" </dev/null || rc=$?
  [ "$rc" -ne 124 ] || fail "the run did not end within $WINE_TIMEOUT seconds"
  RUN_EXIT="$(sed -n 's/^exitcode=\([0-9]*\) .*/\1/p' "$T/run.out" | tr -d '\r' | tail -n 1)"
  [ -n "$RUN_EXIT" ] || fail "runner reported no exit code (rc $rc): $(head -c 300 "$T/run.out" "$T/run.err")"
}

no_folder_left() {
  local left
  left="$(find "$small/tmp" "$T/big" -mindepth 1 -maxdepth 1 -name 'ktv*' 2>/dev/null)"
  [ -z "$left" ] || fail "working folder left behind: $left"
}

# Waits for the folder browser and either types a folder into it or cancels it.
answer_browser() {  # $1: Windows folder, or "" to cancel
  local w=""
  for _ in $(seq 300); do
    w="$(xdotool search --name "^$BROWSER_TITLE\$" 2>/dev/null | head -n 1)" || true
    [ -n "$w" ] && break
    sleep 0.2
  done
  [ -n "$w" ] || return 1
  sleep 1
  xdotool windowfocus --sync "$w" >/dev/null 2>&1 || true
  if [ -n "$1" ]; then
    xdotool type --delay 20 "$1"
    xdotool key Return
  else
    xdotool key Escape
  fi
}

expect_size_message() {
  local text
  text="$(sed -n 's/^text=//p' "$T/box.txt")"
  [ "$text" = "Choose a location with enough space to temporary store the installation files ($size_text)." ] ||
    fail "unexpected size message: $text"
  [ "$(sed -n 's/^icon=//p' "$T/box.txt")" = 0 ] || fail "the size message shows an icon"
  [ "$(sed -n 's/^buttons=//p' "$T/box.txt")" = 1 ] || fail "the size message has other buttons than OK"
  rm -f "$T/box.txt"
}

# 1. Visible; a folder on the large drive is chosen.
(
  timeout "$WINE_TIMEOUT" wine "$MSGBOX" --timeout 90 --out "$(winpath "$T")\\box.txt" >/dev/null 2>&1 || exit 1
  answer_browser "$(winpath "$T/big")"
) &
watcher=$!
SFX_PROBE_EXIT=3010 run_small
wait "$watcher" || fail "the size message or the folder browser did not appear"
expect_exit 3010
expect_size_message
[ -f "$T/report.txt" ] || fail "the setup program did not run"
cwd="$(sed -n 's/^cwd=//p' "$T/report.txt")"
cwd_unix="$(winepath -u "$cwd" 2>/dev/null)"
case "$(basename "$cwd_unix")" in
  ktv????????) ;;
  *) fail "the setup ran in $cwd, not in a new working folder" ;;
esac
[ "$(dirname "$cwd_unix")" -ef "$T/big" ] || fail "the setup ran in $cwd, not under the chosen folder"
grep -qx 'file=payload.bin' "$T/report.txt" || fail "the package was not extracted beside the setup"
no_folder_left
rm -f "$T/report.txt"

# 2. Visible; the browser is cancelled.
(
  timeout "$WINE_TIMEOUT" wine "$MSGBOX" --timeout 90 --out "$(winpath "$T")\\box.txt" >/dev/null 2>&1 || exit 1
  answer_browser ""
) &
watcher=$!
run_small
wait "$watcher" || fail "the size message or the folder browser did not appear"
expect_exit 0x20001004
expect_size_message
[ ! -e "$T/report.txt" ] || fail "the setup program ran"
no_folder_left

# 3. Quiet: no message, no browser, the same failure.
( timeout "$WINE_TIMEOUT" wine "$MSGBOX" --timeout 20 --out "$(winpath "$T")\\box.txt" >/dev/null 2>&1 ) &
watcher=$!
run_small /q
expect_exit 0x20001004
if wait "$watcher"; then fail "a message box appeared in quiet mode: $(cat "$T/box.txt")"; fi
[ -z "$(xdotool search --name "^$BROWSER_TITLE\$" 2>/dev/null)" ] || fail "the folder browser appeared in quiet mode"
[ ! -e "$T/report.txt" ] || fail "the setup program ran"
no_folder_left
echo "disk full ok ($size_text)"
