#!/usr/bin/env python3
"""Runs a fuzzer over its kept regression inputs, then fuzzes it for a short budget.

  run_fuzzers.py BUILD_DIR [TARGET...]     (TYX_FUZZ_SECONDS per fuzzer, default 20)
A crashing input stays in BUILD_DIR/artifacts/<fuzzer>/; copy it into regressions/<fuzzer>/ here with the fix.
"""
import glob
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TARGETS = ["command_line", "headers", "cabinet_names", "package_inf"]


def main(build, targets):
    seconds = os.environ.get("TYX_FUZZ_SECONDS", "20")
    failed = []
    for target in targets:
        binary = os.path.join(build, f"fuzz_{target}")
        kept = os.path.join(HERE, "regressions", target)
        corpus = os.path.join(build, "corpus", target)
        artifacts = os.path.join(build, "artifacts", target) + os.sep
        shutil.rmtree(artifacts, ignore_errors=True)
        for d in (corpus, artifacts):
            os.makedirs(d, exist_ok=True)
        inputs = sorted(glob.glob(os.path.join(kept, "*")))
        if inputs and subprocess.run([binary] + inputs, capture_output=True).returncode != 0:
            failed.append(f"{target}: a kept regression input fails again")
            continue
        run = subprocess.run([binary, f"-max_total_time={seconds}", f"-artifact_prefix={artifacts}", "-timeout=10",
                              "-rss_limit_mb=2048", corpus, kept], capture_output=True, text=True)
        print(f"{target}: " + (run.stderr.strip().splitlines() or ["(no output)"])[-1])
        if run.returncode != 0:
            print(run.stderr[-4000:])
            for crash in glob.glob(artifacts + "*"):
                print(f"crashing input: {crash}")
            failed.append(target)
    print(f"{len(targets) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:] or TARGETS))
