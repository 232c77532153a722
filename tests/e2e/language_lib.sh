# Helpers for the language end-to-end tests; sourced after lib.sh.
#
#   DLGDUMP                        dlgdump.exe (prints visible dialogs)
#   start_setup EXE [ARGS...]      run_setup in the background; the exit code
#                                  lands in $T/exit (see finish_setup)
#   finish_setup                   waits for it and sets RUN_EXIT
#   wait_window TITLE_REGEX [S]    prints the X window id of the first window
#                                  whose whole title matches, or fails
#   dump_dialog TITLE              the dlgdump lines of the dialog TITLE
#   dialog_value DUMP KEY          the value after "KEY" in a dump, e.g.
#                                  dialog_value "$d" "control id=1007 class=Static text="
#   send_keys TITLE_REGEX KEYS...  xdotool key presses to that window
#   on_exit COMMAND                runs COMMAND when the test ends
#   shoot TITLE_REGEX NAME         screenshot into $T (and into
#                                  $SFX_SCREENSHOT_DIR when that is set)

DLGDUMP="$SFX_DIST/testtools/dlgdump.exe"
[ -f "$DLGDUMP" ] || fail "dlgdump.exe is not built ($DLGDUMP)"
command -v xdotool >/dev/null || fail "xdotool is missing"
[ -n "${DISPLAY:-}" ] || fail "no X display"

# A failed test must not leave its setup program's windows behind for the
# next test to find: every package this test made is ended on exit.
_PACKAGES=()
_CLEANUPS=()
on_exit() { _CLEANUPS+=("$1"); }
_language_cleanup() {
  local name cmd
  for name in "${_PACKAGES[@]}"; do
    timeout 30 wine taskkill /f /im "$name.exe" >/dev/null 2>&1 || true
  done
  for cmd in "${_CLEANUPS[@]}"; do eval "$cmd" || true; done
}
trap _language_cleanup EXIT

start_setup() {
  rm -f "$T/exit"
  (
    run_setup "$@"
    printf '%s\n' "$RUN_EXIT" >"$T/exit"
    # Keep the working-folder lists for assert_no_working_folder_left.
    printf '%s\n' "$_KTV_BEFORE" >"$T/ktv.before"
    printf '%s\n' "$_KTV_AFTER" >"$T/ktv.after"
  ) &
  SETUP_PID=$!
}

finish_setup() {
  wait "$SETUP_PID" || true
  [ -s "$T/exit" ] || fail "the setup run reported no exit code: $(tr -d '\r' <"$T/run.err" 2>/dev/null | tail -n 3)"
  RUN_EXIT="$(cat "$T/exit")"
  _KTV_BEFORE="$(cat "$T/ktv.before")"
  _KTV_AFTER="$(cat "$T/ktv.after")"
}

wait_window() {
  local pattern="$1" seconds="${2:-60}" w
  for _ in $(seq $((seconds * 5))); do
    w="$(xdotool search --name "^($pattern)\$" 2>/dev/null | head -n 1)" || true
    if [ -n "$w" ]; then
      sleep 0.5  # let the dialog finish its initialisation
      printf '%s\n' "$w"
      return 0
    fi
    if [ -n "${SETUP_PID:-}" ] && ! kill -0 "$SETUP_PID" 2>/dev/null; then
      fail "the setup ended before a window titled '$pattern' appeared (exit $(cat "$T/exit" 2>/dev/null))"
    fi
    sleep 0.2
  done
  fail "no window titled '$pattern' within $seconds seconds"
}

dump_dialog() {
  timeout "$WINE_TIMEOUT" wine "$DLGDUMP" "$1" 2>/dev/null | tr -d '\r' || true
}

dialog_value() {
  local line
  line="$(grep -F -m 1 -- "$2" <<<"$1")" || return 1
  printf '%s\n' "${line#"$2"}"
}

# Fails unless the dump has the line exactly.
expect_line() {
  grep -qxF -- "$2" <<<"$1" || fail "expected the line '$2' in:
$1"
}

# The keys go through the X server's input path to the focused window, as a
# user's would; the window is looked up by its title first.
send_keys() {
  local pattern="$1" w=""
  shift
  for _ in $(seq 10); do
    w="$(xdotool search --onlyvisible --name "^($pattern)\$" 2>/dev/null | head -n 1)" || true
    [ -n "$w" ] && xdotool windowfocus --sync "$w" >"$T/xdotool.log" 2>&1 && break
    w=""
    sleep 0.3
  done
  [ -n "$w" ] || fail "cannot focus the window '$pattern': $(cat "$T/xdotool.log")"
  sleep 0.3
  xdotool key --delay 150 "$@" >"$T/xdotool.log" 2>&1 || fail "xdotool could not press $*: $(cat "$T/xdotool.log")"
}

shoot() {
  local pattern="$1" name="$2" w
  for _ in $(seq 10); do
    w="$(xdotool search --name "^($pattern)\$" 2>/dev/null | head -n 1)" || true
    [ -n "$w" ] && import -window "$w" "$T/$name.png" 2>/dev/null && break
    rm -f "$T/$name.png"
    sleep 0.3
  done
  [ -s "$T/$name.png" ] || fail "screenshot $name failed"
  if [ -n "${SFX_SCREENSHOT_DIR:-}" ]; then
    mkdir -p "$SFX_SCREENSHOT_DIR"
    cp "$T/$name.png" "$SFX_SCREENSHOT_DIR/$name.png"
  fi
}

# A package of probe.exe with the given configuration text ($1, LF lines),
# written as $T/$2.exe; further arguments go to sfxpack.
make_package() {
  local config="$1" name="$2"
  shift 2
  mkdir -p "$T/pkg"
  cp "$PROBE" "$T/pkg/probe.exe"
  _PACKAGES+=("$name")
  printf '%s' "$config" | sed 's/$/\r/' >"$T/$name.ini"
  pack --config "$T/$name.ini" --dir "$T/pkg" -o "$T/$name.exe" "$@" 2>"$T/$name.pack.err" ||
    fail "sfxpack failed: $(cat "$T/$name.pack.err")"
}

# Types $2 into the focused field of the window titled $1 and presses Enter.
type_into() {
  local pattern="$1" text="$2" w=""
  for _ in $(seq 10); do
    w="$(xdotool search --onlyvisible --name "^($pattern)\$" 2>/dev/null | head -n 1)" || true
    [ -n "$w" ] && xdotool windowfocus --sync "$w" >"$T/xdotool.log" 2>&1 && break
    w=""
    sleep 0.3
  done
  [ -n "$w" ] || fail "cannot focus the window '$pattern': $(cat "$T/xdotool.log")"
  sleep 0.3
  xdotool type --delay 100 "$text" >"$T/xdotool.log" 2>&1 || fail "xdotool could not type: $(cat "$T/xdotool.log")"
  xdotool key Return >"$T/xdotool.log" 2>&1 || fail "xdotool could not press Return"
}

# Waits until a dialog titled $1 shows a control line matching the regular
# expression $2; prints the dump.
wait_dialog_line() {
  local title="$1" regex="$2" seconds="${3:-60}" d=""
  for _ in $(seq $((seconds * 2))); do
    d="$(dump_dialog "$title")"
    if grep -Eq -- "$regex" <<<"$d"; then
      printf '%s\n' "$d"
      return 0
    fi
    sleep 0.5
  done
  fail "no dialog '$title' with a line matching '$regex'; last seen:
$d"
}
