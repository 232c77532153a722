#!/usr/bin/env bash
# sfxpack build + inspect + verify with the real stub: the configuration
# reads back as written, the archive sits where inspect says and holds the
# folder, the size check passes, and the same inputs give the same file.
# Their --json reports agree with the file and with each other, and report
# the execution level --execution-level chose.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg/sub"
cp "$PROBE" "$T/pkg/probe.exe"
printf 'hello\n' >"$T/pkg/sub/readme.txt"
printf '[main]\r\nSetupFileName=probe.exe\r\nProductName=Caf\xc3\xa9 \xe2\x98\x95\r\n[LANG_de-DE]\r\nStartSetup=Los geht\xe2\x80\x99s\r\n' >"$T/config.ini"

# Without --stub, sfxpack takes sfxstub.exe from its own folder.
"$SFXPACK" build --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" 2>"$T/build.err" ||
  fail "build failed: $(cat "$T/build.err")"
grep -q "^sfxpack: wrote" "$T/build.err" || fail "no summary line"

"$SFXPACK" inspect "$T/setup.exe" || fail "inspect failed"
"$SFXPACK" inspect --json "$T/setup.exe" >"$T/inspect.json" || fail "inspect --json failed"
get() { json_get "$T/inspect.json" "$1"; }
get configuration.text >"$T/config.back"
cmp "$T/config.ini" "$T/config.back" || fail "configuration text differs"

stub_size="$(stat -c %s "$STUB")"
size="$(stat -c %s "$T/setup.exe")"
[ "$(get block.offset)" = "$stub_size" ] && [ "$(get stub.size)" = "$stub_size" ] || fail "block not right after the stub"
offset="$(get archive.offset)"
[ "$offset" = $(($(get block.offset) + $(get block.size))) ] || fail "archive not right after the block"
[ "$offset" -lt 4194304 ] || fail "archive beyond 4 MiB"
[ $((offset + $(get archive.size))) = "$size" ] && [ "$(get file.size)" = "$size" ] || fail "archive does not end the file"
[ "$(get recorded_size.value)" = "$size" ] || fail "_KTV_VERIFY does not hold $size"
[ "$(get size_check.passes) $(get size_check.source) $(get size_check.expected)" = "true resource $size" ] ||
  fail "size check: $(get size_check)"
[ "$(get file.sha256)" = "$(sha256sum "$T/setup.exe" | cut -d' ' -f1)" ] || fail "wrong SHA-256"
[ "$(get archive.items) $(get archive.unpacked_size) $(get archive.methods.0)" = \
  "3 $(($(stat -c %s "$PROBE") + 6)) LZMA2" ] || fail "archive facts: $(get archive)"
[ "$(get ok) $(get exit_code) $(get diagnostics)" = "true 0 []" ] || fail "inspect reports problems"
# The values the stub uses: German takes StartSetup from its section and the rest from [main].
[ "$(get configuration.effective.0.values.ProductName.value)" = "Café ☕" ] || fail "main ProductName"
[ "$(get configuration.effective.1.culture)" = de-DE ] || fail "no de-DE entry"
[ "$(get configuration.effective.1.values.StartSetup.value)" = "Los geht’s" ] &&
  [ "$(get configuration.effective.1.values.StartSetup.line)" = 5 ] || fail "de-DE StartSetup"
[ "$(get configuration.effective.1.values.SetupFileName.from)" = main ] &&
  [ "$(get configuration.effective.1.values.SetupFileName.value)" = probe.exe ] || fail "de-DE SetupFileName"
[ "$(get configuration.effective.1.values.SetupShow.value)" = 1 ] &&
  [ "$(get configuration.effective.1.values.SetupShow.from)" = null ] || fail "default SetupShow"

"$SFXPACK" verify "$T/setup.exe" >/dev/null || fail "verify refuses a fresh file"
"$SFXPACK" verify --json "$T/setup.exe" >"$T/verify.json" || fail "verify --json refuses a fresh file"
[ "$(json_get "$T/verify.json" ok) $(json_get "$T/verify.json" archive.offset) $(json_get "$T/verify.json" archive.items)" = \
  "true $offset 3" ] && [ "$(json_get "$T/verify.json" archive.crc_checked)" = true ] || fail "verify: $(cat "$T/verify.json")"

# build --json: one document on stdout with the same facts.
"$SFXPACK" build --json --config "$T/config.ini" --dir "$T/pkg" -o "$T/json.exe" >"$T/build.json" 2>"$T/build.err" ||
  fail "build --json failed: $(cat "$T/build.err")"
cmp -s "$T/setup.exe" "$T/json.exe" || fail "build --json wrote other bytes"
[ "$(json_get "$T/build.json" command) $(json_get "$T/build.json" ok)" = "build true" ] || fail "build document"
[ "$(json_get "$T/build.json" file.sha256)" = "$(get file.sha256)" ] &&
  [ "$(json_get "$T/build.json" archive.offset)" = "$offset" ] || fail "build and inspect disagree"
[ "$(json_get "$T/build.json" stub.path)" -ef "$STUB" ] &&
  [ "$(json_get "$T/build.json" stub.version.file_version)" = "$(get stub.version.file_version)" ] || fail "stub facts"

# The archive part is a complete 7z archive of the folder.
tail -c +"$((offset + 1))" "$T/setup.exe" >"$T/part.7z"
7zz t "$T/part.7z" >/dev/null || fail "the embedded archive does not test ok"
listing="$(7zz l -slt "$T/part.7z" | sed -n 's/^Path = //p' | sort)"
[ "$listing" = "$(printf '%s\n' "$T/part.7z" probe.exe sub sub/readme.txt | sort)" ] ||
  fail "unexpected archive contents: $listing"

# Same inputs, same bytes; a random IV changes only the IV.
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/again.exe" 2>/dev/null
cmp -s "$T/setup.exe" "$T/again.exe" || fail "packing twice gave different files"
pack --config "$T/config.ini" --dir "$T/pkg" --random-iv -o "$T/random.exe" 2>/dev/null
[ "$(cmp -l "$T/setup.exe" "$T/random.exe" | wc -l)" -gt 0 ] || fail "--random-iv changed nothing"
"$SFXPACK" verify "$T/random.exe" >/dev/null || fail "verify refuses the --random-iv file"

# The rights the file asks for: the stub's by default, a per-user package's
# with --execution-level user, as inspect reports them.
for level in default:requireAdministrator highest:highestAvailable user:asInvoker; do
  option=(); [ "${level%%:*}" = default ] || option=(--execution-level "${level%%:*}")
  pack --config "$T/config.ini" --dir "$T/pkg" "${option[@]}" -o "$T/level.exe" 2>/dev/null
  "$SFXPACK" inspect --json "$T/level.exe" >"$T/level.json"
  [ "$(json_get "$T/level.json" branding.execution_level)" = "${level#*:}" ] ||
    fail "${level%%:*}: execution level $(json_get "$T/level.json" branding.execution_level)"
done
echo "round trip ok"
