#!/usr/bin/env bash
# The progress dialog during real extractions: its title counts up from
# string 131; Cancel answered No changes nothing, Yes disables the button and
# ends the run with 1602 once the worker has stopped, without a working
# folder left. /x into a folder with existing files asks once: "Overwrite
# all" replaces them all, Cancel ends with 1602 and keeps what was written;
# quiet /x overwrites without asking; a normal run never asks and never
# overwrites. The password prompt appears in quiet mode too, stays English,
# and the typed password extracts the package.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialogs_lib.sh"

MSGBOX="$SFX_DIST/testtools/msgbox.exe"
TITLE_REGEX='^[0-9]+ % Extracting\.\.\.$'

# A run that has failed must not leave its windows for the next step.
end_programs() {
  local name
  for name in big.exe small.exe locked.exe dup.exe probe.exe; do
    timeout 30 wine taskkill /f /im "$name" >/dev/null 2>&1 || true
  done
}
trap end_programs EXIT

# Answers the next message box: its caption, text, icon and buttons land in
# $T/$1.box; $2 is the button to press.
answer_box() {
  timeout 90 wine "$MSGBOX" --title "Setup Self-Extractor" --timeout "${3:-60}" --button "$2" \
    --out "$(winpath "$T")\\$1.box" >/dev/null 2>&1
}

box_field() { sed -n "s/^$2=//p" "$T/$1.box" | tr -d '\r'; }

# --- The big package: thousands of small files keep the dialog on screen
# for a while, even on a fast machine (every file is opened, written and
# closed on its own).
mkdir -p "$T/big"
for d in $(seq -w 1 12); do
  mkdir "$T/big/d$d"
  head -c $((1000 * 2048)) /dev/urandom | split -b 2048 -a 3 -d - "$T/big/d$d/f"
done
cp "$PROBE" "$T/big/probe.exe"
printf 'exit=42\nreport=%s\n' "$(winpath "$T")\\big-report.txt" >"$T/big/probe.ini"
printf '[main]\nSetupFileName=probe.exe\n' >"$T/big.ini"
pack --config "$T/big.ini" --dir "$T/big" -o "$T/big.exe" >/dev/null

# Finds the progress dialog, clicks Cancel and answers the question with
# button $1 (6 Yes, 7 No); then looks at the dialog once more.
cancel_with() {
  local button="$1" name="$2"
  (probe_window_containing " % Extracting..." 60) || exit 1
  cp "$T/probe.txt" "$T/$name.before"
  click_control 2
  answer_box "$name" "$button" 20 || exit 1
  # The dialog goes on (No), or waits for the worker while it stops and
  # deletes what it wrote (Yes).
  (probe_window_containing " % Extracting..." 5) && cp "$T/probe.txt" "$T/$name.after"
  exit 0
}

check_cancel_box() {
  [ "$(box_field "$1" text)" = "Do you really want to cancel the installation?" ] ||
    fail "cancel question: $(cat "$T/$1.box")"
  [ "$(box_field "$1" buttons)" = "6,7" ] && [ "$(box_field "$1" icon)" = 1 ] ||
    fail "cancel question is not a Yes/No question: $(cat "$T/$1.box")"
}

# 1. Cancel, then No: nothing changes; the title counts up meanwhile, and the
# run goes on to its setup program.
rm -f "$T/titles.txt"
(
  w="$(wait_for_title "$TITLE_REGEX" 60)"
  while t="$(xdotool getwindowname "$w" 2>/dev/null)"; do
    printf '%s\n' "$t" >>"$T/titles.txt"
    sleep 0.05
  done
) &
watcher=$!
cancel_with 7 cancel_no &
user=$!
run_setup "$T/big.exe"
wait "$user" || fail "no cancel question after clicking Cancel"
wait "$watcher" || true
check_cancel_box cancel_no
expect_exit 42
[ -s "$T/big-report.txt" ] || fail "the setup program did not run after No"
assert_no_working_folder_left
[ -s "$T/cancel_no.after" ] || fail "the dialog was gone right after No"
grep -q '^control id=2 .* enabled=1 ' "$T/cancel_no.after" || fail "No changed the Cancel button: $(cat "$T/cancel_no.after")"
grep -q '^control id=1001 .* text=Preparing files for installation\.\.\.$' "$T/cancel_no.after" ||
  fail "No changed the status text: $(cat "$T/cancel_no.after")"
# Titles come from string 131 and only grow; some lie between 0 and 100.
grep -Evq "$TITLE_REGEX" "$T/titles.txt" && fail "unexpected titles: $(sort -u "$T/titles.txt")"
percents="$(sed 's/ .*//' "$T/titles.txt" | uniq)"
sort -n -c <<<"$percents" 2>/dev/null || fail "the title went backwards: $(tr '\n' ' ' <<<"$percents")"
grep -Eq '^([1-9]|[1-9][0-9])$' <<<"$percents" || fail "no title between 0 and 100 %: $(tr '\n' ' ' <<<"$percents")"

# 2. Cancel, then Yes: the button is disabled at once, the run ends with
# 1602 when the worker reports, no setup program runs and no folder is left.
rm -f "$T/big-report.txt"
cancel_with 6 cancel_yes &
user=$!
run_setup "$T/big.exe"
wait "$user" || fail "no cancel question after clicking Cancel"
check_cancel_box cancel_yes
expect_exit 1602
assert_no_working_folder_left
[ ! -e "$T/big-report.txt" ] || fail "the setup program ran after Yes"
grep -q '^control id=2 .* enabled=1 ' "$T/cancel_yes.before" || fail "Cancel was not enabled before"
if [ -s "$T/cancel_yes.after" ]; then
  grep -q '^control id=2 .* enabled=0 ' "$T/cancel_yes.after" || fail "Yes left Cancel enabled: $(cat "$T/cancel_yes.after")"
