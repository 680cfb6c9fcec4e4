#!/usr/bin/env bash
# Every test: native unit tests, the Win32 layer under Wine, end-to-end runs
# of TyxUpdate.exe under Wine. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== Installing packages (apt-get; quick when they are there already)…"
bash scripts/install-deps.sh
bash scripts/enable-i386.sh
echo "== Building everything: unit tests, both Windows builds, fuzzers (the x86_64 build then lists its Win32 cases under Wine, which boots a prefix: minutes)…"
cmake --preset native >/dev/null
cmake --build --preset native
echo "== Running the tests (ctest; wine_setup prepares Wine and an Xvfb display first; the whole run takes 30 minutes or more)…"
ctest --preset native
