#!/usr/bin/env bash
# The progress dialog during real extractions: its title follows the
# progress; Cancel answered No changes nothing, Yes ends with 1602 and
# removes the working folder; /x into a folder with existing files asks once
# and "Overwrite all" replaces them all, Cancel keeps what was written; /x /q
# overwrites without asking; the password prompt appears in quiet mode too.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/../dialogs_lib.sh"

mkdir -p "$T/pkg"
for i in 1 2 3 4 5 6; do head -c 20000000 /dev/urandom >"$T/pkg/big$i.bin"; done
echo new-a >"$T/pkg/a.txt"
echo new-b >"$T/pkg/b.txt"
printf '[main]\nProductName=Progress Test\nSetupFileName=probe.exe\n' >"$T/config.ini"
cp "$PROBE" "$T/pkg/probe.exe"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" >/dev/null

# 1. The title counts up while extracting.
(
  w="$(wait_for_title '^[0-9]+ % Extracting\.\.\.$' 60)"
  seen=""
  for _ in $(seq 100); do
    t="$(xdotool getwindowname "$w" 2>/dev/null)" || break
    seen="$seen|$t"
    sleep 0.1
  done
  printf '%s\n' "$seen" >"$T/titles.txt"
) &
watcher=$!
run_setup "$T/setup.exe"
wait "$watcher" || true
grep -Eq '\|[1-9][0-9]? % Extracting' "$T/titles.txt" || fail "no intermediate title: $(cat "$T/titles.txt")"

# 2. Cancel, then No: the run goes on to its end.
(
  probe_window "0 % Extracting" 60
  save_screenshot progress_simple_en
  click_control 2
  wait_for_title '^Setup Self-Extractor$' 20 >/dev/null
  save_screenshot cancel_question_en
  xdotool key n
) &
user=$!
run_setup "$T/setup.exe"
wait "$user" || fail "cancel question not shown"
[ "$RUN_EXIT" != 1602 ] || fail "No cancelled the run"

# 3. Cancel, then Yes: 1602 and no working folder left.
(
  probe_window "0 % Extracting" 60
  click_control 2
  wait_for_title '^Setup Self-Extractor$' 20 >/dev/null
  xdotool key y
) &
user=$!
run_setup "$T/setup.exe"
wait "$user" || fail "cancel question not shown"
expect_exit 1602
assert_no_working_folder_left

# 4. /x into a folder with two existing files: one prompt, "Overwrite all".
mkdir -p "$T/out"
echo old-a >"$T/out/a.txt"
echo old-b >"$T/out/b.txt"
(
  probe_window "Setup Self-Extractor" 60
  grep -q '^control id=1005 ' "$T/probe.txt" || fail "not the overwrite prompt: $(cat "$T/probe.txt")"
  save_screenshot overwrite_en
  click_control 1
  sleep 3
  ! wine "$DLGPROBE" "Setup Self-Extractor" 1 2>/dev/null | tr -d '\r' | grep -q '^control id=1005 ' ||
    fail "a second overwrite prompt appeared"
  press_enter_in_window "Setup Self-Extractor" 60
  wait
) &
user=$!
run_setup "$T/setup.exe" /x "$(winpath "$T/out")"
wait "$user" || fail "overwrite prompt not as expected"
expect_exit 0
[ "$(cat "$T/out/a.txt")" = new-a ] && [ "$(cat "$T/out/b.txt")" = new-b ] || fail "files not replaced"

# 5. /x, Cancel in the prompt: 1602, the folder and what was written stay.
echo old-a >"$T/out/a.txt"
(
  probe_window "Setup Self-Extractor" 60
  click_control 2
) &
user=$!
run_setup "$T/setup.exe" /x "$(winpath "$T/out")"
wait "$user" || fail "overwrite prompt not shown"
expect_exit 1602
[ -d "$T/out" ] || fail "the target folder was removed"

# 6. /x /q ... is taken as a folder; quiet extract-only needs /q first.
echo old-a >"$T/out/a.txt"
run_setup "$T/setup.exe" /q /x "$(winpath "$T/out")"
expect_exit 0
[ "$(cat "$T/out/a.txt")" = new-a ] || fail "quiet extract-only did not overwrite"

# 7. An encrypted package asks for its password, in quiet mode too, in English.
pack --config "$T/config.ini" --dir "$T/pkg" --password 'S3cret pw' -o "$T/locked.exe" >/dev/null
rm -rf "$T/out2"
(
  probe_window "Setup Self-Extractor" 60
  grep -q '^control id=1009 ' "$T/probe.txt" || fail "not the password prompt: $(cat "$T/probe.txt")"
  grep -q 'text=Enter password:' "$T/probe.txt" || fail "prompt not English: $(cat "$T/probe.txt")"
  save_screenshot password_en
  click_control 1009
  xdotool type 'S3cret pw'
  click_control 1
) &
user=$!
run_setup "$T/locked.exe" /q /l de-DE /x "$(winpath "$T/out2")"
wait "$user" || fail "password prompt not as expected"
expect_exit 0
cmp -s "$T/pkg/a.txt" "$T/out2/a.txt" || fail "the typed password did not extract"
echo "progress dialog ok"
