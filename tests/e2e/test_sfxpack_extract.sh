#!/usr/bin/env bash
# Setup files packed by sfxpack's own archive writer extract byte for byte
# under the stub (/x DIR /q): the demo package (demo/package and probe.exe,
# as scripts/demo.sh packs it), a generated 40 MiB mixed folder
# (executables, text, compressed and random data, empty and non-ASCII
# folders, a read-only file), and a small folder with a password typed at
# the prompt. Times stored are SOURCE_DATE_EPOCH's.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialogs_lib.sh"

printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
"$SFX_SOURCE/scripts/make-mixed-folder.sh" "$T/mixed" 40 >/dev/null
chmod a-w "$T/mixed/docs/read me.txt"
mkdir -p "$T/demo" "$T/small/empty"
cp -r "$SFX_SOURCE/demo/package/." "$T/demo/"
cp "$PROBE" "$T/demo/"
printf 'first\n' >"$T/small/a.txt"
printf 'second\n' >"$T/small/b.txt"
export SOURCE_DATE_EPOCH=1764547200  # 2025-12-01 00:00:00 UTC

# The extracted folder holds exactly the package's files and folders.
same_tree() {
  diff -r "$1" "$2" >"$T/diff.txt" 2>&1 || fail "extracted tree differs from $1: $(head -n 5 "$T/diff.txt")"
  [ "$(cd "$1" && find . | sort)" = "$(cd "$2" && find . | sort)" ] || fail "file lists differ for $1"
}

for name in demo mixed; do
  folder="$T/$name"
  pack --config "$T/config.ini" --dir "$folder" -o "$T/$name.exe" --allow-missing-setup 2>"$T/$name.err" ||
    fail "packing $name failed: $(cat "$T/$name.err")"
  WINE_TIMEOUT=300 run_setup "$T/$name.exe" /x "$(winpath "$T/out-$name")" /q
  expect_exit 0
  same_tree "$folder" "$T/out-$name"
  echo "$name: $(stat -c %s "$T/$name.exe") bytes, extracted the same"
done

# Every extracted time is the clamped one; the read-only file stays read-only.
newer="$(find "$T/out-mixed" -mindepth 1 -newermt "@$((SOURCE_DATE_EPOCH + 1))" | head -n 3)"
[ -z "$newer" ] || fail "times later than SOURCE_DATE_EPOCH extracted: $newer"
[ "$(stat -c %A "$T/out-mixed/docs/read me.txt" | cut -c3)" = - ] ||
  fail "the read-only file came back writable: $(stat -c %A "$T/out-mixed/docs/read me.txt")"

# The password from a file; the stub asks for it.
printf 'Pass phrase 1\n' >"$T/pw"
pack --config "$T/config.ini" --dir "$T/small" --password-file "$T/pw" -o "$T/locked.exe" --allow-missing-setup 2>"$T/locked.err" ||
  fail "packing with a password failed: $(cat "$T/locked.err")"
(
  (probe_window "Setup Self-Extractor" 60) || exit 1
  click_control 1009
  xdotool type --delay 50 'Pass phrase 1'
  click_control 1
) &
user=$!
run_setup "$T/locked.exe" /q /x "$(winpath "$T/out-locked")"
wait "$user" || fail "no password prompt"
expect_exit 0
same_tree "$T/small" "$T/out-locked"
echo "extract ok"
