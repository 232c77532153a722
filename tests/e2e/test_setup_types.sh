#!/usr/bin/env bash
# Which setup programs an elevated run starts (Wine reports every process
# elevated): an .exe by its full path, also when the configuration names it
# with a trailing dot as "setup.exe."; a .cmd through the system's cmd.exe,
# its exit code passed on; anything else (a .vbs) would start through file
# associations the user can override and is refused with 0x20001005.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'report=%s\nexit=0x1234\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
printf '@echo %%*> "%s"\r\n@exit /b 7\r\n' "$(winpath "$T")\\report.txt" >"$T/pkg/install.cmd"
printf 'WScript.Quit 3\r\n' >"$T/pkg/setup.vbs"

cases=(
  # setup file   exit        what the report must hold
  "setup.exe.    0x1234      exe=*\\setup.exe"
  "install.cmd   7           /from-config /q"
  "setup.vbs     0x20001005  -"
)
for row in "${cases[@]}"; do
  read -r name want expected <<<"$row"
  printf '[main]\nSetupFileName=%s\nSetupParams=/from-config\n' "$name" >"$T/config.ini"
  # sfxpack refuses the .vbs too; allowed here to show that the stub does.
  pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" --allow-missing-setup \
    --allow setup.not-exe-or-msi >/dev/null 2>&1 || fail "$name: packing failed"
  rm -f "$T/report.txt"
  run_setup "$T/setup.exe" /q
  [ "$RUN_EXIT" = "$((want))" ] || fail "$name: exit $RUN_EXIT, expected $((want))"
  if [ "$expected" = - ]; then
    [ ! -f "$T/report.txt" ] || fail "$name: something ran: $(cat "$T/report.txt")"
  else
    [ -f "$T/report.txt" ] || fail "$name: nothing ran"
    # shellcheck disable=SC2053
    grep -q -x -F -- "$expected" <(tr -d '\r' <"$T/report.txt" | sed 's/ *$//') ||
      [[ "$(grep -a '^exe=' "$T/report.txt" | tr -d '\r')" == $expected ]] ||
      fail "$name: report does not hold '$expected': $(cat "$T/report.txt")"
  fi
  assert_no_working_folder_left
done
echo "ok"
