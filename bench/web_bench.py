#!/usr/bin/env python3
"""Web update benchmark on the local test host (nginx over loopback, inside the test hosts' namespace).

For each package shape, every stage of the update (size query, download, extraction, installation, and the
start, window timers and end) is timed three ways:
  - TyxUpdate.exe under Wine, its stages told apart by the moments its log lines appear;
  - the floor of the platform: bench/Floor.cpp under the same Wine prefix, the same calls done as directly as
    possible (1 MiB reads, one cabinet pass, one CopyFileW per file), plus the log lines the update writes;
  - natively: curl, cabextract, cp.
Also the bytes nginx sent for the size query and for the download ($bytes_sent), and the peak memory against a
trivial program under Wine. Then the 100 MiB package from Bremo's faulty host (tests/e2e/webhost.py), its
connection reset once at 50 % and at 90 %: the bytes nginx and the relay sent in all, as a multiple of the
package, and the time to the finished update against an uncut one. Then a delta package against the full one
(bench/delta_bench.py). Run it with bench/run.sh after a build; it prints the report, writes it to
build/bench/report.md and puts it into docs/benchmark.md between its markers, the delta's between its own.
With TYX_BENCH_BEFORE=path/to/an/older/TyxUpdate.exe the older build runs the same rounds and gets a column of
its own.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BEGIN, END = "<!-- bench:begin -->", "<!-- bench:end -->"
DELTA_MARKS = ("<!-- bench-delta:begin -->", "<!-- bench-delta:end -->")
BUILD = os.path.join(ROOT, "build")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("TYX_WORK", os.path.join(BUILD, "bench"))
os.environ.setdefault("TYX_WIN_BUILD", os.path.join(BUILD, "windows-x86_64"))
os.environ.setdefault("TYX_WINE_TEMPLATE", os.path.join(BUILD, "wine-list", "e2e", "wineprefix"))
os.environ.setdefault("TYX_KEYS", os.path.join(BUILD, "keys"))
import wine  # noqa: E402
import tyx_e2e  # noqa: E402
import webhost  # noqa: E402
import delta_bench  # noqa: E402

KIB, MIB = 1024, 1024 * 1024
REMOTE = "/tyx/norva/newverall/update.cab"
URL = f"https://{webhost.NORVA}{REMOTE}"
# name, number of files, size of each
SHAPES = [("1 × 100 MiB", 1, 100 * MIB), ("2,000 × 10 KiB", 2000, 10 * KIB), ("500 × 1 KiB", 500, KIB),
          ("1,000 × 1 KiB", 1000, KIB), ("5,000 × 1 KiB", 5000, KIB)]
# TYX_BENCH_SHAPES=1,500,5000 measures only the shapes of these numbers of files; "delta" the delta package.
DELTA = True
if os.environ.get("TYX_BENCH_SHAPES"):
    SHAPES = [s for s in SHAPES if str(s[1]) in os.environ["TYX_BENCH_SHAPES"].split(",")]
    DELTA = "delta" in os.environ["TYX_BENCH_SHAPES"].split(",")
ROUNDS = int(os.environ.get("TYX_BENCH_ROUNDS", "2"))
# The window's main timer starts the update after 1 s and its end timer closes it 3 s after the last step.
TIMERS = 4.0
# Where a stage begins, by the log line that opens it; each ends where the next begins.
MARKS = [("size query", "Doména "), ("download", "Stažení souboru update.cab"),
         ("extraction", "Stažení souborů dokončeno"), ("installation", "Soubory aktualizace extrahovány"),
         ("end", "Aktualizace provedena")]
STAGES = [m[0] for m in MARKS[:-1]]
FLOOR = os.path.join(tyx_e2e.BUILD, "Floor.exe")


class LogWatch(threading.Thread):
    """Notes the moment each line of the log appears."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.path, self.lines, self.running = path, [], True

    def run(self):
        done, pending = 0, b""
        while self.running:
            try:
                with open(self.path, "rb") as f:
                    f.seek(done)
                    data = f.read()
            except FileNotFoundError:
                data = b""
            now = time.monotonic()
            done += len(data)
            pending += data
            *complete, pending = pending.split(b"\r\n")
            self.lines += [(now, line.decode("cp1250")[line.index(b"]") + 1:]) for line in complete]
            time.sleep(0.003)

    def stop(self):
        self.running = False
        self.join()
        return self.lines


