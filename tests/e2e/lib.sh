# Helpers for the end-to-end tests; sourced by tests/e2e/test_*.sh.
#
# Environment (from ctest): SFX_DIST (built binaries), SFX_SOURCE (the
# repository), SFX_TEST_TMP (scratch); from build.sh: WINEPREFIX, DISPLAY.
#
#   T                 this test's own empty scratch folder
#   fail MSG          ends the test as failed
#   winpath PATH      the Windows form of a Unix path
#   pack ARGS...      sfxpack build with the built stub (sets nothing else);
#                     a file it builds must then pass sfxpack verify
#   run_setup EXE [ARGS...]      runs EXE under Wine through runner.exe and
#                     sets RUN_EXIT to its full 32-bit exit code (decimal)
#   run_setup_hidden EXE [ARGS...]   run_setup on a window station of its
#                     own that is not visible (nobody could answer a window)
#   run_setup_raw EXE TEXT       the same, with TEXT appended verbatim to the
#                     command line (include the leading blank)
#   wine_temp_dir     Wine's %TEMP% as a Unix path
#   wine_working_parent   where the stub makes its working folder under Wine,
#                     which reports every process as elevated (not SYSTEM):
#                     the machine's TMP, which Wine sets to the Windows
#                     folder's Temp
#   assert_no_working_folder_left   no ktv* folder appeared there during
#                     the last run_setup
#   expect_exit CODE  compares RUN_EXIT with CODE (decimal or 0x hex)
#   json_get FILE PATH   the field PATH ("archive.offset", "diagnostics.0.code")
#                     of the sfxpack --json document in FILE: a string as it
#                     is, anything else as JSON (null, true, 12, [...]);
#                     fails when there is no such field
set -euo pipefail

: "${SFX_DIST:?}" "${SFX_SOURCE:?}" "${SFX_TEST_TMP:?}"
SFXPACK="$SFX_DIST/sfxpack"
STUB="$SFX_DIST/sfxstub.exe"
RUNNER="$SFX_DIST/testtools/runner.exe"
PROBE="$SFX_DIST/testtools/probe.exe"
# Every Wine run ends after this many seconds at the latest.
WINE_TIMEOUT="${WINE_TIMEOUT:-120}"

# build.sh sets SFX_NO_WINE on a machine that runs no 32-bit programs, where
# Wine cannot run: a test that runs anything under Wine is skipped there
# (ctest counts exit 77 as skipped).
if [ -n "${SFX_NO_WINE:-}" ] &&
  grep -qE '(^|[^_a-z])wine([^_a-z]|$)|run_setup|probe_window|wine_|press_enter|_lib\.sh' "$0"; then
  echo "SKIPPED: $(basename "$0") runs programs under Wine, which cannot run on this machine"
  exit 77
fi

T="$SFX_TEST_TMP/$(basename "$0" .sh)"
rm -rf "$T"
mkdir -p "$T"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

json_get() {
  python3 - "$1" "$2" <<'PY' || fail "no field $2 in $1: $(head -c 2000 "$1")"
import json, sys
value = json.load(open(sys.argv[1], encoding="utf-8"))
try:
    for part in sys.argv[2].split("."):
        value = value[int(part)] if isinstance(value, list) else value[part]
except (KeyError, IndexError, ValueError, TypeError):
    sys.exit(1)
text = value if isinstance(value, str) else json.dumps(value, ensure_ascii=False) + "\n"
sys.stdout.buffer.write(text.encode("utf-8"))
PY
}

winpath() {
  winepath -w "$1" 2>/dev/null
}

pack() {
  "$SFXPACK" build --stub "$STUB" "$@" || return $?
  local out="" prev="" allow=() arg rc=0
  for arg in "$@"; do
    [ "$prev" = -o ] && out="$arg"
    [ "$arg" = --allow-missing-setup ] && allow+=(--allow-missing-setup)
    [ "$prev" = --allow ] && allow+=(--allow "$arg")
    prev="$arg"
  done
  "$SFXPACK" verify -q "${allow[@]}" "$out" >"$T/pack-verify.out" 2>&1 || rc=$?
  [ "$rc" -eq 0 ] || fail "verify of $out exited $rc: $(cat "$T/pack-verify.out")"
}

