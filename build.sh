#!/usr/bin/env bash
# ./build.sh demo   build, pack the demo package and run it under Wine
# ./build.sh test   build and run every test (extra arguments go to ctest)
# ./build.sh build  build only
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
DEPS="${DEPS_DIR:-$ROOT/build/deps}"
DIST="$BUILD/dist"
JOBS="${JOBS:-$(nproc)}"

# shellcheck source=scripts/wine-session.sh
source "$ROOT/scripts/wine-session.sh"

cmd="${1:-}"
[ $# -gt 0 ] && shift

install_deps() {
  BUILD_DIR="$ROOT/build" "$ROOT/scripts/install-deps.sh"
}

build_all() {
  local common=(-G Ninja -DSFX_DEPS_DIR="$DEPS/7zip" -DSFX_DIST_DIR="$DIST")
  cmake -S "$ROOT" -B "$BUILD/win" "${common[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-i686-mingw32.cmake" >/dev/null
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD/native" "${common[@]}" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  # The stub's layers only point down: app -> dialog -> extract -> orelib -> framework.
  python3 "$ROOT/scripts/include_graph.py" --check "$ROOT"
  cmake --build "$BUILD/win" -j "$JOBS"
  cmake --build "$BUILD/native" -j "$JOBS"
  # One ctest invocation covers both trees.
  printf 'subdirs("native")\nsubdirs("win")\n' > "$BUILD/CTestTestfile.cmake"
}

# One private Wine prefix under the build folder, one X server and one
# wineserver kept alive for the whole run.
start_wine() {
  export WINEPREFIX="$BUILD/wineprefix"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  if [ -z "${DISPLAY:-}" ] || [ -n "${SFX_OWN_XVFB:-}" ]; then
    start_xvfb 90
  fi
  start_wine_prefix
  trap stop_wine EXIT
}

# Wine's loader for 32-bit programs is itself a 32-bit program. Some kernels
# run none ("Exec format error": no 32-bit x86 support in the kernel or the
# virtual machine); Wine cannot run the stub there at all.
can_run_wine() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

case "$cmd" in
  build)
    install_deps
    build_all
    ;;
  test)
    install_deps
    build_all
    python3 "$ROOT/scripts/stub_size_table.py" "$DIST/sfxstub.exe" "$DIST/sfxstub.map"
    if can_run_wine; then
      start_wine
      ctest --test-dir "$BUILD" --output-on-failure "$@"
    else
      cat >&2 <<'NOWINE'
==== NOT TESTED HERE: this machine runs no 32-bit x86 programs, so Wine cannot
==== run. The stub's unit tests and the packager's Windows tests (build/win)
==== are not run, and every end-to-end test that runs something under Wine is
==== skipped. Only the native tests, the fuzzers and the packager's own
==== end-to-end tests run. Run ./build.sh test on a machine that runs 32-bit
==== programs before trusting a change to the stub.
NOWINE
      SFX_NO_WINE=1 ctest --test-dir "$BUILD/native" --output-on-failure "$@"
    fi
    ;;
  demo)
    install_deps
    build_all
    start_wine
    "$ROOT/scripts/demo.sh" "$BUILD"
    ;;
  *)
    echo "usage: $0 demo|test|build [ctest arguments]" >&2
    exit 2
    ;;
esac
