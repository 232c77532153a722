#!/usr/bin/env bash
# Where an elevated run makes its working folder, place by place, with the
# places Windows keeps closed made closed under Wine (chattr +i: access denied
# even to root). Wine reports every process elevated and none as SYSTEM:
#   - SystemTemp present but closed is never tried: the package installs
#     from a folder in the machine's TMP (Wine: the Windows folder's Temp);
#   - the machine's TMP set in HKLM to another folder is used first;
#   - every place closed: 0x20001004, a message that names each place with
#     the system's reason, and nothing in the user's TEMP.
# Needs root for chattr.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialogs_lib.sh"

MACHINE_ENV='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
windows="$(winepath -u 'C:\windows' 2>/dev/null)"
windows="${windows%/}"
system_temp="$windows/SystemTemp"
machine_tmp="$T/machinetmp"
made_system_temp=""
closed=()

close_folder() {
  chattr +i "$1" || fail "cannot make $1 immutable (the test needs root and a file system with chattr)"
  closed+=("$1")
}
cleanup() {
  local dir
  for dir in "${closed[@]}"; do chattr -i "$dir" 2>/dev/null || true; done
  [ -z "$made_system_temp" ] || rmdir "$system_temp" 2>/dev/null || true
  wine reg add "$MACHINE_ENV" /v TMP /t REG_EXPAND_SZ /d '%SystemRoot%\temp' /f >/dev/null 2>&1 || true
}
trap cleanup EXIT

mkdir -p "$T/pkg" "$machine_tmp"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'report=%s\nexit=0x1234\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" >/dev/null

# The folder the setup program ran in, as a Unix path.
ran_in() {
  [ -f "$T/report.txt" ] || fail "the setup program did not run: $(cat "$T/run.out" "$T/run.err" | head -c 500)"
  winepath -u "$(sed -n 's/^cwd=//p' "$T/report.txt" | head -n 1)" 2>/dev/null
}
user_temp_folders() { find "$(wine_temp_dir)" -maxdepth 1 -name 'ktv*' | sort; }
user_before="$(user_temp_folders)"

# SystemTemp exists but only SYSTEM may use it.
if [ ! -d "$system_temp" ]; then
  mkdir "$system_temp"
  made_system_temp=1
fi
close_folder "$system_temp"
run_setup "$T/setup.exe" /q
expect_exit 0x1234
[ "$(dirname "$(ran_in)")" -ef "$windows/temp" ] || fail "ran in $(ran_in), not in the Windows folder's Temp"
assert_no_working_folder_left

# The machine's TMP comes first.
rm -f "$T/report.txt"
wine reg add "$MACHINE_ENV" /v TMP /t REG_EXPAND_SZ /d "$(winpath "$machine_tmp")" /f >/dev/null 2>&1 ||
  fail "cannot set the machine's TMP"
run_setup "$T/setup.exe" /q
expect_exit 0x1234
[ "$(dirname "$(ran_in)")" -ef "$machine_tmp" ] || fail "ran in $(ran_in), not in the machine's TMP"
[ -z "$(ls -A "$machine_tmp")" ] || fail "left in the machine's TMP: $(ls -A "$machine_tmp")"

# Every place closed: nothing is extracted anywhere, the user's TEMP included.
rm -f "$T/report.txt"
close_folder "$machine_tmp"
close_folder "$windows/temp"
run_setup "$T/setup.exe" /q
expect_exit 0x20001004
[ ! -f "$T/report.txt" ] || fail "the setup program ran"
# Shown: one message with every place and its reason.
timeout "$WINE_TIMEOUT" wine "$RUNNER" "$(winpath "$T/setup.exe")" >"$T/run.out" 2>"$T/run.err" </dev/null &
runner=$!
probe_window "Setup Self-Extractor" 60
grep -q "in any of these places" "$T/probe.txt" || fail "no message naming the places: $(cat "$T/probe.txt")"
for place in "$(winpath "$machine_tmp")" 'C:\windows\temp'; do
  grep -qiF "$place" "$T/probe.txt" || fail "the message does not name $place: $(cat "$T/probe.txt")"
done
grep -qiF 'SystemTemp' "$T/probe.txt" && fail "the message names SystemTemp, which an elevated run never tries"
xdotool key --window "$(wait_for_title '^Setup Self-Extractor$' 10)" Return >/dev/null 2>&1 || true
wait "$runner" || true
grep -q "^exitcode=$((0x20001004)) " "$T/run.out" || fail "the shown run ended otherwise: $(cat "$T/run.out")"
[ "$(user_temp_folders)" = "$user_before" ] || fail "a folder was made in the user's TEMP"
echo "ok"
