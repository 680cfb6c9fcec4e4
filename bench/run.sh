#!/usr/bin/env bash
# Benchmarks (not tests): builds, then measures the web update of a 100 MB package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/enable-i386.sh
cmake --preset native >/dev/null
cmake --build --preset native >/dev/null
python3 bench/web_bench.py
