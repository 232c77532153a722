#!/usr/bin/env bash
# /? shows the usage text in the help dialog and ends with 87, in quiet mode
# too; the dialog's texts follow /l when it comes first on the line.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialogs_lib.sh"

printf '[main]\nProductName=Help Test\n' >"$T/config.ini"
mkdir -p "$T/pkg"
echo data >"$T/pkg/readme.txt"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" --allow-missing-setup >/dev/null

# run_setup sets RUN_EXIT in a subshell when sent to the background: run the
# checks around it in the foreground instead.
check_help_fg() {
  local screenshot="$1"
  shift
  (
    probe_window "Setup Self-Extractor" 60
    grep -q '^window title=Setup Self-Extractor ' "$T/probe.txt" || fail "title: $(head -n 1 "$T/probe.txt")"
    text="$(control_field 1003 text)"
    [ "$text" = 'Usage: setup.exe [parameter]\n\nParameter:\n/? show help\n/x [folderpath]\n\nIf folderpath was set, files will be extracted to. If it was not set, files will be extracted to current folder.' ] ||
      fail "usage text: $text"
    [ "$(control_field 1 text)" = OK ] || fail "OK button: $(control_field 1 text)"
    [ -z "$screenshot" ] || save_screenshot "$screenshot"
    click_control 1
  ) &
  local user=$!
  run_setup "$T/setup.exe" "$@"
  wait "$user" || fail "the help dialog was not as expected"
  expect_exit 87
}

check_help_fg help_en /?
check_help_fg "" /q /?
check_help_fg "" /? /x

# /l before /? gives the help in that language: the button is no longer
# checked against English, only the dialog's presence and exit code.
(
  probe_window "" 60
  grep -q '^control id=1003 ' "$T/probe.txt" || fail "no help text: $(cat "$T/probe.txt")"
  # The longer German text gets the room it needs above the button.
  IFS=, read -r _ _ _ text_bottom <<<"$(control_field 1003 client)"
  IFS=, read -r _ ok_top _ _ <<<"$(control_field 1 client)"
  [ "$text_bottom" -lt "$ok_top" ] || fail "help text overlaps the button: $(cat "$T/probe.txt")"
  save_screenshot help_de
  click_control 1
) &
user=$!
run_setup "$T/setup.exe" /l de-DE /?
wait "$user" || fail "the German help dialog did not appear"
expect_exit 87
echo "help dialog ok"
