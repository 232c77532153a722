#!/usr/bin/env bash
# ProgressTitle, ProgressText and StartSetup of a language section replace
# the built-in texts only while that culture (in any letter case) is the
# installation language. The archive is password-protected, so the progress
# dialog waits behind the prompt with its first texts; the setup program is
# missing, so it waits again behind the launch error with its last ones.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/language_lib.sh"

make_package $'[main]\nSetupFileName=missing.exe\n[LANG_de-DE]\nProgressTitle=Fortschritt: %d %%\nProgressText=Bitte etwas Geduld...\nStartSetup=Gleich geht es los...\n[LANG_fr-FR]\nSetupParams=/lang=fr\n' overrides --password pw --allow-missing-setup

# $1: the culture for /l; $2, $3: the title pattern and status at the
# password prompt; $4, $5: the title and status at the launch error.
expect_progress_texts() {
  local culture="$1" title="$2" status="$3" lastTitle="$4" lastStatus="$5" d
  start_setup "$T/overrides.exe" /l "$culture"
  wait_window "$title" >/dev/null
  wait_dialog_line 'Setup Self-Extractor' '^control id=1009 class=Edit' >/dev/null
  d="$( (timeout "$WINE_TIMEOUT" wine "$DLGDUMP" 2>/dev/null || true) | tr -d '\r')"
  grep -Eq "^dialog title=($title)\$" <<<"$d" || fail "$culture: no progress title '$title' in:
$d"
  expect_line "$d" "control id=1001 class=Static text=$status"
  type_into 'Setup Self-Extractor' pw

  wait_dialog_line 'Setup Self-Extractor' '^control id=65535 class=Static' >/dev/null
  d="$(dump_dialog "$lastTitle")"
  [ -n "$d" ] || fail "$culture: no progress dialog titled '$lastTitle' at the launch error"
  expect_line "$d" "control id=1001 class=Static text=$lastStatus"
  send_keys 'Setup Self-Extractor' Return
  finish_setup
  expect_exit 0x20001005
}

# The culture of the section, in other letters: the section's texts.
expect_progress_texts DE-de 'Fortschritt: 0 %' 'Bitte etwas Geduld...' \
  'Fortschritt: 100 %' 'Gleich geht es los...'
# Another culture of the same language has no table and no overrides: English.
expect_progress_texts de-AT '[0-9]+ % Extracting\.\.\.' 'Preparing files for installation...' \
  '100 % Extracting...' 'Starting installation...'
# French has its own table and no overrides.
expect_progress_texts fr-FR "[0-9]+ % Extraction en cours\\.\\.\\." "Préparation des fichiers d'installation..." \
  '100 % Extraction en cours...' "Démarrage de l'installation..."
echo "overrides ok"
