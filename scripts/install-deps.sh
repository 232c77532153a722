#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine,
# and fetches the archive library's source into the build folder. Idempotent.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
SRC_DIR="$BUILD/deps"

PACKAGES=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xdotool imagemagick x11-utils
  7zip osslsigncode wixl msitools
  cmake ninja-build make g++ googletest
  clang libclang-rt-14-dev llvm
  clang-16 lld-16 llvm-16
  dpkg-dev
  libssl-dev
)

need_install() {
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || return 0
  done
  return 1
}

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# A mirror in the middle of a sync serves an index whose size does not match
# its Release file; apt-get update then fails for that index alone. It is
# over within minutes, so a few tries with a pause ride it out.
apt_update() {
  local try log
  log="$(mktemp)"
  for try in 1 2 3 4 5; do
    if as_root apt-get update -q >"$log" 2>&1 && ! grep -q '^E:' "$log"; then
      rm -f "$log"
      return 0
    fi
    echo "apt-get update failed (try $try of 5):" >&2
    grep -E '^(E|W):' "$log" >&2 || tail -n 5 "$log" >&2
    [ "$try" -lt 5 ] && sleep $((try * 20))
  done
  rm -f "$log"
  echo "apt-get update kept failing for the index named above (a mirror in sync, or no network); nothing was installed. Run the same command again later." >&2
  return 100
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  NEED_UPDATE=1
fi

# deb-src entry for the archive library's source package
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  as_root tee /etc/apt/sources.list.d/sfx-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  NEED_UPDATE=1
fi

if need_install || [ -n "${NEED_UPDATE:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  as_root apt-get install -y -q --no-install-recommends "${PACKAGES[@]}"
fi

# The archive library: Debian's source package, unpacked into the build folder.
# Only its library parts are kept; its own programs are deleted right away.
LIB="$SRC_DIR/7zip"
# The marker names what is kept: a tree kept by an older rule is fetched again.
MARKER="$LIB/.pruned-with-console-extractor"
if [ ! -f "$MARKER" ]; then
  rm -rf "$SRC_DIR/fetch" "$LIB"
  mkdir -p "$SRC_DIR/fetch"
  ( cd "$SRC_DIR/fetch" && apt-get source -q --download-only 7zip >/dev/null &&
    dpkg-source --no-check -x ./*.dsc src >/dev/null )
  mkdir -p "$LIB"
  SRC="$SRC_DIR/fetch/src"
  mkdir -p "$LIB/CPP/7zip"
  cp -a "$SRC/C" "$LIB/C"
  rm -rf "$LIB/C/Util"
  cp -a "$SRC/CPP/Common" "$SRC/CPP/Windows" "$LIB/CPP/"
  for d in Archive Common Compress Crypto; do cp -a "$SRC/CPP/7zip/$d" "$LIB/CPP/7zip/"; done
  mkdir -p "$LIB/CPP/7zip/UI"
  cp -a "$SRC/CPP/7zip/UI/Common" "$LIB/CPP/7zip/UI/"
  find "$SRC/CPP/7zip" -maxdepth 1 -type f \( -name '*.h' -o -name '*.mak' \) -exec cp {} "$LIB/CPP/7zip/" \;
  # The console extractor, kept only so that bench/run.sh can build it as the
  # speed reference; it never ships and nothing else builds it.
  mkdir -p "$LIB/CPP/7zip/Bundles"
  cp -a "$SRC/CPP/7zip/Bundles/Alone7z" "$LIB/CPP/7zip/Bundles/"
  cp -a "$SRC/CPP/7zip/UI/Console" "$LIB/CPP/7zip/UI/"
  find "$SRC/CPP" -maxdepth 1 -type f -name '*.h' -exec cp {} "$LIB/CPP/" \;
  # C/Util holds the library's own programs (console tools, installers and a
  # self-extracting module): never kept
  rm -rf "$LIB/C/Util"
  rm -rf "$SRC_DIR/fetch"
  touch "$MARKER"
fi
echo "dependencies ready"