def access_log():
    with open(webhost.ACCESS_LOG) as f:
        return [line.split() for line in f]


def bytes_sent(entries, scheme):
    """$bytes_sent of the requests of this scheme for the package."""
    return sum(int(e[4]) for e in entries if e[0] == scheme and e[1] == REMOTE)


def served_since(count, scheme_wanted=2):
    # nginx logs a request once its connection is done; the size query's may lag the download's a little.
    for _ in range(100):
        entries = access_log()[count:]
        if len(entries) >= scheme_wanted:
            return entries
        time.sleep(0.05)
    return access_log()[count:]


def make_package(work, count, size, product="Norva"):
    """`count` files of `size` random bytes, and the product's build for this Windows (a stub: the updater
    installs nothing without it)."""
    payload = os.path.join(work, "payload")
    shutil.rmtree(payload, ignore_errors=True)
    os.makedirs(payload)
    names = [f"f{i:05d}.dat" for i in range(count)]
    for name in names:
        with open(os.path.join(payload, name), "wb") as f:
            f.write(os.urandom(size))
    names.append(f"{product}V.exe")
    with open(os.path.join(payload, names[-1]), "wb") as f:
        f.write(tyx_e2e.stub(b"bench"))
    package = os.path.join(work, "update.cab")
    listing = os.path.join(work, "names")
    with open(listing, "w") as f:
        f.write("\n".join(names))
    subprocess.run(f"xargs -a {listing} -d '\\n' gcab -c -z {package}", shell=True, cwd=payload, check=True)
    return package


def updater_round(exe, name):
    inst = tyx_e2e.Installation(f"bench-{name}")
    shutil.copy(exe, os.path.join(inst.own, "TyxUpdate.exe"))
    inst.add_stub("Norva.exe", marker=b"old")
    tyx_e2e.reg_set(inst.key("Norva"), "NEWVERTYPE", "1")
    served = len(access_log())
    watch = LogWatch(os.path.join(inst.own, "Update.log"))
    watch.start()
    _, wall, peak, _ = timed([os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line()])
    lines = watch.stop()
    assert lines and lines[-1][1] == "Aktualizace provedena", lines[-3:]
    at = {}
    for moment, text in lines:
        for stage, prefix in MARKS:
            if text.startswith(prefix):
                at.setdefault(stage, moment)
    times = {stage: at[MARKS[i + 1][0]] - at[stage] for i, stage in enumerate(STAGES)}
    times["start, timers, end"] = wall - sum(times.values())
    entries = served_since(served)
    shutil.rmtree(inst.root, ignore_errors=True)
    return times, bytes_sent(entries, "http"), bytes_sent(entries, "https"), peak


FLOOR_PEAK = [0]  # the largest peak memory of a floor stage, KiB


def timed(args):
    """Runs a Windows program to its end: (exit code, seconds, peak memory in KiB, what it printed)."""
    peak_file = os.path.join(wine.WORK, "peak")
    # Through a file, not a pipe: a Wine service it starts may keep a pipe open.
    with tempfile.TemporaryFile() as out:
        begin = time.monotonic()
        code = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak_file, wine.WINE] + args,
                              env=wine.environment(), stdin=subprocess.DEVNULL, stdout=out,
                              stderr=subprocess.DEVNULL).returncode
        wall = time.monotonic() - begin
        out.seek(0)
        printed = out.read()
    with open(peak_file) as f:
        return code, wall, int(f.read().split()[-1]), printed


