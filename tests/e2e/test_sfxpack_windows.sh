#!/usr/bin/env bash
# sfxpack.exe, the Windows build of the packager, under Wine: from the same
# inputs it writes the very bytes the Linux sfxpack writes (also with
# non-ASCII names in the package, on its command line and in the output's
# name), its own verify passes the file, and it refuses what the Linux one
# refuses with the same exit code and without leaving a file, and Ctrl+C
# leaves nothing behind. Both builds depend on nothing a build machine may
# lack: sfxpack.exe on system DLLs only, the Linux sfxpack on no shared
# library at all.
source "$(dirname "$0")/lib.sh"

EXE="$SFX_DIST/sfxpack.exe"
[ -f "$EXE" ] || fail "sfxpack.exe is not built ($EXE)"

# Runs sfxpack.exe under Wine; its output goes to $T/win.out and $T/win.err,
# its exit code to WIN_EXIT.
win_sfxpack() {
  WIN_EXIT=0
  timeout "$WINE_TIMEOUT" wine "$EXE" "$@" >"$T/win.out" 2>"$T/win.err" || WIN_EXIT=$?
}

# The package: the demo's, the probe as its setup program, and names that
# are not ASCII.
pkg="$T/Paket-ü"
cp -r "$SFX_SOURCE/demo/package" "$pkg"
cp "$PROBE" "$pkg/probe.exe"
mkdir -p "$pkg/Dokumente €"
printf 'Grüße\n' >"$pkg/Dokumente €/Grüße 日本.txt"
cp "$SFX_SOURCE/demo/config.ini" "$T/config.ini"
export SOURCE_DATE_EPOCH=1764547200

"$SFXPACK" build --stub "$STUB" --config "$T/config.ini" --dir "$pkg" -o "$T/linux.exe" -q ||
  fail "the Linux sfxpack failed"
win_sfxpack build --stub "$(winpath "$STUB")" --config "$(winpath "$T/config.ini")" \
  --dir "$(winpath "$pkg")" -o "$(winpath "$T/Setup-ü.exe")"
[ "$WIN_EXIT" -eq 0 ] || fail "sfxpack.exe build exited $WIN_EXIT: $(cat "$T/win.err")"
cmp "$T/linux.exe" "$T/Setup-ü.exe" || fail "sfxpack.exe wrote other bytes than the Linux sfxpack"
7zz l -slt "$T/Setup-ü.exe" | grep -qx 'Path = Dokumente €/Grüße 日本.txt' ||
  fail "the non-ASCII name was not stored as it is"

win_sfxpack verify --json "$(winpath "$T/Setup-ü.exe")"
[ "$WIN_EXIT" -eq 0 ] || fail "sfxpack.exe verify exited $WIN_EXIT: $(cat "$T/win.out" "$T/win.err")"
[ "$(json_get "$T/win.out" ok) $(json_get "$T/win.out" archive.crc_checked)" = "true true" ] ||
  fail "sfxpack.exe verify said: $(cat "$T/win.out")"
[ "$(json_get "$T/win.out" file.path)" = "$(winpath "$T/Setup-ü.exe")" ] &&
  [ "$(json_get "$T/win.out" file.sha256)" = "$(sha256sum "$T/linux.exe" | cut -d' ' -f1)" ] ||
  fail "sfxpack.exe verify --json: $(cat "$T/win.out")"

