#!/usr/bin/env bash
# Retakes the screenshots in docs/screenshots: every dialog of the stub in
# English and in German, shown by real runs of packed setup files under
# Xvfb and Wine, each cropped to the dialog (and the window it belongs to).
#
#   scripts/screenshots.sh [BUILD_DIR]     default BUILD_DIR: build
#
# BUILD_DIR must be built (./build.sh build). The script uses a Wine prefix
# of its own (BUILD_DIR/screenshots-prefix), so that its settings (Wine draws
# the window frames itself, 96 DPI) never reach the tests' prefix, and an X
# server of its own. SFX_SCREENSHOT_OUT replaces the output folder.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
DIST="$BUILD/dist"
OUT="${SFX_SCREENSHOT_OUT:-$ROOT/docs/screenshots}"
WORK="$BUILD/screenshots"
TOOLS="$DIST/testtools"
for f in "$DIST/sfxpack" "$DIST/sfxstub.exe" "$TOOLS/probe.exe" "$TOOLS/dlgprobe.exe" "$TOOLS/msgbox.exe"; do
  [ -f "$f" ] || { echo "missing $f: build first (./build.sh build)" >&2; exit 1; }
done
for tool in Xvfb xdotool import convert wine; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

export WINEPREFIX="$BUILD/screenshots-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=en_US.UTF-8
unset LC_ALL

# --- X server and Wine -------------------------------------------------------

XVFB_PID=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

# shellcheck source=scripts/wine-session.sh
source "$ROOT/scripts/wine-session.sh"
start_xvfb 500
[ -f "$WINEPREFIX/.initialised" ] || echo "== creating the Wine prefix $WINEPREFIX"
start_wine_prefix
# Without a window manager Wine draws the title bars itself; 96 DPI.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1

rm -rf "$WORK"
mkdir -p "$WORK" "$OUT"
winpath() { winepath -w "$1" 2>/dev/null; }

# --- helpers -----------------------------------------------------------------

# The X window id of the first window whose whole title matches the
# extended regular expression $1, within $2 seconds.
window_id() {
  local w
  for _ in $(seq $((${2:-60} * 5))); do
    w="$(xdotool search --onlyvisible --name "^($1)\$" 2>/dev/null | head -n 1)" || true
    [ -n "$w" ] && { printf '%s\n' "$w"; return 0; }
    sleep 0.2
  done
  echo "no window titled '$1'" >&2
  return 1
}

# Waits until the window $1 has the title matching $2.
wait_title() {
  for _ in $(seq 300); do
    [[ "$(xdotool getwindowname "$1" 2>/dev/null)" =~ ^($2)$ ]] && return 0
    sleep 0.1
  done
  echo "window $1 never got a title matching '$2'" >&2
  return 1
}

# Saves the part of the screen that holds the windows $2... as $OUT/$1.png
# (no window manager: windows stand where Wine puts them).
shoot() {
  local name="$1" l=99999 t=99999 r=0 b=0 w X Y WIDTH HEIGHT
  shift
  sleep 0.7  # let the windows paint
  for w in "$@"; do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    ((X < l)) && l=$X
    ((Y < t)) && t=$Y
    ((X + WIDTH > r)) && r=$((X + WIDTH))
    ((Y + HEIGHT > b)) && b=$((Y + HEIGHT))
  done
  import -window root "$WORK/screen.png"
  convert "$WORK/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$OUT/$name.png"
  echo "   $name.png ($((r - l))x$((b - t)))"
}

# Clicks control $2 of the window whose title starts with $1 (dlgprobe.exe;
# --contains as $3 looks for the text anywhere in the title).
click() {
  local probe line l t r b
  if [ "${3:-}" = --contains ]; then
    probe="$(wine "$TOOLS/dlgprobe.exe" --contains "$1" 30 2>/dev/null | tr -d '\r')"
  else
    probe="$(wine "$TOOLS/dlgprobe.exe" "$1" 30 2>/dev/null | tr -d '\r')"
  fi
  line="$(grep "^control id=$2 " <<<"$probe" | head -n 1)"
  [ -n "$line" ] || { echo "no control $2 in '$1': $probe" >&2; return 1; }
  IFS=, read -r l t r b <<<"$(sed -n 's/.* screen=\([^ ]*\).*/\1/p' <<<"$line")"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}

# Keys go to the focused window, as a user's would (Wine's own frames take no
# keys sent to a window directly).
press() {
  xdotool windowfocus --sync "$1" >/dev/null 2>&1 || true
  sleep 0.2
  xdotool key --delay 100 "${@:2}"
}

