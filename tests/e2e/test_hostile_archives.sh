#!/usr/bin/env bash
# Archives made to write outside the working folder: names with "..", leading
# separators, drive letters and \\?\ prefixes, an alternate data stream name,
# symbolic links pointing out (written by make_7z.py, which takes names
# verbatim, and by 7zz with absolute paths and links kept). Extracted under
# Wine, nothing lands outside the target; the items are renamed into it.
source "$(dirname "$0")/lib.sh"

outside="$T/outside"
mkdir -p "$outside" "$T/src"
out_win="$(winpath "$outside")"          # Z:\...\outside
out_nodrive="${out_win#?:}"              # \...\outside
echo hostile >"$T/src/x.txt"
cp "$PROBE" "$T/src/setup.exe"
printf 'exit=7\n' >"$T/src/probe.ini"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"

names=(
  '../escape1.txt' '..\escape2.txt' 'sub/../../escape3.txt' 'sub\..\..\..\escape4.txt'
  "$out_nodrive\\abs5.txt" "$out_win\\abs6.txt" 'Z:abs7.txt' "\\\\?\\$out_win\\abs8.txt"
  "//?/${out_win//\\//}/abs9.txt" 'a.txt:evil' 'CON' 'trail. '
)
specs=("setup.exe=$T/src/setup.exe" "probe.ini=$T/src/probe.ini")
for n in "${names[@]}"; do specs+=("$n=$T/src/x.txt"); done
# A symbolic link to the outside folder (Unix and Windows forms of the target).
printf '%s' "$out_win" >"$T/src/target.txt"
specs+=("link@A1FF8020=$T/src/target.txt")
python3 "$SFX_SOURCE/tests/e2e/make_7z.py" "$T/names.7z" "${specs[@]}"

# 7zz's own archive of absolute paths with a directory symlink pointing out.
mkdir -p "$T/tree"
cp "$T/src/setup.exe" "$T/src/probe.ini" "$T/tree/"
ln -s "$outside" "$T/tree/dirlink"
(cd "$T/tree" && 7zz a -spf -snl "$T/abs.7z" "$T/tree/setup.exe" "$T/tree/probe.ini" "$T/tree/dirlink" >/dev/null)

# Everything that exists outside the extraction target, before and after.
snapshot() {
  {
    find "$T" -path "$T/x-*" -prune -o ! -name "run.out" ! -name "run.err" -print
    find / -maxdepth 1 -name '*.txt'
    find "$WINEPREFIX/drive_c" -maxdepth 1
  } 2>/dev/null | sort
}

for archive in names abs; do
  pack --config "$T/config.ini" --archive "$T/$archive.7z" -o "$T/$archive.exe" --allow-missing-setup >/dev/null
  before="$(snapshot)"
  target="$T/x-$archive"
  run_setup "$T/$archive.exe" /q /x "$(winpath "$target")"
  after="$(snapshot | grep -v "^$T/$archive.exe\$" || true)"
  new="$(comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after") | sed '/^$/d')"
  [ -z "$new" ] || fail "$archive: written outside the target: $new"
  [ -z "$(ls -A "$outside")" ] || fail "$archive: the outside folder got: $(ls -A "$outside")"
  echo "$archive: exit $RUN_EXIT, extracted:"
  (cd "$target" && find . -mindepth 1 | sort | sed 's/^/  /')
  # No link was made: every item is a plain file or folder below the target.
  [ -z "$(find "$target" -type l)" ] || fail "$archive: a link was created: $(find "$target" -type l)"
done

# The name archive extracted completely, every item renamed into the target:
# ".." and leading separators dropped, a backslash (no separator in 7z names)
# kept as a look-alike character, ":" replaced.
run_setup "$T/names.exe" /q /x "$(winpath "$T/x-again")"
expect_exit 0
[ -f "$T/x-names/escape1.txt" ] || fail "names: ../escape1.txt not extracted as escape1.txt"
[ -f "$T/x-names/sub/escape3.txt" ] || fail "names: sub/../../escape3.txt not extracted below sub"
for n in escape2.txt escape4.txt abs5.txt abs6.txt abs8.txt abs9.txt; do
  [ -n "$(find "$T/x-names" -name "*$n")" ] || fail "names: $n not extracted below the target"
done
[ -n "$(find "$T/x-names" -name 'Z_abs7.txt')" ] || fail "names: the drive-relative name was not made harmless"
[ -f "$T/x-names/a.txt_evil" ] || fail "names: the stream name was not made a plain file name"
[ -f "$T/x-names/link" ] || fail "names: the link item is not a plain file"

# A normal run of the hostile archive: the setup program runs, the working
# folder goes away, nothing lands outside.
before="$(snapshot)"
run_setup "$T/names.exe" /q
expect_exit 7
assert_no_working_folder_left
after="$(snapshot)"
new="$(comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after") | sed '/^$/d')"
[ -z "$new" ] || fail "normal run wrote outside the working folder: $new"
echo "hostile archives ok"
