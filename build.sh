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
    local n=$(( 90 + RANDOM % 400 ))
    while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/.initialised" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.initialised"
  fi
  wineserver -p >/dev/null 2>&1 || true
  # Start Wine's own background services now, with their output detached:
  # started by a test instead, they would hold its output pipe open.
  wine wineboot >/dev/null 2>&1 </dev/null || true
  trap stop_wine EXIT
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
    printf 'stub size: %s bytes (%s)\n' "$(stat -c %s "$DIST/sfxstub.exe")" "$DIST/sfxstub.exe"
    start_wine
    ctest --test-dir "$BUILD" --output-on-failure "$@"
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
