#!/usr/bin/env python3
"""Web update benchmark: a 100 MB package on the local test host (nginx over loopback, inside the test
hosts' namespace).

  - download throughput of TyxUpdate.exe against curl's on the same file (nginx's own $request_time);
  - the whole web update against curl + cabextract + cp doing the same work;
  - peak memory of TyxUpdate.exe under Wine, and of a trivial program under Wine for comparison.
Run it with bench/run.sh after a build; it prints a report and writes it to build/bench/report.txt.
"""
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("TYX_WORK", os.path.join(BUILD, "bench"))
os.environ.setdefault("TYX_WIN_BUILD", os.path.join(BUILD, "windows-x86_64"))
import wine  # noqa: E402
import tyx_e2e  # noqa: E402
import webhost  # noqa: E402

SIZE = 100 * 1024 * 1024
REMOTE = "/tyx/norva/newverall/update.cab"
URL = f"https://{webhost.NORVA}{REMOTE}"
ROUNDS = 3
# The window's main timer starts the update after 1 s and its end timer closes it 3 s after the last step.
TIMERS = 4.0


def https_request_times():
    with open(webhost.ACCESS_LOG) as f:
        return [float(line.split()[-1]) for line in f if line.startswith("https ") and REMOTE in line]


def timed(args, **kw):
    """Wall time and peak resident set size (KiB) of a command."""
    start = time.monotonic()
    result = subprocess.run(["/usr/bin/time", "-v"] + args, capture_output=True, **kw)
    wall = time.monotonic() - start
    peak = re.search(rb"Maximum resident set size \(kbytes\): (\d+)", result.stderr)
    return wall, int(peak.group(1)) if peak else 0


def make_package(work):
    payload = os.path.join(work, "payload")
    os.makedirs(payload, exist_ok=True)
    with open(os.path.join(payload, "norvadata.bin"), "wb") as f:
        for _ in range(SIZE // (1 << 20)):
            f.write(os.urandom(1 << 20))
    with open(os.path.join(payload, "NorvaV.exe"), "wb") as f:
        f.write(tyx_e2e.stub(b"bench V"))
    shutil.copy(os.path.join(payload, "NorvaV.exe"), os.path.join(payload, "NorvaXP.exe"))
    package = os.path.join(work, "update.cab")
    subprocess.run(["gcab", "-c", package, "norvadata.bin", "NorvaV.exe", "NorvaXP.exe"], cwd=payload, check=True)
    return package


def installation(round_):
    inst = tyx_e2e.Installation(f"bench-{round_}")
    inst.add_stub("Norva.exe", marker=b"old")
    tyx_e2e.reg_set(inst.key("Norva"), "NEWVERTYPE", "1")
    return inst


def updater_round(round_):
    inst = installation(round_)
    wall, peak = timed([wine.wine_binary(), os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line()],
                       env=wine.environment(), stdin=subprocess.DEVNULL)
    assert inst.log()[-1] == "Aktualizace provedena", inst.log()
    assert os.path.getsize(os.path.join(inst.app, "norvadata.bin")) == SIZE
    return wall, peak


def tools_round(work):
    """What a person would do by hand: fetch, unpack, copy into the application folder."""
    staging = os.path.join(work, "staging")
    app = os.path.join(work, "app")
    for d in (staging, app):
        shutil.rmtree(d, ignore_errors=True)
        os.makedirs(d)
    script = (f"curl -s -o {work}/download.cab {URL} && cabextract -q -d {staging} {work}/download.cab && "
              f"cp -r {staging}/. {app}/")
    wall, _ = timed(["bash", "-c", script])
    return wall


def inside():
    work = os.path.join(wine.WORK, "bench-files")
    os.makedirs(work, exist_ok=True)
    package = make_package(work)
    with webhost.WebHost() as host:
        target = os.path.join(webhost.DOCROOT, REMOTE.lstrip("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(package, target)
        trivial = os.path.join(work, "trivial.exe")
        shutil.copy(os.path.join(tyx_e2e.BUILD, "StubApp.exe"), trivial)
        stub_wall, stub_peak = timed([wine.wine_binary(), trivial], env=wine.environment(), stdin=subprocess.DEVNULL)
        updater = []
        for r in range(ROUNDS):
            served = len(https_request_times())
            wall, peak = updater_round(r)
            updater.append((https_request_times()[served], wall, peak))
        curl = []
        for _ in range(ROUNDS):
            served = len(https_request_times())
            subprocess.run(["curl", "-s", "-o", os.path.join(work, "curl.cab"), URL], check=True)
            curl.append(https_request_times()[served])
        tools = [tools_round(work) for _ in range(ROUNDS)]
    mib = os.path.getsize(package) / (1 << 20)
    best_download = min(u[0] for u in updater)
    best_curl = min(curl)
    best_update = min(u[1] for u in updater)
    best_tools = min(tools)
    peak = max(u[2] for u in updater)
    lines = [
        f"package: {mib:.1f} MiB over HTTPS on loopback, best of {ROUNDS} rounds",
        f"download  TyxUpdate.exe {best_download:7.2f} s  {mib / best_download:8.1f} MiB/s",
        f"download  curl          {best_curl:7.2f} s  {mib / best_curl:8.1f} MiB/s",
        f"  throughput ratio TyxUpdate/curl: {best_curl / best_download:.2f}",
        f"whole update  TyxUpdate.exe {best_update:7.2f} s ({best_update - TIMERS:.2f} s without its "
        f"{TIMERS:.0f} s of window timers)",
        f"whole update  curl + cabextract + cp {best_tools:7.2f} s",
        f"  time ratio TyxUpdate/tools: {best_update / best_tools:.2f} "
        f"({(best_update - TIMERS) / best_tools:.2f} without the timers)",
        f"peak memory  TyxUpdate.exe under Wine {peak / 1024:.1f} MiB; a trivial program under Wine "
        f"{stub_peak / 1024:.1f} MiB (started in {stub_wall:.2f} s)",
    ]
    report = "\n".join(lines)
    print(report)
    with open(os.path.join(wine.WORK, "report.txt"), "w") as f:
        f.write(report + "\n")


def main():
    if sys.argv[1:] == ["--inside"]:
        return inside()
    wine.setup()
    try:
        return webhost.run_in_namespace([sys.executable, os.path.abspath(__file__), "--inside"])
    finally:
        wine.cleanup()


if __name__ == "__main__":
    sys.exit(main())
