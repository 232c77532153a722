#!/usr/bin/env bash
# The same package folder checked out twice, on different days and with
# different permission bits, gives identical setup files once
# SOURCE_DATE_EPOCH (or --mtime) is set, with and without a password;
# without it the file times show, and --random-iv draws new IVs.
source "$(dirname "$0")/lib.sh"

"$SFX_SOURCE/scripts/make-mixed-folder.sh" "$T/one" 2 >/dev/null
cp -r "$T/one" "$T/two"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
printf 'correct horse\n' >"$T/pw"
# The first copy "checked out" last week, the second today with another umask.
find "$T/one" -exec touch -d '2026-12-01 09:00' {} +
find "$T/two" -exec touch -d '2026-12-08 17:30' {} +
find "$T/two" -type f -exec chmod 0664 {} +
chmod 0775 "$T/two/bin"
epoch=1764547200  # 2025-12-01, older than both checkouts

build() {  # $1: output name; $2: folder; the rest: extra arguments
  local name="$1" dir="$2"
  shift 2
  pack --config "$T/config.ini" --dir "$T/$dir" -o "$T/$name.exe" --allow-missing-setup "$@" 2>"$T/$name.err" ||
    fail "build $name failed: $(cat "$T/$name.err")"
}
same() { cmp -s "$T/$1.exe" "$T/$2.exe" || fail "$1 and $2 differ: $(cmp "$T/$1.exe" "$T/$2.exe")"; }
differ() { cmp -s "$T/$1.exe" "$T/$2.exe" && fail "$1 and $2 are identical"; return 0; }

SOURCE_DATE_EPOCH=$epoch build plain1 one
SOURCE_DATE_EPOCH=$epoch build plain2 two
same plain1 plain2
build mtime2 two --mtime "$epoch"
same plain1 mtime2

SOURCE_DATE_EPOCH=$epoch build pw1 one --password-file "$T/pw"
SOURCE_DATE_EPOCH=$epoch SFXPACK_PASSWORD='correct horse' build pw2 two
same pw1 pw2
differ plain1 pw1
7zz t -p'correct horse' "$T/pw1.exe" >/dev/null || fail "the password build does not test ok"
grep -q '^Encrypted = +' <<<"$(7zz l -slt "$T/pw1.exe")" || fail "the password build is not encrypted"

# Without a limit the checkout times are stored; a random IV is random.
build free1 one
build free2 two
differ free1 free2
SOURCE_DATE_EPOCH=$epoch build random1 one --password-file "$T/pw" --random-iv
SOURCE_DATE_EPOCH=$epoch build random2 one --password-file "$T/pw" --random-iv
differ random1 random2
differ random1 pw1

# Stored: the clamped time, and no Unix mode bits (attributes A or D only).
listing="$(7zz l -slt "$T/plain1.exe")"
grep '^Modified = ' <<<"$listing" | grep -v '^Modified = 2025-12-01 00:00:00' &&
  fail "a time other than SOURCE_DATE_EPOCH was stored"
grep '^Attributes = ' <<<"$listing" | grep -vE '^Attributes = [AD]$' &&
  fail "Unix mode bits were stored"
echo "reproducible ok"
