#!/usr/bin/env bash
# The user picks French in the language dialog: the progress dialog then
# speaks French (title, status, button), shows the French product name, and
# the setup program gets the French section's parameters. The archive is
# password-protected so that the progress dialog stays up, behind the
# prompt, long enough to be read.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/language_lib.sh"

make_package $'[main]\nSetupFileName=probe.exe\nSfxProgressPretty=1\nProductName=Main\n[LANG_de-DE]\nSetupParams=/lang=de\nProductName=Produkt\n[LANG_fr-FR]\nSetupParams=/lang=fr\nProductName=Produit\n[LANG_en-US]\nSetupParams=/lang=en\n' french --password 'mot de passe'
export SFX_PROBE_REPORT="$(winpath "$T")\\report.txt"
export SFX_PROBE_EXIT=7

start_setup "$T/french.exe"
wait_window 'Installation Language' >/dev/null
# The list has the focus: "f" picks the first name with an F, Enter is OK.
send_keys 'Installation Language' f
d="$(dump_dialog 'Installation Language')"
expect_line "$d" "selected id=1006 index=2"
send_keys 'Installation Language' Return

title='[0-9]+ % Extraction en cours\.\.\.'
wait_window "$title" >/dev/null
d="$(wait_dialog_line 'Setup Self-Extractor' '^control id=1009 class=Edit')"
d="$( (timeout "$WINE_TIMEOUT" wine "$DLGDUMP" 2>/dev/null || true) | tr -d '\r' |
  sed -n '/^dialog title=[0-9]* % Extraction/,/^end$/p')"
grep -Eq "^dialog title=$title\$" <<<"$d" || fail "no French progress title:
$d"
expect_line "$d" "control id=1001 class=Static text=Préparation des fichiers d'installation..."
expect_line "$d" "control id=2 class=Button text=Annuler"
expect_line "$d" "control id=1002 class=Static text=Produit"
type_into 'Setup Self-Extractor' 'mot de passe'

finish_setup
expect_exit 7
[ -f "$T/report.txt" ] || fail "the setup program did not run"
grep -qxF 'argv[1]=/lang=fr' "$T/report.txt" || fail "not the French parameters: $(cat "$T/report.txt")"
assert_no_working_folder_left
echo "French run ok"
