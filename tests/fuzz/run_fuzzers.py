#!/usr/bin/env python3
# Runs a fuzzer over its kept regression inputs, then fuzzes it for TYX_FUZZ_SECONDS (default 20):
#   run_fuzzers.py BUILD_DIR TARGET
# A crashing input stays in BUILD_DIR/artifacts/<target>/; copy it into regressions/<target>/ here with the fix.
import glob
import os
import shutil
import subprocess
import sys

build, target = sys.argv[1:3]
binary, kept = os.path.join(build, f"fuzz_{target}"), os.path.join(os.path.dirname(__file__), "regressions", target)
corpus, artifacts = os.path.join(build, "corpus", target), os.path.join(build, "artifacts", target) + os.sep
shutil.rmtree(artifacts, ignore_errors=True)
for d in (corpus, artifacts):
    os.makedirs(d, exist_ok=True)
inputs = sorted(glob.glob(os.path.join(kept, "*")))
if inputs and subprocess.run([binary] + inputs, capture_output=True).returncode != 0:
    sys.exit(f"{target}: a kept regression input fails again")
run = subprocess.run([binary, f"-max_total_time={os.environ.get('TYX_FUZZ_SECONDS', '20')}", "-timeout=10",
                      f"-artifact_prefix={artifacts}", "-rss_limit_mb=2048", corpus, kept], capture_output=True, text=True)
print(f"{target}: " + (run.stderr.strip().splitlines() or ["(no output)"])[-1])
if run.returncode != 0:
    sys.exit(run.stderr[-4000:] + "".join(f"\ncrashing input: {c}" for c in glob.glob(artifacts + "*")))
