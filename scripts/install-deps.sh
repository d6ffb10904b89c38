#!/usr/bin/env bash
# Installs everything the native and Windows builds and their tests need on
# Debian 12. Idempotent: returns quickly when all is there. fonts-wine holds
# Marlett, which Wine draws caption buttons and check marks with.
set -euo pipefail

pkgs=(cmake make g++ clang libclang-rt-14-dev
      mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
      zlib1g-dev libz-mingw-w64-dev libgsf-1-dev libssl-dev googletest
      wine wine64 wine32:i386 fonts-wine xvfb xauth imagemagick pkg-config python3)

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
