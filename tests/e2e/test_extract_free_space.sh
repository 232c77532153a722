#!/usr/bin/env bash
# The free-space test of the extraction, on a drive of known size: a 4 MiB
# tmpfs mounted here and given a Wine drive letter. An archive whose total is
# exactly the free space less the 1 MiB margin extracts; one byte more ends
# with kind 1, code 0x80070070 and the total as the required size, before any
# item is written. Needs root for the mount.
source "$(dirname "$0")/lib.sh"

TOOL="$SFX_DIST/testtools/extracttool.exe"
DISK="$T/disk"
DRIVE="$WINEPREFIX/dosdevices/s:"
MARGIN=1048576

mkdir -p "$DISK"
mount -t tmpfs -o size=4m tmpfs "$DISK" || fail "cannot mount a tmpfs (the test needs root)"
cleanup() {
  rm -f "$DRIVE"
  umount "$DISK" 2>/dev/null || true
}
trap cleanup EXIT
[ -e "$DRIVE" ] && fail "drive S: is already taken in this Wine prefix"
ln -s "$DISK" "$DRIVE"

# Its output; its exit code (2 for a failed run) is not looked at.
tool() {
  { timeout "$WINE_TIMEOUT" wine "$TOOL" "$@" 2>/dev/null || true; } | tr -d '\r'
}

free_bytes() {
  local free
  free="$(tool free 'S:\out')"
  [[ "$free" =~ ^[0-9]+$ ]] || fail "free space query said: $free"
  echo "$free"
}

# An archive of one incompressible file of the given size, stored.
make_archive() {
  rm -rf "$T/src" "$T/a.7z"
  mkdir -p "$T/src"
  head -c "$1" /dev/urandom > "$T/src/payload.bin"
  (cd "$T/src" && 7zz a -bd -bso0 -bsp0 -m0=Copy "$T/a.7z" payload.bin)
}

# Equality passes.
free="$(free_bytes)"
total=$((free - MARGIN))
[ "$total" -gt 0 ] || fail "too little space on the test disk: $free"
make_archive "$total"
out="$(tool extract "$(winpath "$T/a.7z")" 'S:\out')"
echo "$out"
grep -qx 'result done' <<<"$out" || fail "total + 1 MiB = free bytes did not pass"
cmp -s "$T/src/payload.bin" "$DISK/out/payload.bin" || fail "the extracted file differs"
rm -rf "$DISK/out"/*

# One byte more fails before anything is written.
free="$(free_bytes)"
total=$((free - MARGIN + 1))
make_archive "$total"
out="$(tool extract "$(winpath "$T/a.7z")" 'S:\out')"
echo "$out"
grep -qx "error kind=1 code=0x80070070 required=$total path= message=" <<<"$out" ||
  fail "expected the disk-full record with required=$total"
grep -qx 'result failed' <<<"$out" || fail "the run did not fail"
[ -z "$(ls -A "$DISK/out")" ] || fail "items were written despite the free-space test"
echo "free space ok (free $free bytes)"
