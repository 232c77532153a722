#!/usr/bin/env bash
# A block that decrypts to nothing is not an error: the run goes on with every
# key at its default, so it starts setup.exe from the package, passes on its
# own arguments, returns that program's exit code and removes its folder.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'exit=0x00ABCDEF\nreport=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
: >"$T/empty.ini"
pack --config "$T/empty.ini" --dir "$T/pkg" -o "$T/setup.exe" --allow config.empty 2>/dev/null
"$SFXPACK" inspect --json "$T/setup.exe" >"$T/inspect.json" || fail "inspect failed"
[ "$(json_get "$T/inspect.json" block.found)" = true ] && [ -z "$(json_get "$T/inspect.json" configuration.text)" ] ||
  fail "block is not empty"

run_setup "$T/setup.exe" /q
expect_exit 0x00ABCDEF
assert_no_working_folder_left
[ -f "$T/report.txt" ] || fail "setup.exe did not run"
grep -q '^argv\[1\]=/q$' "$T/report.txt" || fail "setup.exe did not receive /q: $(cat "$T/report.txt")"
grep -q '^file=probe.ini$' "$T/report.txt" || fail "the package's files were not beside setup.exe"
echo "empty configuration ok"
