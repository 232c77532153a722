# Helpers of the dialog tests; sourced after lib.sh.
#
#   probe_window PREFIX [SECONDS]   prints the geometry of the first window
#                     whose title starts with PREFIX (dlgprobe.exe), into
#                     $T/probe.txt; fails when none appears
#   probe_window_containing TEXT [SECONDS]   the same for a title that holds
#                     TEXT anywhere (titles that count up while extracting)
#   control_field ID FIELD          a field (text, client, screen, ...) of
#                     control ID from $T/probe.txt
#   click_control ID  clicks the middle of control ID with the mouse
#   wait_for_title REGEX [SECONDS]  the X window id of a window whose title
#                     matches REGEX, or fails
#   save_screenshot NAME            the whole screen as $T/NAME.png, and as
#                     docs/screenshots/NAME.png when SFX_SCREENSHOTS=1
DLGPROBE="$SFX_DIST/testtools/dlgprobe.exe"

probe_window() {
  local prefix="$1" seconds="${2:-30}"
  timeout $((seconds + 30)) wine "$DLGPROBE" "$prefix" "$seconds" 2>/dev/null | tr -d '\r' >"$T/probe.txt" ||
    fail "no window titled '$prefix...' appeared"
}

probe_window_containing() {
  local text="$1" seconds="${2:-30}"
  timeout $((seconds + 30)) wine "$DLGPROBE" --contains "$text" "$seconds" 2>/dev/null | tr -d '\r' >"$T/probe.txt" ||
    fail "no window with '$text' in its title appeared"
}

control_field() {
  local id="$1" field="$2"
  local line
  line="$(grep "^control id=$id " "$T/probe.txt" | head -n 1)"
  [ -n "$line" ] || fail "control $id not found: $(cat "$T/probe.txt")"
  if [ "$field" = text ]; then
    printf '%s\n' "${line#* text=}"
  else
    printf '%s\n' "$line" | sed -n "s/.* $field=\([^ ]*\).*/\1/p"
  fi
}

click_control() {
  local screen l t r b
  screen="$(control_field "$1" screen)"
  IFS=, read -r l t r b <<<"$screen"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}

wait_for_title() {
  local regex="$1" seconds="${2:-30}" w
  for _ in $(seq $((seconds * 5))); do
    w="$(xdotool search --name "$regex" 2>/dev/null | head -n 1)" || true
    [ -n "$w" ] && { printf '%s\n' "$w"; return 0; }
    sleep 0.2
  done
  fail "no window title matched '$regex' within $seconds seconds"
}

save_screenshot() {
  local name="$1"
  sleep 0.5
  import -window root "$T/$name.png" 2>/dev/null || fail "screenshot $name failed"
  if [ "${SFX_SCREENSHOTS:-0}" = 1 ]; then
    mkdir -p "$SFX_SOURCE/docs/screenshots"
    cp "$T/$name.png" "$SFX_SOURCE/docs/screenshots/$name.png"
  fi
}
