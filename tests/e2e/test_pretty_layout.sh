#!/usr/bin/env bash
# The pretty progress layout: texts and bar start 9 dialog units right of an
# icon of 48 pixels at 96 DPI and of 72 pixels at 144 DPI, and the product
# name is shown. An encrypted package holds the dialog open at its password
# prompt while it is measured; Escape in the prompt then cancels the run.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialogs_lib.sh"

mkdir -p "$T/pkg"
echo data >"$T/pkg/a.txt"
printf '[main]\nProductName=Contoso Suite\nSfxProgressPretty=1\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" --password pw -o "$T/setup.exe" --allow-missing-setup >/dev/null

# Wine processes read LogPixels when they start. The prefix is shared with
# every later test, so the old setting comes back however this test ends.
# A fresh prefix has no LogPixels value at all: the query then fails.
DPI_KEY='HKCU\Control Panel\Desktop'
old_dpi="$(timeout 60 wine reg query "$DPI_KEY" /v LogPixels 2>/dev/null | tr -d '\r' |
  sed -n 's/.*LogPixels[[:space:]]*REG_DWORD[[:space:]]*\(0x[0-9a-fA-F]*\).*/\1/p' || true)"
set_dpi() {
  timeout 60 wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
restore_dpi() {
  if [ -n "$old_dpi" ]; then
    set_dpi "$((old_dpi))" || echo "could not restore LogPixels $old_dpi" >&2
  else
    timeout 60 wine reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1 || true
  fi
}
trap restore_dpi EXIT
trap 'exit 143' TERM INT

measure() {
  local dpi="$1"
  set_dpi "$dpi" || fail "cannot set LogPixels to $dpi"
  rm -f "$T/progress-$dpi.txt"
  # The user side only looks, then answers the prompt, so that the run ends
  # whatever it saw; the checks follow the run.
  (
    (probe_window "0 % Extracting" 60) && cp "$T/probe.txt" "$T/progress-$dpi.txt"
    w="$(wait_for_title '^Setup Self-Extractor$' 30)"
    xdotool windowfocus --sync "$w" >/dev/null 2>&1 || true
    xdotool key --window "$w" Escape 2>/dev/null || xdotool key Escape
  ) &
  local user=$!
  run_setup "$T/setup.exe"
  wait "$user" || fail "no password prompt at $dpi DPI"
  expect_exit 1602
}

check_layout() {
  local dpi="$1" icon="$2" il ir cl cr base gap id l
  [ -s "$T/progress-$dpi.txt" ] || fail "the progress dialog was not seen at $dpi DPI"
  cp "$T/progress-$dpi.txt" "$T/probe.txt"
  grep -q "^window title=0 % Extracting\.\.\. .* dpi=$dpi\$" "$T/probe.txt" ||
    fail "not the progress dialog at $dpi DPI: $(head -n 1 "$T/probe.txt")"
  IFS=, read -r il _ ir _ <<<"$(control_field 1008 client)"
  [ $((ir - il)) -eq "$icon" ] || fail "icon $((ir - il)) px wide at $dpi DPI, expected $icon"
  # Cancel is 50 dialog units wide: the horizontal base unit follows from it.
  IFS=, read -r cl _ cr _ <<<"$(control_field 2 client)"
  base=$(( ((cr - cl) * 4 + 25) / 50 ))
  gap=$(( (9 * base + 2) / 4 ))
  for id in 1001 1002 1000; do
    IFS=, read -r l _ _ _ <<<"$(control_field "$id" client)"
    [ "$l" -eq $((ir + gap)) ] || fail "control $id starts at $l, expected $((ir + gap)) at $dpi DPI"
  done
  [ "$(control_field 1002 text)" = "Contoso Suite" ] || fail "product name: $(control_field 1002 text)"
  [ "$(control_field 1001 text)" = "Preparing files for installation..." ] ||
    fail "status text: $(control_field 1001 text)"
}

measure 96
check_layout 96 48
measure 144
check_layout 144 72
echo "pretty layout ok"