# Refusals: a missing setup program (4), a missing stub (1), wrong usage (2).
rm "$pkg/probe.exe"
refused() {  # $1: exit code; the rest: build arguments, Unix form for Linux
  local code="$1" rc=0 args=() arg
  shift
  "$SFXPACK" build "$@" -o "$T/refused.exe" >/dev/null 2>&1 || rc=$?
  [ "$rc" -eq "$code" ] || fail "the Linux sfxpack exited $rc, not $code, for: $*"
  for arg in "$@"; do
    case "$arg" in /*) args+=("$(winpath "$arg")") ;; *) args+=("$arg") ;; esac
  done
  win_sfxpack build "${args[@]}" -o "$(winpath "$T/refused.exe")"
  [ "$WIN_EXIT" -eq "$code" ] || fail "sfxpack.exe exited $WIN_EXIT, not $code, for: $* ($(cat "$T/win.err"))"
  [ "$(tail -n 1 "$T/win.err" | cut -c1-16)" = "sfxpack: error: " ] ||
    fail "sfxpack.exe did not end with an error line: $(cat "$T/win.err")"
  [ ! -e "$T/refused.exe" ] || fail "a refused build left its output"
  [ -z "$(find "$T" -maxdepth 1 -name '.refused.exe.*')" ] || fail "a refused build left a temporary file"
}
refused 4 --stub "$STUB" --config "$T/config.ini" --dir "$pkg"
refused 1 --stub "$T/no-stub.exe" --config "$T/config.ini" --dir "$pkg" --allow-missing-setup
refused 2 --stub "$STUB" --dir "$pkg"

# Windows spellings of an input or of a place in the packed folder: other
# case, '/' for '\', '..'. Refused, nothing written.
wpkg="$(winpath "$pkg")"
for spelling in "$(tr a-z A-Z <<<"$wpkg")\\Dokumente €\\..\\x.exe" "${wpkg//\\//}/x.exe"; do
  win_sfxpack build --stub "$(winpath "$STUB")" --config "$(winpath "$T/config.ini")" --dir "$wpkg" \
    --allow-missing-setup -o "$spelling"
  [ "$WIN_EXIT" -eq 1 ] && grep -q 'inside the folder' "$T/win.err" ||
    fail "sfxpack.exe exited $WIN_EXIT for -o $spelling: $(cat "$T/win.err")"
  [ ! -e "$pkg/x.exe" ] || fail "sfxpack.exe wrote into the packed folder"
done
win_sfxpack build --stub "$(winpath "$STUB")" --config "$(winpath "$T/config.ini")" --dir "$wpkg" \
  --allow-missing-setup -o "$(winpath "$T")\\CONFIG.INI"
[ "$WIN_EXIT" -eq 1 ] && grep -q 'is the configuration' "$T/win.err" ||
  fail "sfxpack.exe exited $WIN_EXIT for -o CONFIG.INI: $(cat "$T/win.err")"

# Ctrl+C while packing (Wine turns SIGINT into the console's Ctrl+C): the
# work stops, the temporary output the archive is packed into goes, nothing
# was staged in TEMP, and the process ends as Ctrl+C ends it
# (STATUS_CONTROL_C_EXIT).
mkdir -p "$T/big"
head -c 40000000 /dev/urandom >"$T/big/data.bin"
wine "$EXE" build --stub "$(winpath "$STUB")" --config "$(winpath "$T/config.ini")" --dir "$(winpath "$T/big")" \
  --allow-missing-setup -o "$(winpath "$T/big.exe")" >"$T/win.out" 2>"$T/win.err" &
pid=$!
temp="$(wine_temp_dir)"
partial=""
for _ in $(seq 100); do
  # Past the stub and the block: the archive is being written.
  partial="$(find "$T" -maxdepth 1 -name '.big.exe.sfxpack-*' -size +1000k 2>/dev/null | head -n 1)"
  [ -n "$partial" ] && break
  sleep 0.1
done
[ -n "$partial" ] || { kill "$pid"; fail "sfxpack.exe did not start packing: $(cat "$T/win.err")"; }
kill -INT "$pid"
rc=0
wait "$pid" || rc=$?
[ "$rc" -eq $((0x3A)) ] || fail "stopped by Ctrl+C, sfxpack.exe exited $rc, not 58 (STATUS_CONTROL_C_EXIT): $(cat "$T/win.err")"
grep -q 'stopped by the user' "$T/win.err" || fail "sfxpack.exe did not say it was stopped: $(cat "$T/win.err")"
[ -z "$(find "$temp" -maxdepth 1 -name 'sfxpack-*' -newer "$T/big/data.bin" 2>/dev/null)" ] ||
  fail "sfxpack.exe staged something in TEMP"
[ -z "$(find "$T" -maxdepth 1 -name '.big.exe.*')" ] && [ ! -e "$T/big.exe" ] || fail "Ctrl+C left an output file"

# No dependency a build machine may lack.
dlls="$(i686-w64-mingw32-objdump -p "$EXE" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort)"
for dll in $dlls; do
  case "$dll" in
    kernel32.dll | user32.dll | advapi32.dll | ole32.dll | oleaut32.dll | bcrypt.dll | msvcrt.dll | shell32.dll) ;;
    *) fail "sfxpack.exe depends on $dll, which is not part of Windows" ;;
  esac
done
file -L "$SFXPACK" | grep -q 'statically linked' || fail "the Linux sfxpack is not statically linked: $(file -L "$SFXPACK")"
echo "sfxpack.exe ok"
