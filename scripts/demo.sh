#!/usr/bin/env bash
# Packs the demo package and runs it under Wine in quiet mode.
#   scripts/demo.sh BUILD_DIR     (./build.sh demo calls it with Wine set up)
# The package is demo/package plus the built probe.exe, which stands in for
# a real setup program: it writes what it received into a report.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:?usage: demo.sh BUILD_DIR}"
DIST="$BUILD/dist"
WORK="$BUILD/demo"
SETUP="$DIST/demo-setup.exe"

rm -rf "$WORK"
mkdir -p "$WORK/package"
cp -r "$ROOT/demo/package/." "$WORK/package/"
cp "$DIST/testtools/probe.exe" "$WORK/package/probe.exe"

echo "== packing demo/package with demo/config.ini"
"$DIST/sfxpack" build --config "$ROOT/demo/config.ini" --dir "$WORK/package" -o "$SETUP"
"$DIST/sfxpack" inspect "$SETUP" | sed 's/^/   /'

# The probe writes its report where the environment says; Wine passes the
# variable on through the stub to the setup program.
REPORT="$WORK/report.txt"
export SFX_PROBE_REPORT="$(winepath -w "$REPORT")"
# The stub runs elevated (Wine reports every process so) and then makes its
# working folder in the machine's TMP, which Wine sets to the Windows
# folder's Temp, never in %TEMP%.
WINDOWS_DIR="$(winepath -u 'C:\windows' 2>/dev/null)"
WINDOWS_DIR="${WINDOWS_DIR%/}"
TEMP_DIR="$WINDOWS_DIR/temp"
before="$(ls -d "$TEMP_DIR"/ktv* 2>/dev/null | sort || true)"

echo
echo "== running: demo-setup.exe /q   (quiet: no window)"
out="$(timeout 300 wine "$DIST/testtools/runner.exe" "$(winepath -w "$SETUP")" /q 2>"$WORK/wine.err" || true)"
code="$(sed -n 's/^exitcode=//p' <<<"$out" | tr -d '\r')"
echo "exit code: ${code:-none (the run did not finish)}"
case "${code%% *}" in
  3010) echo "           = the exit code probe.exe chose (3010), passed on by the stub" ;;
  536875012) echo "           = 0x20001004: configuration, integrity check, working folder or extraction failed" ;;
  536875013) echo "           = 0x20001005: the setup program could not be started" ;;
esac

echo
if [ -f "$REPORT" ]; then
  echo "== what the setup program received (its report):"
  sed 's/^/   /' "$REPORT"
else
  echo "== the setup program did not run (no report at $REPORT)"
fi

echo
after="$(ls -d "$TEMP_DIR"/ktv* 2>/dev/null | sort || true)"
left="$(comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after") | sed '/^$/d')"
if [ -z "$left" ]; then
  echo "== working folder: removed (no new ktv* folder in $TEMP_DIR)"
else
  echo "== working folder: LEFT BEHIND: $left"
fi
echo
echo "setup file: $SETUP"
