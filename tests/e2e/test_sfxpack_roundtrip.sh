#!/usr/bin/env bash
# sfxpack build + inspect + verify with the real stub: the configuration
# reads back as written, the archive sits where inspect says and holds the
# folder, the size check passes, and the same inputs give the same file.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg/sub"
cp "$PROBE" "$T/pkg/probe.exe"
printf 'hello\n' >"$T/pkg/sub/readme.txt"
printf '[main]\r\nSetupFileName=probe.exe\r\nProductName=Caf\xc3\xa9 \xe2\x98\x95\r\n[LANG_de-DE]\r\nStartSetup=Los geht\xe2\x80\x99s\r\n' >"$T/config.ini"

# Without --stub, sfxpack takes sfxstub.exe from its own folder.
"$SFXPACK" build --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" 2>"$T/build.err" ||
  fail "build failed: $(cat "$T/build.err")"
grep -q "^sfxpack: wrote" "$T/build.err" || fail "no summary line"

"$SFXPACK" inspect "$T/setup.exe" >"$T/inspect.txt" || fail "inspect failed: $(cat "$T/inspect.txt")"
cat "$T/inspect.txt"
sed -n '/^configuration text:$/,$p' "$T/inspect.txt" | tail -n +2 >"$T/config.back"
cmp <(tr -d '\r' <"$T/config.ini") <(tr -d '\r' <"$T/config.back") || fail "configuration text differs"

stub_size="$(stat -c %s "$STUB")"
grep -q "^configuration block: offset $stub_size," "$T/inspect.txt" || fail "block not right after the stub"
offset="$(sed -n 's/^archive: *offset \([0-9]*\)$/\1/p' "$T/inspect.txt")"
[ -n "$offset" ] || fail "no archive offset"
[ "$offset" -lt 4194304 ] || fail "archive beyond 4 MiB"
size="$(stat -c %s "$T/setup.exe")"
grep -q "^recorded size: *$size " "$T/inspect.txt" || fail "_KTV_VERIFY does not hold $size"
"$SFXPACK" verify "$T/setup.exe" >/dev/null || fail "verify refuses a fresh file"

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
echo "round trip ok"
