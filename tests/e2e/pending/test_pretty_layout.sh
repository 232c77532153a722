#!/usr/bin/env bash
# The pretty progress layout: texts and bar start 9 dialog units right of an
# icon of 48 pixels at 96 DPI and of 72 pixels at 144 DPI. An encrypted
# package holds the dialog open at its password prompt while it is measured.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/../dialogs_lib.sh"

mkdir -p "$T/pkg"
echo data >"$T/pkg/a.txt"
printf '[main]\nProductName=Contoso Suite\nSfxProgressPretty=1\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" --password pw -o "$T/setup.exe" >/dev/null

restore_dpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1 || true; wineserver -w || true; }
trap restore_dpi EXIT

measure() {
  local dpi="$1" icon="$2"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w || true
  (
    probe_window "0 % Extracting" 60
    save_screenshot "progress_pretty_${dpi}dpi"
    IFS=, read -r il it ir ib <<<"$(control_field 1008 client)"
    [ $((ir - il)) -eq "$icon" ] || fail "icon $((ir - il)) px wide at $dpi DPI, expected $icon"
    # Cancel is 50 dialog units wide: the horizontal base unit follows from it.
    IFS=, read -r cl _ cr _ <<<"$(control_field 2 client)"
    base=$(( ((cr - cl) * 4 + 25) / 50 ))
    gap=$(( (9 * base + 2) / 4 ))
    for id in 1001 1002 1000; do
      IFS=, read -r l _ _ _ <<<"$(control_field "$id" client)"
      [ "$l" -eq $((ir + gap)) ] || fail "control $id starts at $l, expected $((ir + gap)) at $dpi DPI"
    done
    [ "$(control_field 1002 text)" = "Contoso Suite" ] || fail "product name"
    # Escape in the password prompt cancels the run.
    w="$(wait_for_title '^Setup Self-Extractor$' 30)"
    xdotool windowfocus "$w" 2>/dev/null || true
    xdotool key --window "$w" Escape
  ) &
  local user=$!
  run_setup "$T/setup.exe"
  wait "$user" || fail "layout at $dpi DPI"
  expect_exit 1602
}

measure 96 48
measure 144 72
echo "pretty layout ok"
