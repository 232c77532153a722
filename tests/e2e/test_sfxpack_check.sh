#!/usr/bin/env bash
# The configuration check and the output guards through the command line:
# each case the stub would only fail on the customer's machine (or silently
# misread) ends with a line naming it, the exit code of its class, no output
# file and the inputs untouched; --allow CODE accepts that finding and no
# other; what may be intended is a warning, an error with --strict.
# Also: an interrupted build leaves nothing, --version and COMMAND --help.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg/product" "$T/out" "$T/tmp"
printf 'MZ' >"$T/pkg/setup.exe"
printf 'x' >"$T/pkg/product/pkg.msi"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/good.ini"
(cd "$T/pkg" && 7zz a -t7z -bd -y "$T/pkg.7z" setup.exe product >/dev/null) || fail "cannot make the archive"
out="$T/out/setup.exe"
export TMPDIR="$T/tmp"

inputs_sum() {
  find "$T/pkg" "$T" -maxdepth 1 -type f \( -name '*.ini' -o -name '*.7z' \) -print0 | sort -z | xargs -0 cat |
    cat - "$STUB" "$T/pkg/setup.exe" "$T/pkg/product/pkg.msi" | sha256sum
}
BEFORE="$(inputs_sum)"

# $1: expected exit code, $2: text stderr must contain; the rest: sfxpack arguments.
refused() {
  local code="$1" needle="$2" rc=0
  shift 2
  "$SFXPACK" "$@" >"$T/stdout" 2>"$T/stderr" || rc=$?
  [ "$rc" -eq "$code" ] || fail "sfxpack $* exited $rc, not $code: $(cat "$T/stderr")"
  grep -qF -- "$needle" "$T/stderr" || fail "sfxpack $*: no '$needle' in: $(cat "$T/stderr")"
  tail -n 1 "$T/stderr" | grep -q '^sfxpack: error: ' || fail "last line is no error: $(cat "$T/stderr")"
  [ -z "$(ls -A "$T/out")" ] || fail "sfxpack $*: left in the output folder: $(ls -A "$T/out")"
  [ -z "$(ls -A "$T/tmp")" ] || fail "sfxpack $*: left in the temporary folder: $(ls -A "$T/tmp")"
  [ "$(inputs_sum)" = "$BEFORE" ] || fail "sfxpack $* changed an input"
  echo "ok ($rc): $(grep -F -- "$needle" "$T/stderr" | head -n 1)"
}

# check --json on $T/c.ini: exit code $1, and a diagnostic $2 on line $3 of it.
json_finding() {
  local rc=0
  "$SFXPACK" check --json --config "$T/c.ini" --dir "$T/pkg" >"$T/check.json" 2>/dev/null || rc=$?
  [ "$rc" -eq "$1" ] && [ "$(json_get "$T/check.json" exit_code)" = "$1" ] ||
    fail "check --json exited $rc, not $1: $(cat "$T/check.json")"
  python3 - "$T/check.json" "$2" "$3" "$T/c.ini" <<'PY' || fail "no $2 on line $3: $(cat "$T/check.json")"
import json, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
sys.exit(0 if any(x["code"] == sys.argv[2] and x["line"] == int(sys.argv[3]) and x["file"] == sys.argv[4]
                  for x in d["diagnostics"]) else 1)
PY
}

# Writes $T/c.ini from printf-style text.
config() { printf "$1" >"$T/c.ini"; BEFORE="$(inputs_sum)"; }

build=(build --stub "$STUB" --config "$T/c.ini" -o "$out")