def floor(*args):
    code, _, peak, printed = timed([FLOOR] + [str(a) for a in args])
    assert code == 0, (args, printed)
    FLOOR_PEAK[0] = max(FLOOR_PEAK[0], peak)
    return float(printed.split()[-1])


def floor_round(work, count, trivial_wall):
    cab, staged, app = (os.path.join(work, n) for n in ("floor.cab", "floor-staging", "floor-app"))
    log = os.path.join(work, "floor.log")
    for d in (staged, app):
        shutil.rmtree(d, ignore_errors=True)
        os.makedirs(d)
    if os.path.exists(log):
        os.remove(log)
    size = floor("size", webhost.NORVA, REMOTE)
    download = floor("download", URL, tyx_e2e.win(cab))
    designed = floor("designed", URL, tyx_e2e.win(cab))
    extraction = floor("extract", tyx_e2e.win(cab), tyx_e2e.win(staged)) + floor("log", tyx_e2e.win(log), 2)
    # Two log lines for each installed file: its backup and its copy.
    installation = floor("copy", tyx_e2e.win(staged), tyx_e2e.win(app)) + floor("log", tyx_e2e.win(log), 2 * count)
    return {"size query": size, "download": download, "extraction": extraction, "installation": installation,
            "start, timers, end": trivial_wall + TIMERS, "download as designed": designed}


def timed_shell(script):
    start = time.monotonic()
    subprocess.run(["bash", "-c", script], check=True, stdout=subprocess.DEVNULL)
    return time.monotonic() - start


def native_round(work):
    cab, staged, app = (os.path.join(work, n) for n in ("native.cab", "native-staging", "native-app"))
    for d in (staged, app):
        shutil.rmtree(d, ignore_errors=True)
        os.makedirs(d)
    return {"size query": timed_shell(f"curl -sfI http://{webhost.NORVA}{REMOTE}"),
            "download": timed_shell(f"curl -sf -o {cab} {URL}"),
            "extraction": timed_shell(f"cabextract -q -d {staged} {cab}"),
            "installation": timed_shell(f"cp -r {staged}/. {app}/"),
            "start, timers, end": 0.0}


BREMO_REMOTE = "/tyx/bremo/newver/update.cab"


def broken_round(exe, size, cut):
    """A Bremo update whose download the faulty host resets once after `cut` of the package (None: never): the
    update's time, the bytes nginx sent for the download and those that reached the updater."""
    inst = tyx_e2e.Installation(f"bench-cut-{cut}")
    shutil.copy(exe, os.path.join(inst.own, "TyxUpdate.exe"))
    inst.add_stub("Bremo.exe", marker=b"old")
    tyx_e2e.reg_set(inst.key("Bremo"), "NEWVERTYPE", "1")
    webhost.FAULTS.reset([{"cut": int(cut * size)}] if cut else [])
    served = len(access_log())
    _, wall, _, _ = timed([os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line()])
    assert inst.log()[-1] == "Aktualizace provedena", inst.log()[-3:]
    entries = served_since(served)
    shutil.rmtree(inst.root, ignore_errors=True)
    tyx_e2e.reg("delete", "HKCU\\Software\\Tyx\\Bremo", "/f")
    return wall, sum(int(e[4]) for e in entries if e[1] == BREMO_REMOTE), sum(webhost.FAULTS.sent)


def broken(work, exe):
    package = make_package(work, 1, 100 * MIB, "Bremo")
    target = os.path.join(webhost.DOCROOT, BREMO_REMOTE.lstrip("/"))
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copy(package, target)
    size = os.path.getsize(package)
    runs = [(cut, broken_round(exe, size, cut)) for cut in (None, 0.5, 0.9)]
    uncut = runs[0][1][0]
    rows = ["| package | connection reset | nginx sent / package | reached the updater / package | whole update (s) "
            "| against uncut |", "|---|---|---|---|---|---|"]
    for cut, (wall, nginx, relay) in runs:
        rows.append(f"| 1 × 100 MiB | {f'at {cut:.0%}' if cut else 'never'} | {nginx / size:.3f} | "
                    f"{relay / size:.3f} | {seconds(wall)} | {ratio(wall, uncut)} |")
    return rows