_WINE_TEMP=""
wine_temp_dir() {
  if [ -z "$_WINE_TEMP" ]; then
    local win
    win="$(timeout "$WINE_TIMEOUT" wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')"
    [ -n "$win" ] || fail "cannot ask Wine for %TEMP%"
    _WINE_TEMP="$(winepath -u "$win" 2>/dev/null)"
    _WINE_TEMP="${_WINE_TEMP%/}"
  fi
  printf '%s\n' "$_WINE_TEMP"
}

wine_working_parent() {
  local windows
  windows="$(winepath -u 'C:\windows' 2>/dev/null)"
  windows="${windows%/}"
  [ -n "$windows" ] || fail "cannot find Wine's Windows folder"
  printf '%s\n' "$windows/temp"
}

_working_folders() {
  local dir
  dir="$(wine_working_parent)"
  find "$dir" -maxdepth 1 -name 'ktv*' -printf '%f\n' 2>/dev/null | sort
}

# $1: the program (Unix path); the rest go to runner.exe as its options and
# arguments. Output of the program's run is kept in $T/run.out and $T/run.err.
_run_through_runner() {
  local exe="$1"
  shift
  [ -f "$RUNNER" ] || fail "runner.exe is not built ($RUNNER)"
  _KTV_BEFORE="$(_working_folders)"
  RUN_EXIT=""
  local rc=0
  timeout "$WINE_TIMEOUT" wine "$RUNNER" "$@" "$(winpath "$exe")" "${_RUN_ARGS[@]}" \
    >"$T/run.out" 2>"$T/run.err" </dev/null || rc=$?
  if [ "$rc" -eq 124 ]; then
    # The program outlives the runner that timeout ended; end it in this prefix.
    timeout 30 wine taskkill /f /im "$(basename "$exe")" >/dev/null 2>&1 || true
    fail "$exe did not end within $WINE_TIMEOUT seconds"
  fi
  RUN_EXIT="$(sed -n 's/^exitcode=\([0-9]*\) .*/\1/p' "$T/run.out" | tr -d '\r' | tail -n 1)"
  [ -n "$RUN_EXIT" ] || fail "runner reported no exit code (rc $rc): $(tr -d '\r' <"$T/run.err" | grep -v '^[0-9a-f]*:fixme' | tail -n 3)"
  _KTV_AFTER="$(_working_folders)"
}

run_setup() {
  local exe="$1"
  shift
  _RUN_ARGS=("$@")
  _run_through_runner "$exe"
}

run_setup_hidden() {
  local exe="$1"
  shift
  _RUN_ARGS=("$@")
  _run_through_runner "$exe" --hidden-station
}

run_setup_raw() {
  local exe="$1" text="$2"
  _RUN_ARGS=()
  _run_through_runner "$exe" --raw "$text"
}

expect_exit() {
  local want="$(( $1 ))"
  [ "$RUN_EXIT" = "$want" ] ||
    fail "exit code $RUN_EXIT ($(printf '0x%08X' "$RUN_EXIT")), expected $want ($(printf '0x%08X' "$want"))"
}

assert_no_working_folder_left() {
  local new
  new="$(comm -13 <(printf '%s\n' "$_KTV_BEFORE") <(printf '%s\n' "$_KTV_AFTER") | sed '/^$/d')"
  [ -z "$new" ] || fail "working folder left in Wine's Windows temp folder: $new"
}

# Closes the first window titled $1 that appears within $2 seconds by
# pressing Enter in it; runs in the background (wait for it with `wait`).
press_enter_in_window() {
  local title="$1" seconds="${2:-60}"
  (
    for _ in $(seq $((seconds * 5))); do
      w="$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1)" || true
      if [ -n "$w" ]; then
        sleep 0.5
        xdotool windowactivate --sync "$w" >/dev/null 2>&1 || xdotool windowfocus "$w" >/dev/null 2>&1 || true
        xdotool key --window "$w" Return >/dev/null 2>&1 || true
        exit 0
      fi
      sleep 0.2
    done
    exit 1
  ) &
}