# Errors: the setup program the stub would start is not in the package, or
# is a name the stub refuses.
config '[main]\nSetupFileName=install.exe\n'
refused 4 "c.ini':2: error: SetupFileName 'install.exe'" "${build[@]}" --dir "$T/pkg"
json_finding 4 setup.missing 2
refused 4 "'install.exe'" "${build[@]}" --archive "$T/pkg.7z"
refused 4 "'install.exe'" check --config "$T/c.ini" --dir "$T/pkg"
config '[main]\nSetupFileName=setup.exe\nSetupFileName64=setup64.exe\n'
refused 4 "SetupFileName64 'setup64.exe'" "${build[@]}" --dir "$T/pkg"
config '[main]\n[LANG_de-DE]\nProductName=P\nSetupFileName=setup_de.exe\n'
refused 4 "(for [LANG_de-DE])" "${build[@]}" --dir "$T/pkg"
config '[main]\nSetupFileName=..\\setup.exe\n'
refused 3 "not a plain relative name" "${build[@]}" --dir "$T/pkg"
json_finding 3 setup.unsafe-name 2

# Found where the stub looks: under product\, and without regard to case.
config '[main]\nSetupFileName=PKG.MSI\n'
"$SFXPACK" check --strict --config "$T/c.ini" --dir "$T/pkg" >/dev/null || fail "product\\pkg.msi not found"
"$SFXPACK" check --strict --config "$T/c.ini" --archive "$T/pkg.7z" >/dev/null || fail "product\\pkg.msi not found in the archive"

# Errors of the configuration: refused with their code and line; with
# --allow CODE the build goes on and names it as a warning.
while IFS='|' read -r text needle code line; do
  config "$text"
  refused 3 "$needle" "${build[@]}" --dir "$T/pkg"
  refused 3 "$needle" check --config "$T/c.ini" --archive "$T/pkg.7z"
  json_finding 3 "$code" "$line"
  "$SFXPACK" "${build[@]}" --dir "$T/pkg" --allow "$code" 2>"$T/stderr" || fail "--allow $code failed: $(cat "$T/stderr")"
  grep -qF -- "warning: " "$T/stderr" && grep -qF -- "$needle" "$T/stderr" || fail "no warning '$needle': $(cat "$T/stderr")"
  "$SFXPACK" verify "$out" >/dev/null 2>&1 && fail "verify passed $code without --allow"
  "$SFXPACK" verify "$out" --allow "$code" >/dev/null || fail "verify --allow $code failed"
  rm -f "$out"
done <<'CASES'
[main]\nProductNmae=Demo\n|did you mean 'ProductName'|config.unknown-key|2
[Mian]\nProductName=Demo\n|did you mean [main]|config.unknown-section|1
[main]\nSfxProgressVisible=yes\n|reads it as 0|config.not-a-number|2
[main]\nSetupShow=hidden\n|reads it as 0|config.not-a-number|2
[LANG_german]\nProductName=Deutsch\n|'german'|config.unknown-culture|1
[main]\nProductName=P\n[LANG_fr-FR]\n|not offered|config.empty-section|3
[main]\nSetupFileName=product\\pkg.msi\n  ;note=1\n|first column|config.unknown-key|3
[main]\nSetupParams=/quiet  ; silent\n|holds a ';'|config.semicolon-in-value|2
[main]\nSetupFileName64=setup.exe\n[LANG_de-DE]\nSetupFileName=product\\pkg.msi\n|SetupFileName64 'setup.exe' (line 2) wins|setup.split-by-bitness|4
CASES

# --allow accepts the finding it names and no other.
config '[main]\nProductNmae=Demo\nSetupShow=hidden\n'
refused 3 "reads it as 0" "${build[@]}" --dir "$T/pkg" --allow config.unknown-key
refused 2 "--allow takes one of" "${build[@]}" --dir "$T/pkg" --allow config.unknown-keys
# No configuration, or none the stub reads as UTF-8: named, and not to be allowed.
config '; nothing but a comment\n'
refused 3 "sets no key" "${build[@]}" --dir "$T/pkg"
while IFS='|' read -r text needle; do
  config "$text"
  refused 3 "$needle" "${build[@]}" --dir "$T/pkg"
  refused 3 "$needle" check --config "$T/c.ini" --dir "$T/pkg"
done <<'CASES'
[\0m\0a\0i\0n\0]\0\n\0|is UTF-16 little-endian (without a byte-order mark)
\377\376[\0m\0a\0i\0n\0]\0\n\0|is UTF-16 little-endian (with a byte-order mark)
\0[\0m\0a\0i\0n\0]\0\n|is UTF-16 big-endian (without a byte-order mark)
\357\273\277[main]\nSetupFileName=setup.exe\n|byte-order mark
CASES