def best(rounds):
    return {k: min(r[k] for r in rounds) for k in rounds[0]}


def seconds(value):
    return f"{value:.3f}" if value < 10 else f"{value:.2f}"


def ratio(a, b):
    return f"{a / b:.2f}" if b > 0 else "–"


def measure(shape, count, size, work, trivial_wall, updaters):
    package = make_package(work, count, size)
    target = os.path.join(webhost.DOCROOT, REMOTE.lstrip("/"))
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copy(package, target)
    results = {}
    for label, exe in updaters:
        rounds = [updater_round(exe, f"{label}-{r}") for r in range(ROUNDS)]
        results[label] = (best([r[0] for r in rounds]), max(r[1] for r in rounds), max(r[2] for r in rounds),
                          max(r[3] for r in rounds))
    floors = best([floor_round(work, count, trivial_wall) for _ in range(ROUNDS)])
    natives = best([native_round(work) for _ in range(ROUNDS)])
    return {"shape": shape, "count": count, "package": os.path.getsize(package), "updaters": results,
            "floor": floors, "native": natives}


def table(results, labels):
    head = "| package | stage | " + " | ".join(f"TyxUpdate {l} (s)" if l else "TyxUpdate (s)" for l in labels)
    head += " | floor (s) | TyxUpdate / floor | curl, cabextract, cp (s) |"
    rows = [head, "|" + "---|" * (head.count("|") - 1)]
    for r in results:
        last = labels[-1]
        for stage in STAGES + ["start, timers, end"]:
            ours = [r["updaters"][l][0][stage] for l in labels]
            rows.append(f"| {r['shape']} | {stage} | " + " | ".join(seconds(t) for t in ours) +
                        f" | {seconds(r['floor'][stage])} | {ratio(r['updaters'][last][0][stage], r['floor'][stage])}"
                        f" | {seconds(r['native'][stage]) if stage != 'start, timers, end' else '–'} |")
        total = [sum(r["updaters"][l][0].values()) for l in labels]
        rows.append(f"| {r['shape']} | **whole update** | " + " | ".join(f"**{seconds(t)}**" for t in total) +
                    f" | {seconds(sum(r['floor'].values()))} | {ratio(total[-1], sum(r['floor'].values()))}"
                    f" | {seconds(sum(r['native'].values()))} |")
    return rows


def traffic(results, labels, trivial_peak):
    head = "| package | package size | " + " | ".join(
        f"{l + ' ' if l else ''}size query sent | {l + ' ' if l else ''}download sent | "
        f"{l + ' ' if l else ''}peak memory" for l in labels) + " |"
    rows = [head, "|" + "---|" * (head.count("|") - 1)]
    for r in results:
        cells = []
        for l in labels:
            _, query, download, peak = r["updaters"][l]
            cells += [f"{query / KIB:.1f} KiB", f"{download / MIB:.2f} MiB", f"{peak / KIB:.1f} MiB"]
        rows.append(f"| {r['shape']} | {r['package'] / MIB:.2f} MiB | " + " | ".join(cells) + " |")
    rows.append(f"\nA trivial program under Wine: peak memory {trivial_peak[0] / KIB:.1f} MiB, "
                f"{trivial_peak[1] / KIB:.1f} MiB when it shows a window of the form's size for a second; the floor "
                f"(the same WinINet, SetupAPI and file calls, the designed download with a window of the form's size): "
                f"{FLOOR_PEAK[0] / KIB:.1f} MiB.")
    return rows


