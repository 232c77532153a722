#!/usr/bin/env bash
# The stub's static link takes the C++ run-time's thread calls from our own
# Win32 primitives, not from the POSIX thread library, and they hold up:
# exceptions on eight threads at once, a function-local static reached by all
# of them together, a static whose initialiser throws, two threads rethrowing
# while both are in their handlers, and a second wave of threads after the
# first has ended.
source "$(dirname "$0")/lib.sh"

grep -q 'libwinpthread' "$SFX_DIST/sfxstub.map" &&
  fail "the stub links the POSIX thread library: $(grep -m1 -B1 'libwinpthread' "$SFX_DIST/sfxstub.map")"
run_setup "$SFX_DIST/testtools/runtimethreads.exe"
expect_exit 0
echo "runtime threads ok"