# What may be intended is a warning: the build goes on and says so; --strict refuses.
config '[main]\nSetupShow=1\nSetupShow=0\n'
"$SFXPACK" "${build[@]}" --dir "$T/pkg" 2>"$T/stderr" || fail "warning case failed: $(cat "$T/stderr")"
grep -qF -- "warning: " "$T/stderr" && grep -qF -- "again on line 3" "$T/stderr" || fail "no warning: $(cat "$T/stderr")"
rm -f "$out"
refused 3 "again on line 3" "${build[@]}" --dir "$T/pkg" --strict
json_finding 0 config.duplicate-key 2

# A configuration so large that the archive would start beyond 4 MiB:
# build --json names the layout rule and writes nothing.
python3 -c 'print("[main]\nSetupFileName=setup.exe"); [print(";" + "x" * 1000) for _ in range(4300)]' >"$T/c.ini"
BEFORE="$(inputs_sum)"
refused 1 "first 4 MiB" "${build[@]}" --dir "$T/pkg" --json
[ "$(json_get "$T/stdout" diagnostics.0.code) $(json_get "$T/stdout" exit_code)" = "layout.archive-too-far 1" ] ||
  fail "build --json: $(head -c 2000 "$T/stdout")"

# -o onto an input, or into the packed folder: refused, input untouched.
config '[main]\nSetupFileName=setup.exe\n'
cp "$STUB" "$T/stub.exe"
BEFORE="$(inputs_sum)"
refused 1 "is the stub" build --stub "$T/stub.exe" --config "$T/good.ini" --dir "$T/pkg" -o "$T/stub.exe"
cmp -s "$STUB" "$T/stub.exe" || fail "the stub changed"
refused 1 "is the configuration" build --stub "$STUB" --config "$T/good.ini" --dir "$T/pkg" -o "$T/good.ini"
refused 1 "is the configuration" build --stub "$STUB" --config "$T/good.ini" --dir "$T/pkg" -o "$T/./good.ini"
refused 1 "is the archive" build --stub "$STUB" --config "$T/good.ini" --archive "$T/pkg.7z" -o "$T/pkg.7z"
ln -sf "$T/pkg.7z" "$T/link.7z"
refused 1 "is the archive" build --stub "$STUB" --config "$T/good.ini" --archive "$T/pkg.7z" -o "$T/link.7z"
printf 'pw\n' >"$T/pw.ini"
BEFORE="$(inputs_sum)"
refused 1 "is the password file" build --stub "$STUB" --config "$T/good.ini" --dir "$T/pkg" --password-file "$T/pw.ini" -o "$T/pw.ini"
refused 1 "inside the folder" build --stub "$STUB" --config "$T/good.ini" --dir "$T/pkg" -o "$T/pkg/product/setup.exe"
[ ! -e "$T/pkg/product/setup.exe" ] || fail "output written into the packed folder"

# A missing output folder is found before anything is packed: a folder whose
# packing would be refused (a name Windows cannot hold) gets that far only
# when the output folder exists.
mkdir -p "$T/unsafe"
printf 'MZ' >"$T/unsafe/setup.exe"
printf 'x' >"$T/unsafe/a:b.txt"
refused 1 "does not exist" build --stub "$STUB" --config "$T/good.ini" --dir "$T/unsafe" -o "$T/no/such/setup.exe"
rc=0
"$SFXPACK" build --stub "$STUB" --config "$T/good.ini" --dir "$T/unsafe" -o "$out" 2>"$T/stderr" || rc=$?
[ "$rc" -ne 0 ] && ! grep -q 'does not exist' "$T/stderr" || fail "the unsafe folder was not refused: $(cat "$T/stderr")"
[ -z "$(ls -A "$T/out")" ] || fail "left in the output folder: $(ls -A "$T/out")"