def designed_download(results, labels):
    """The download's fixed design on the floor: what is left of the ratio is the updater's own."""
    rows = []
    for r in [r for r in results if r["count"] == 1]:
        ours, theirs = r["updaters"][labels[-1]][0]["download"], r["floor"]["download as designed"]
        rows.append(f"Download of {r['shape']} as the update's fixed design does it (8 KiB reads, two pumps of the "
                    f"window's queue after each), on the floor: {seconds(theirs)} s; TyxUpdate"
                    f"{' ' + labels[-1] if labels[-1] else ''} {ratio(ours, theirs)} times that.")
    return rows


def per_file(results, labels):
    rows = []
    for l in labels:
        install = {r["count"]: r["updaters"][l][0]["installation"] / r["count"] for r in results
                   if r["shape"].endswith("× 1 KiB")}
        if 500 in install and 5000 in install:
            rows.append(f"Installation per file{' (' + l + ')' if l else ''}: " +
                        ", ".join(f"{n:,} files {t * 1000:.2f} ms" for n, t in sorted(install.items())) +
                        f"; 5,000 against 500: {install[5000] / install[500]:.2f} times.")
    return rows


def machine():
    with open("/proc/cpuinfo") as f:
        model = re.search(r"model name\s*:\s*(.*)", f.read())
    return f"{os.cpu_count()} cores ({model.group(1) if model else 'unknown CPU'}), {wine.WINE} x86_64 build"


def inside():
    work = os.path.join(wine.WORK, "bench-files")
    os.makedirs(work, exist_ok=True)
    updaters = [("", os.path.join(tyx_e2e.BUILD, "TyxUpdate.exe"))]
    if os.environ.get("TYX_BENCH_BEFORE"):
        updaters = [("before", os.environ["TYX_BENCH_BEFORE"]), ("after", updaters[0][1])]
    labels = [u[0] for u in updaters]
    started = time.monotonic()
    with webhost.servers():
        if DELTA:
            delta = delta_bench.measure(os.path.join(work, "delta"), updaters[-1][1], ROUNDS)
            report(["## Delta package", "", f"{time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}. Machine: "
                    f"{machine()}. Best of {ROUNDS} rounds for each time; HTTPS on loopback.", ""] + delta,
                   "delta-report.md", DELTA_MARKS)
        if not SHAPES:
            return
        trivial = os.path.join(work, "trivial.exe")
        shutil.copy(os.path.join(tyx_e2e.BUILD, "StubApp.exe"), trivial)
        _, trivial_wall, trivial_peak, _ = timed([trivial])
        trivial_peak = (trivial_peak, timed([FLOOR, "window", "TyxUpdate - aktualizace", "1000"])[2])
        results = []
        for shape, count, size in SHAPES:
            results.append(measure(shape, count, size, work, trivial_wall, updaters))
            print(f"measured {shape}", flush=True)
        resets = broken(work, updaters[-1][1])
    lines = ["## Latest figures", "",
             f"{time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}. Machine: {machine()}. "
             f"Best of {ROUNDS} rounds for each time; HTTPS and HTTP on loopback. "
             f"Benchmark run time {time.monotonic() - started:.0f} s.", "",
             "The floor's installation and extraction include the log lines the update writes (two per installed "
             f"file); its start, timers and end are a trivial program's start and end ({trivial_wall:.2f} s) plus "
             f"the window's {TIMERS:.0f} s of timers.", ""]
    lines += table(results, labels) + [""] + traffic(results, labels, trivial_peak) + [""]
    lines += designed_download(results, labels) + [""] + per_file(results, labels) + [""] + resets
    report(lines, "report.md", (BEGIN, END))


def report(lines, name, marks, page=os.path.join(ROOT, "docs", "benchmark.md")):
    """Printed, kept in the work folder and put in place of the page's last one between its marks, so that the
    page is never pasted by hand."""
    block = "\n".join(lines) + "\n"
    print(block)
    with open(os.path.join(wine.WORK, name), "w") as f:
        f.write(block)
    with open(page) as f:
        text = f.read()
    begin, end = text.index(marks[0]) + len(marks[0]), text.index(marks[1])
    with open(page, "w") as f:
        f.write(text[:begin] + "\n" + block + text[end:])


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
