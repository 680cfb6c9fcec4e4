#!/usr/bin/env bash
# The main job: builds the programs the demo runs, then TyxUpdate.exe under Wine on a demo installation.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== Installing packages (apt-get; quick when they are there already)…"
bash scripts/install-deps.sh
bash scripts/enable-i386.sh
echo "== Building TyxUpdate.exe (i686, shipped), TyxPack.exe and the stub product (x86_64) with mingw-w64…"
cmake --preset native >/dev/null
cmake --build --preset native --target demo-programs
python3 scripts/demo.py "$@"
