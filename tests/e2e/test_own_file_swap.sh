#!/usr/bin/env bash
# A program of the user's that swaps the setup file gets nowhere. While the
# elevated stub waits in its language dialog it holds its own file, so
# neither renaming nor replacing it works, and the package that was started
# is the one that is installed. Before its first instruction (created
# suspended, then renamed and replaced) the file put under its name has the
# same stub, size and headers but another configuration behind it: the image
# records the digest of its own, so the run fails and nothing is started.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/language_lib.sh"

config=$'[main]\nSetupFileName=probe.exe\nSetupParams=/package=%s\n[LANG_de-DE]\nStartSetup=x\n[LANG_en-US]\nStartSetup=y\n'
# shellcheck disable=SC2059
make_package "$(printf "$config" original)" setup
# shellcheck disable=SC2059
make_package "$(printf "$config" replacement)" other
cp "$T/setup.exe" "$T/setup.orig"
export SFX_PROBE_REPORT="$(winpath "$T")\\report.txt"

start_setup "$T/setup.exe"
wait_window 'Installation Language' >/dev/null
w="$(winpath "$T")"
attempts=("move /y $w\\setup.exe $w\\moved.exe"
          "copy /y $w\\other.exe $w\\setup.exe"
          "del /f $w\\setup.exe")
for attempt in "${attempts[@]}"; do
  # shellcheck disable=SC2086 # the words of the command, none with a blank
  timeout 60 wine cmd /c $attempt >/dev/null 2>&1 || true
  cmp -s "$T/setup.exe" "$T/setup.orig" || fail "the held setup file changed after: $attempt"
done
[ ! -e "$T/moved.exe" ] || fail "the held setup file could be renamed"
send_keys 'Installation Language' Return
finish_setup
expect_exit 0
grep -q '/package=original' "$T/report.txt" || fail "not the original package ran: $(cat "$T/report.txt")"

# The same stub and archive with the attacker's configuration, same size.
# shellcheck disable=SC2059
make_package "$(printf "$config" attacker)" attacker
"$SFXPACK" inspect --json "$T/setup.orig" >"$T/inspect.json" || fail "inspect failed"
stub_size="$(json_get "$T/inspect.json" block.offset)"
python3 - "$T/setup.orig" "$T/attacker.exe" "$stub_size" "$T/swapped.exe" <<'PY'
import sys
orig, attacker, stub, out = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read(), int(sys.argv[3]), sys.argv[4]
crafted = orig[:stub] + attacker[stub:]
assert len(crafted) == len(orig), "the attacker's package must have the original's size"
open(out, 'wb').write(crafted)
PY
rm -f "$T/report.txt"
cp "$T/setup.orig" "$T/early.exe"
_RUN_ARGS=(/q)
_run_through_runner "$T/early.exe" --swap-in "$(winpath "$T/swapped.exe")"
cmp -s "$T/early.exe" "$T/swapped.exe" || fail "the swap did not happen"
expect_exit 0x20001004
[ ! -e "$T/report.txt" ] || fail "a setup program ran after the swap: $(cat "$T/report.txt")"
assert_no_working_folder_left
echo "own file held ok"
