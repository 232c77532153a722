#!/usr/bin/env bash
# Runs that never show the language dialog: ShowUnzipLanguageDlg=0, /l and
# /q. The setup files carry one byte too many, so the integrity check, which
# runs right after the language step, reports the damage in the language the
# run chose; no run asks anything before that message.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/language_lib.sh"

languages=$'[LANG_de-DE]\nSetupParams=/lang=de\n[LANG_fr-FR]\nSetupParams=/lang=fr\n[LANG_en-US]\nSetupParams=/lang=en\n'
make_package $'[main]\nSetupFileName=probe.exe\nShowUnzipLanguageDlg=0\n'"$languages" nodialog
make_package $'[main]\nSetupFileName=probe.exe\n'"$languages" dialog
make_package $'[main]\nSetupFileName=probe.exe\nCulture=fr-FR\nShowUnzipLanguageDlg=0\n[LANG_de-DE]\na=1\n[LANG_en-US]\na=1\n' culture \
  --allow config.unknown-key
make_package $'[main]\nSetupFileName=probe.exe\nCulture=fr-FR\n' nolang
for name in nodialog dialog culture nolang; do printf 'x' >>"$T/$name.exe"; done

german='Die Setupdatei ist beschädigt. Wenn Sie diese Datei aus dem Internet heruntergeladen haben, laden Sie sie bitte erneut herunter.'
french="Le fichier d'installation est endommagé. Si vous avez téléchargé ce fichier depuis Internet, veuillez le télécharger à nouveau."
english='The setup file is corrupted. If you downloaded this file from the internet, please download it again.'

# $1: the expected beginning of the message; the run's arguments follow.
expect_damage_message() {
  local want="$1" d text
  shift
  start_setup "$@"
  wait_window 'Setup Self-Extractor' >/dev/null
  if xdotool search --name '^(Installation Language|Installationssprache|Langue d.installation)$' >/dev/null 2>&1; then
    fail "a language dialog is open ($*)"
  fi
  d="$(dump_dialog 'Setup Self-Extractor')"
  text="$(dialog_value "$d" 'control id=65535 class=Static text=')" || fail "no message text in:
$d"
  [[ "$text" == "$want"* ]] || fail "message in the wrong language ($*): $text"
  send_keys 'Setup Self-Extractor' Return
  finish_setup
  expect_exit 0x20001004
}

# ShowUnzipLanguageDlg=0: the best match for a German UI on Austrian settings.
LC_ALL=de_AT.UTF-8 LANG=de_AT.UTF-8 expect_damage_message "$german" "$T/nodialog.exe"
# ... and for the default English user.
expect_damage_message "$english" "$T/nodialog.exe"
# /l fixes the language: no dialog although the package would show one.
expect_damage_message "$french" "$T/dialog.exe" /l fr-FR
LC_ALL=de_AT.UTF-8 LANG=de_AT.UTF-8 expect_damage_message "$french" "$T/dialog.exe" /l fr-FR
# The "Culture" key stands when the package has no language sections ...
expect_damage_message "$french" "$T/nolang.exe"
# ... and gives way to the best offered language when it has some.
expect_damage_message "$english" "$T/culture.exe"

# /q: no dialog and no message; the run ends by itself.
run_setup "$T/dialog.exe" /q
expect_exit 0x20001004
echo "language dialog skipped as asked"
