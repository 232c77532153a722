#!/usr/bin/env bash
# On a window station that is not visible (a service's, or a deployment
# tool's SYSTEM process in session 0) nobody can answer a window: the run
# behaves as quiet, and a prompt it cannot do without (the password of an
# encrypted archive) ends it as cancelled (1602) instead of waiting for ever,
# with /q and without. A package that needs no prompt installs as usual.
source "$(dirname "$0")/lib.sh"

mkdir -p "$T/pkg"
cp "$PROBE" "$T/pkg/setup.exe"
printf 'report=%s\nexit=0x1234\n' "$(winpath "$T")\\report.txt" >"$T/pkg/probe.ini"
printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/plain.exe" >/dev/null
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/locked.exe" --password secret >/dev/null

cases=(
  # package    arguments  exit    setup program runs
  "plain.exe   -          0x1234  yes"
  "locked.exe  -          1602    no"
  "locked.exe  /q         1602    no"
)
for row in "${cases[@]}"; do
  read -r package args want ran <<<"$row"
  rm -f "$T/report.txt"
  [ "$args" = - ] && args=""
  # shellcheck disable=SC2086
  run_setup_hidden "$T/$package" $args
  [ "$RUN_EXIT" = "$((want))" ] || fail "$package $args: exit $RUN_EXIT, expected $((want))"
  if [ "$ran" = yes ]; then
    [ -f "$T/report.txt" ] || fail "$package $args: the setup program did not run"
  else
    [ ! -f "$T/report.txt" ] || fail "$package $args: the setup program ran"
  fi
  assert_no_working_folder_left
done
echo "ok"
