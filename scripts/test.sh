#!/usr/bin/env bash
# Every test: native unit tests, the Win32 layer under Wine, end-to-end runs
# of TyxUpdate.exe under Wine. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/enable-i386.sh
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native
