#!/usr/bin/env bash
# Installs every Debian package the build, the demo, the tests and the benchmark use.
# Fast when everything is already there: apt is only touched for missing packages.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ googletest                       # the native build and layer 1
  clang libclang-rt-14-dev                               # the fuzzers (libFuzzer, sanitizer runtimes)
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix    # the Windows builds (windres, objdump come along)
  wine64 wine32:i386 qemu-user-static                    # Wine; qemu runs its 32-bit loader where the CPU cannot
  xvfb fonts-liberation fonts-wine                       # a display; Arial's metrics, Wine's Tahoma
  x11-apps imagemagick x11-utils                         # the window: the demo's screenshot (xwd, convert), the tests' watch (xwininfo)
  python3 gcab locales                                   # the harness, test packages, the Czech locale
  nginx-light tinyproxy openssl ca-certificates iproute2 util-linux mount   # the test web hosts
  curl cabextract time                                   # the benchmark's comparison and its peak memory
  osslsigncode                                           # code-signs the shipped programs and checks it
)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  [ ${#missing[@]} -gt 0 ] && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Wine takes its ANSI code page (1250) and its file-name encoding from a Czech UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'; then
  localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8
fi
exit 0
