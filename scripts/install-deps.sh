#!/usr/bin/env bash
# Installs every Debian package the build and the three test layers need.
# Fast when everything is already there: apt is only touched for missing packages.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang googletest
      g++-mingw-w64-i686 mingw-w64-i686-dev
      wine wine32 xvfb xauth x11-apps imagemagick
      libclang-rt-14-dev gcab nginx-light tinyproxy openssl iproute2 util-linux curl cabextract time python3 locales)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
missing=()
for p in "${pkgs[@]}"; do
  # wine32 is an i386 package; dpkg-query names it with its architecture.
  q=$p; [ "$p" = wine32 ] && q=wine32:i386
  dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  [ ${#missing[@]} -gt 0 ] && apt-get install -y -qq --no-install-recommends "${missing[@]/wine32/wine32:i386}" >/dev/null
fi
# Wine takes its ANSI code page (1250) and its file-name encoding from a Czech UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'; then
  localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8
fi
exit 0
