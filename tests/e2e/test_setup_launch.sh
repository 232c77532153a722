#!/usr/bin/env bash
# The setup program (the probe) receives SetupParams, then the self-extractor's
# own arguments exactly as typed; it runs in the working folder with the
# package's files beside it; the self-extractor exits with its exit code,
# whatever its size; and the working folder is gone afterwards.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg/sub"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'report=%s\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
echo data >"$T/pkg/sub/data.txt"
printf '[main]\nSetupParams=/sp "a b"  X=1\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" >/dev/null

report() {  # the value of one report line
  sed -n "s/^$1=//p" "$T/report.txt" | head -n 1
}

check_run() {  # $1: the expected parameters after the program
  [ -f "$T/report.txt" ] || fail "the setup program did not run"
  local cmdline cwd exe
  cmdline="$(report commandline)"
  exe="$(report exe)"
  cwd="$(report cwd)"
  case "$exe" in
    *\\setup.exe) ;;
    *) fail "unexpected program: $exe" ;;
  esac
  # The program runs in the folder it was extracted to, a new ktv* folder in
  # the Windows temp folder (an elevated run never uses %TEMP%).
  [ "${cwd%\\}" = "${exe%\\setup.exe}" ] || fail "working directory $cwd, program $exe"
  case "$(basename "$(winepath -u "$cwd" 2>/dev/null)")" in
    ktv????????) ;;
    *) fail "not a working folder: $cwd" ;;
  esac
  [ "$(winepath -u "$cwd" | xargs dirname)" -ef "$(wine_working_parent)" ] || fail "$cwd is not in the Windows temp folder"
  grep -qx 'file=sub\\data.txt' "$T/report.txt" || fail "the package's files are not beside the program"
  grep -qx 'file=probe.ini' "$T/report.txt" || fail "probe.ini is not beside the program"
  # Whatever quoting the shell put around the program, the parameters follow verbatim.
  case "$cmdline" in
    *" $1") ;;
    *) fail "command line [$cmdline] does not end with [ $1]" ;;
  esac
  [ ! -e "$(winepath -u "$cwd")" ] || fail "the working folder $cwd still exists"
  assert_no_working_folder_left
  rm -f "$T/report.txt"
}

# Quiet, with arguments the stub itself understands: they go on too.
run_setup_raw "$T/setup.exe" ' /q  /l en-US "x y"'
expect_exit 0
check_run '/sp "a b"  X=1 /q  /l en-US "x y"'

# No arguments: SetupParams alone.
SFX_PROBE_EXIT=1 run_setup_raw "$T/setup.exe" ''
expect_exit 1
check_run '/sp "a b"  X=1'

# The exit code passes through unchanged, including values above 0x7FFFFFFF.
for code in 0 3010 0x80070643 0xFFFFFFFF; do
  SFX_PROBE_EXIT=$code run_setup_raw "$T/setup.exe" ' /q'
  expect_exit "$code"
  check_run '/sp "a b"  X=1 /q'
done
echo "setup launch ok"