# build --json gives each kind of refusal its code, last, with the exit code.
printf '[main]\nSetupFileName=absent.exe\n' >"$T/absent.ini"
while IFS='|' read -r code want args; do
  eval "set -- $args"
  rc=0
  "$SFXPACK" build --json "$@" >"$T/stdout" 2>/dev/null || rc=$?
  [ "$rc" -eq "$want" ] && [ "$(json_get "$T/stdout" exit_code)" = "$want" ] ||
    fail "build --json $args exited $rc: $(cat "$T/stdout")"
  got="$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["diagnostics"][-1]["code"])' "$T/stdout")"
  [ "$got" = "$code" ] || fail "build --json $args: code $got, not $code"
  [ -z "$(ls -A "$T/out")" ] || fail "left in the output folder: $(ls -A "$T/out")"
done <<'CASES'
output.is-input|1|--stub "$STUB" --config "$T/good.ini" --dir "$T/pkg" -o "$T/good.ini"
output.unwritable|1|--stub "$STUB" --config "$T/good.ini" --dir "$T/pkg" -o "$T/no/such/setup.exe"
folder.unsafe-entry|1|--stub "$STUB" --config "$T/good.ini" --dir "$T/unsafe" -o "$out"
folder.unusable|1|--stub "$STUB" --config "$T/good.ini" --dir "$T/no-such-folder" -o "$out"
input.unreadable|1|--stub "$STUB" --config "$T/no-such.ini" --dir "$T/pkg" -o "$out"
stub.refused|1|--stub "$T/good.ini" --config "$T/good.ini" --dir "$T/pkg" -o "$out"
archive.not-7z|1|--stub "$STUB" --config "$T/good.ini" --archive "$T/good.ini" -o "$out"
setup.missing|4|--stub "$STUB" --config "$T/absent.ini" --dir "$T/pkg" -o "$out"
usage|2|--stub "$STUB" --config "$T/good.ini" --dir "$T/pkg" --no-such-option -o "$out"
CASES

# The complete example configuration passes the strictest check.
mkdir -p "$T/demo"
cp -r "$SFX_SOURCE/demo/package/." "$T/demo/"
printf 'MZ' >"$T/demo/probe.exe"
"$SFXPACK" check --strict --config "$SFX_SOURCE/demo/config-complete.ini" --dir "$T/demo" ||
  fail "demo/config-complete.ini does not pass the check"

# SIGTERM in the middle of packing a large folder: nothing is left behind.
mkdir -p "$T/big"
printf 'MZ' >"$T/big/setup.exe"
head -c 48000000 /dev/urandom >"$T/big/data.bin"
"$SFXPACK" build --stub "$STUB" --config "$T/good.ini" --dir "$T/big" -o "$out" 2>"$T/stderr" &
pid=$!
for _ in $(seq 100); do
  [ -n "$(ls -A "$T/out")" ] && break
  sleep 0.1
done
[ -n "$(ls -A "$T/out")" ] || fail "the build wrote nothing beside the output"
[ -z "$(ls -A "$T/tmp")" ] || fail "the build staged something in TMPDIR: $(ls -A "$T/tmp")"
sleep 0.5
kill -TERM "$pid"
rc=0
wait "$pid" || rc=$?
[ "$rc" -eq 143 ] || fail "the build ended with $rc, not by SIGTERM (143)"
[ -z "$(ls -A "$T/out")" ] || fail "left in the output folder after SIGTERM: $(ls -A "$T/out")"
[ -z "$(ls -A "$T/tmp")" ] || fail "left in the temporary folder after SIGTERM: $(ls -A "$T/tmp")"
echo "ok: SIGTERM left nothing"

# Everyday conventions.
"$SFXPACK" --version | grep -q '^sfxpack .*7-Zip archive library [0-9]' || fail "--version names no library version"
for command in build check inspect verify; do
  "$SFXPACK" "$command" --help >"$T/help" || fail "$command --help failed"
  grep -q "^sfxpack $command" "$T/help" && grep -q '^exit codes:' "$T/help" || fail "$command --help: $(head -n 3 "$T/help")"
done
echo "check ok"
