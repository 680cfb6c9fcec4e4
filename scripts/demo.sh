#!/usr/bin/env bash
# The main job: builds TyxUpdate.exe and runs it under Wine on a demo installation.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/enable-i386.sh
cmake --preset native >/dev/null
cmake --build --preset native >/dev/null
python3 scripts/demo.py "$@"