else
  echo "note: the dialog had closed before it could be looked at after Yes" >&2
fi

# --- A small package for the prompts; "0-first.txt" comes before the others.
mkdir -p "$T/small"
echo new-0 >"$T/small/0-first.txt"
echo new-a >"$T/small/a.txt"
echo new-b >"$T/small/b.txt"
cp "$PROBE" "$T/small/probe.exe"
printf '[main]\nSetupFileName=probe.exe\n' >"$T/small.ini"
pack --config "$T/small.ini" --dir "$T/small" -o "$T/small.exe" >/dev/null
old_files() {
  rm -rf "$T/out"
  mkdir -p "$T/out"
  echo old-a >"$T/out/a.txt"
  echo old-b >"$T/out/b.txt"
}

# 3. /x into a folder with two of the files: one prompt, "Overwrite all"
# replaces both, then the run reports the folder.
old_files
(
  (probe_window "Setup Self-Extractor" 60) || exit 1
  cp "$T/probe.txt" "$T/overwrite.txt"
  click_control 1
  answer_box extracted 1 30 || {
    wine "$DLGPROBE" "Setup Self-Extractor" 1 2>/dev/null | tr -d '\r' >"$T/stuck.txt"
    exit 1
  }
) &
user=$!
run_setup "$T/small.exe" /x "$(winpath "$T/out")"
wait "$user" || fail "overwrite prompt or final message not as expected: $(cat "$T/stuck.txt" 2>/dev/null)"
expect_exit 0
cp "$T/overwrite.txt" "$T/probe.txt"
text="$(control_field 1005 text)"
case "$text" in
  *'\n\n"a.txt"\n\nOverwrite all existing files?') ;;
  *) fail "overwrite prompt text: $text" ;;
esac
[ "$(control_field 1 text)" = "Overwrite all" ] && [ "$(control_field 2 text)" = Cancel ] ||
  fail "overwrite prompt buttons: $(cat "$T/probe.txt")"
[ "$(box_field extracted text)" = "Installation files successfully extracted into folder:\n$(winpath "$T/out")" ] ||
  fail "final message: $(cat "$T/extracted.box")"
for f in 0-first a b; do
  [ "$(cat "$T/out/$f.txt")" = "new-${f%-first}" ] || fail "$f.txt not written: $(cat "$T/out/$f.txt")"
done

# 4. /x, Cancel in the prompt: 1602; the folder, what was written before the
# prompt and the old files all stay.
old_files
(
  (probe_window "Setup Self-Extractor" 60) || exit 1
  click_control 2
) &
user=$!
run_setup "$T/small.exe" /x "$(winpath "$T/out")"
wait "$user" || fail "overwrite prompt not shown"
expect_exit 1602
[ "$(cat "$T/out/0-first.txt")" = new-0 ] || fail "what was written before the prompt is gone"
[ "$(cat "$T/out/a.txt")" = old-a ] && [ "$(cat "$T/out/b.txt")" = old-b ] || fail "Cancel still overwrote"
[ ! -e "$T/out/probe.exe" ] || fail "extraction went on after Cancel"

# 5. Quiet extract-only: every existing file is overwritten, nothing asked.
old_files
run_setup "$T/small.exe" /q /x "$(winpath "$T/out")"
expect_exit 0
[ "$(cat "$T/out/a.txt")" = new-a ] && [ "$(cat "$T/out/b.txt")" = new-b ] || fail "quiet extract-only did not overwrite"

# 6. A normal run never overwrites: an archive that holds probe.ini twice
# keeps the first copy, and asks nothing (a prompt would hold the run).
printf 'exit=11\n' >"$T/first.ini"
printf 'exit=22\n' >"$T/second.ini"
python3 "$SFX_SOURCE/tests/e2e/make_7z.py" "$T/dup.7z" probe.exe="$PROBE" \
  probe.ini="$T/first.ini" probe.ini="$T/second.ini" || fail "make_7z.py failed"
pack --config "$T/small.ini" --archive "$T/dup.7z" -o "$T/dup.exe" >/dev/null
WINE_TIMEOUT=60 run_setup "$T/dup.exe"
expect_exit 11
assert_no_working_folder_left

# 7. An encrypted package asks for its password in quiet mode too, in
# English under a German UI; the typed password extracts it.
pack --config "$T/small.ini" --dir "$T/small" --password 'S3cret pw' -o "$T/locked.exe" >/dev/null
rm -rf "$T/out2"
(
  (probe_window "Setup Self-Extractor" 60) || exit 1
  cp "$T/probe.txt" "$T/password.txt"
  click_control 1009
  xdotool type --delay 50 'S3cret pw'
  click_control 1
) &
user=$!
run_setup "$T/locked.exe" /q /l de-DE /x "$(winpath "$T/out2")"
wait "$user" || fail "no password prompt in quiet mode"
expect_exit 0
cp "$T/password.txt" "$T/probe.txt"
[ "$(control_field -1 text)" = "Enter password:" ] && [ "$(control_field 1 text)" = OK ] &&
  [ "$(control_field 2 text)" = Cancel ] || fail "password prompt not English: $(cat "$T/probe.txt")"
for f in 0-first a b; do
  cmp -s "$T/small/$f.txt" "$T/out2/$f.txt" || fail "the typed password did not extract $f.txt"
done
echo "progress dialog ok"