# Runs a setup file in the background; `finish` waits for it.
RUN_PID=""
start() {
  local exe="$1"
  shift
  wine "$exe" "$@" >"$WORK/run.log" 2>&1 </dev/null &
  RUN_PID=$!
}
finish() {
  local name="$1"
  for _ in $(seq 600); do
    kill -0 "$RUN_PID" 2>/dev/null || { wait "$RUN_PID" || true; return 0; }
    sleep 0.1
  done
  echo "the run did not end; ending $name" >&2
  wine taskkill /f /im "$name" >/dev/null 2>&1 || true
  wait "$RUN_PID" || true
}

pack() {
  "$DIST/sfxpack" build --stub "$DIST/sfxstub.exe" "$@" >"$WORK/pack.log" 2>&1 ||
    { cat "$WORK/pack.log" >&2; exit 1; }
}

# --- packages ----------------------------------------------------------------

echo "== packing"
mkdir -p "$WORK/small" "$WORK/big"
echo readme >"$WORK/small/readme.txt"
cp "$TOOLS/probe.exe" "$WORK/small/probe.exe"
# Thousands of small files keep the progress dialog on screen for a while.
for d in $(seq -w 1 12); do
  mkdir "$WORK/big/d$d"
  head -c $((1000 * 2048)) /dev/urandom | split -b 2048 -a 3 -d - "$WORK/big/d$d/f"
done
cp "$TOOLS/probe.exe" "$WORK/big/probe.exe"

# A language section counts only when it holds a key.
printf '[main]\nSetupFileName=probe.exe\n[LANG_de-DE]\nSetupParams=/de\n[LANG_fr-FR]\nSetupParams=/fr\n[LANG_en-US]\nSetupParams=/en\n' >"$WORK/languages.ini"
printf '[main]\nSetupFileName=probe.exe\n' >"$WORK/simple.ini"
printf '[main]\nSetupFileName=probe.exe\nProductName=Contoso Suite\nSfxProgressPretty=1\n' >"$WORK/pretty.ini"
pack --config "$WORK/languages.ini" --dir "$WORK/small" -o "$WORK/languages.exe"
pack --config "$WORK/simple.ini" --dir "$WORK/big" -o "$WORK/simple.exe"
pack --config "$WORK/pretty.ini" --dir "$WORK/big" -o "$WORK/pretty.exe"
pack --config "$WORK/simple.ini" --dir "$WORK/small" -o "$WORK/small.exe"
pack --config "$WORK/simple.ini" --dir "$WORK/small" --password secret -o "$WORK/locked.exe"

# --- the dialogs, per language ---------------------------------------------------

take() {
  local lang="$1" culture="$2" locale="$3" w box
  local caption="Setup Self-Extractor" language_title cancel_regex
  # Wine takes the user's locale from these, even where the C library lacks it.
  export LANG="$locale" LC_ALL="$locale"
  if [ "$lang" = de ]; then
    language_title="Installationssprache"
  else
    language_title="Installation Language"
  fi
  echo "== $lang ($culture)"

  # The language dialog speaks the user's language.
  start "$WORK/languages.exe"
  w="$(window_id "$language_title")"
  shoot "language_$lang" "$w"
  press "$w" Escape
  finish languages.exe

  # The simple progress dialog, then its cancel question (answered Yes).
  start "$WORK/simple.exe" /l "$culture"
  w="$(window_id '[0-9]+ % .*')"
  wait_title "$w" '([2-9][0-9]) % .*'
  shoot "progress_simple_$lang" "$w"
  click " % " 2 --contains
  box="$(window_id "$caption" 20)"
  shoot "cancel_question_$lang" "$box"
  press "$box" Return
  finish simple.exe

  # The pretty progress dialog.
  start "$WORK/pretty.exe" /l "$culture"
  w="$(window_id '[0-9]+ % .*')"
  wait_title "$w" '([2-9][0-9]) % .*'
  shoot "progress_pretty_$lang" "$w"
  press "$w" Escape
  box="$(window_id "$caption" 20)"
  press "$box" Return
  finish pretty.exe

  # The overwrite prompt of /x into a folder that holds the files already.
  rm -rf "$WORK/out"
  mkdir -p "$WORK/out"
  echo old >"$WORK/out/readme.txt"
  start "$WORK/small.exe" /l "$culture" /x "$(winpath "$WORK/out")"
  sleep 1
  w="$(window_id "$caption|Selbstextrahierendes Setup")"
  shoot "overwrite_$lang" "$w"
  press "$w" Escape
  finish small.exe

  # The password prompt (always English).
  start "$WORK/locked.exe" /l "$culture"
  w="$(window_id "$caption")"
  press "$w" s e c r e t
  shoot "password_$lang" "$w"
  press "$w" Escape
  finish locked.exe

  # The help dialog of /?.
  start "$WORK/small.exe" /l "$culture" /?
  w="$(window_id "$caption|Selbstextrahierendes Setup")"
  shoot "help_$lang" "$w"
  press "$w" Return
  finish small.exe
}

take en en-US en_US.UTF-8
take de de-DE de_AT.UTF-8
echo "screenshots in $OUT"
