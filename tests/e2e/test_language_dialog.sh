#!/usr/bin/env bash
# The language dialog of a package with three languages: its texts come in
# the default language, the native names are sorted, the user's best match
# is preselected and focused; Cancel (by Escape and by the Cancel button)
# ends the run with 1602 before anything is extracted or started.
# With SFX_SCREENSHOT_DIR set, the screenshots are copied there as well.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/language_lib.sh"

make_package $'[main]\nSetupFileName=probe.exe\nProductName=Main\n[LANG_de-DE]\nSetupParams=/lang=de\n[LANG_fr-FR]\nSetupParams=/lang=fr\n[LANG_en-US]\nSetupParams=/lang=en\n' three
export SFX_PROBE_REPORT="$(winpath "$T")\\report.txt"

# Wine draws the window frames itself when no window manager runs, so that
# the screenshots show the title bar. Undone when the test ends.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
  fail "cannot set Wine's window mode"
on_exit "wine reg delete 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /f >/dev/null 2>&1"

sorted_names() {
  expect_line "$1" "item id=1006 index=0 text=Deutsch (Deutschland)"
  expect_line "$1" "item id=1006 index=1 text=English (United States)"
  expect_line "$1" "item id=1006 index=2 text=Français (France)"
  [ "$(grep -c '^item id=1006 ' <<<"$1")" -eq 3 ] || fail "the list should hold three names:
$1"
}

# --- An English user (Wine's default locale): English texts, English preselected.
start_setup "$T/three.exe"
wait_window 'Installation Language' >/dev/null
d="$(dump_dialog 'Installation Language')"
sorted_names "$d"
expect_line "$d" "control id=1007 class=Static text=Please select the language that you would like to use during the installation."
expect_line "$d" "control id=1006 class=ComboBox text=English (United States)"
expect_line "$d" "selected id=1006 index=1"
expect_line "$d" "control id=1 class=Button text=OK"
expect_line "$d" "control id=2 class=Button text=Cancel"
expect_line "$d" "focus id=1006"
shoot 'Installation Language' language_en
send_keys 'Installation Language' Escape
finish_setup
expect_exit 1602
assert_no_working_folder_left
[ ! -e "$T/report.txt" ] || fail "the setup program ran after Cancel"

# --- A German UI on Austrian settings: de-AT, so de-DE is the default and the
# dialog speaks German; the Cancel button cancels.
LC_ALL=de_AT.UTF-8 LANG=de_AT.UTF-8 start_setup "$T/three.exe"
wait_window 'Installationssprache' >/dev/null
d="$(dump_dialog 'Installationssprache')"
sorted_names "$d"
expect_line "$d" "control id=1007 class=Static text=Wählen Sie die Sprache aus, die während der Installation verwendet werden soll."
expect_line "$d" "selected id=1006 index=0"
expect_line "$d" "control id=2 class=Button text=Abbrechen"
expect_line "$d" "focus id=1006"
shoot 'Installationssprache' language_de
# Tab order: list, OK, Cancel.
send_keys 'Installationssprache' Tab Tab space
finish_setup
expect_exit 1602
assert_no_working_folder_left
[ ! -e "$T/report.txt" ] || fail "the setup program ran after Cancel"
echo "language dialog ok"
