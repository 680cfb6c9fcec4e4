"""The shape delta packages are for, measured by bench/web_bench.py: release 6 of 2,000 files of 10 KiB and a
5 MiB executable; release 7 changes the executable and 3 of the files. TyxPack builds both and publishes 7 on
Norva's host twice: without deltas (the updater downloads update.cab) and with a delta from 6. An installation
of release 6 updates from each, in turns: the bytes nginx sent and the whole update's time."""
import os
import random
import shutil
import subprocess
import time

import tyx_e2e
import webhost
import wine
from test_signed_packages import tyxpack

KIB, MIB = 1024, 1024 * 1024
FOLDER = "/tyx/norva/newverall/"
FILES, FILE_SIZE, EXE_SIZE, CHANGED = 2000, 10 * KIB, 5 * MIB, 3
TEXT = b"Norva 7.0: faktura, dodaci list, sklad, DPH 21 %; SetWindowTextW GetDlgItem CreateFileW ReadFile\r\n" * 3
DONE = "Aktualizace provedena"


def like_real(rng, size):
    """Bytes that MSZIP packs to about half, as programs and documents: random runs between pieces of text."""
    out = bytearray()
    while len(out) < size:
        out += rng.randbytes(rng.randrange(16, 200)) + TEXT[rng.randrange(100):][:rng.randrange(16, 200)]
    return bytes(out[:size])


def build(folder, files, number, out):
    os.makedirs(os.path.dirname(out), exist_ok=True)
    for name, data in files.items():
        tyx_e2e.write(os.path.join(folder, name), data)
    key = tyx_e2e.win(os.path.join(os.environ["TYX_KEYS"], "test.pem"))
    code, said = tyxpack("build", "--product", "Norva", "--release", str(number), "--key", key, "--out",
                         tyx_e2e.win(out), tyx_e2e.win(folder))
    assert code == 0, said


def access_log():
    with open(webhost.ACCESS_LOG) as f:
        return [line.split() for line in f]


def update(exe, base, kind):
    """An installation of release 6 updated from the host: (bytes nginx sent, seconds)."""
    inst = tyx_e2e.Installation(f"bench-delta-{kind}")
    shutil.copy(exe, os.path.join(inst.own, "TyxUpdate.exe"))
    subprocess.run(["gcab", "-x", "-C", inst.app, base], check=True, capture_output=True)
    os.remove(os.path.join(inst.app, "update.inf"))
    shutil.copy(os.path.join(inst.app, "NorvaV.exe"), os.path.join(inst.app, "Norva.exe"))
    tyx_e2e.reg_set(inst.key("Norva"), "NEWVERTYPE", "1")
    served = len(access_log())
    begin = time.monotonic()
    subprocess.run([wine.WINE, os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line()],
                   env=wine.environment(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=600)
    wall = time.monotonic() - begin
    log = inst.log()
    assert log[-1] == DONE and any(line.startswith("Rozdílová aktualizace z") for line in log) == (kind == "delta"), \
        log[-5:]
    time.sleep(1)  # nginx logs a request once its connection is closed
    sent = sum(int(e[4]) for e in access_log()[served:])
    shutil.rmtree(inst.root, ignore_errors=True)
    tyx_e2e.reg("delete", "HKCU\\Software\\Tyx\\Norva", "/f")
    return sent, wall


def measure(work, exe, rounds):
    """The report's lines."""
    rng = random.Random(7)
    release = {f"f{i:05d}.dat": like_real(rng, FILE_SIZE) for i in range(FILES)}
    release.update({"NorvaV.exe": tyx_e2e.stub(like_real(rng, EXE_SIZE)), "NorvaXP.exe": tyx_e2e.stub(b"XP")})
    shutil.rmtree(work, ignore_errors=True)
    base = os.path.join(work, "earlier", "update-6.cab")
    build(os.path.join(work, "6"), release, 6, base)
    changed = {"NorvaV.exe": tyx_e2e.stub(like_real(rng, EXE_SIZE))}
    changed.update({f"f{i:05d}.dat": like_real(rng, FILE_SIZE) for i in (5, 1000, 1999)})
    package = os.path.join(webhost.DOCROOT, FOLDER.lstrip("/"), "update.cab")
    build(os.path.join(work, "7"), dict(release, **changed), 7, package)
    alone = os.path.join(work, "changed.cab")
    subprocess.run(["gcab", "-c", "-z", alone] + sorted(changed), cwd=os.path.join(work, "7"), check=True)
    key = tyx_e2e.win(os.path.join(os.environ["TYX_KEYS"], "test.pem"))
    results = {}
    for kind, options in (("full", []), ("delta", ["--earlier", tyx_e2e.win(os.path.dirname(base))])):
        code, said = tyxpack("publish", "--key", key, "--now", *options, tyx_e2e.win(package))
        assert code == 0, said
        runs = [update(exe, base, kind) for _ in range(rounds)]
        results[kind] = (max(r[0] for r in runs), min(r[1] for r in runs))
    (full_sent, full_time), (delta_sent, delta_time) = results["full"], results["delta"]
    delta = os.path.join(os.path.dirname(package), "delta-6.cab")
    sizes = os.path.getsize(package), os.path.getsize(delta), os.path.getsize(alone)
    for name in ("update.cab", "release.inf", "delta-6.cab"):  # the other shapes' packages come unsigned
        os.remove(os.path.join(os.path.dirname(package), name))
    return ["| update of release 6 | package | nginx sent | against the full update | whole update (s) | against the "
            "full update |", "|---|---|---|---|---|---|",
            f"| update.cab | {sizes[0] / MIB:.2f} MiB | {full_sent / MIB:.2f} MiB | 1.00 | "
            f"{full_time:.2f} | 1.00 |",
            f"| delta-6.cab | {sizes[1] / MIB:.2f} MiB | {delta_sent / MIB:.2f} MiB | "
            f"{delta_sent / full_sent:.3f} | {delta_time:.2f} | {delta_time / full_time:.2f} |", "",
            f"The changed files alone (NorvaV.exe and {CHANGED} of the others, "
            f"{sum(map(len, changed.values())) / MIB:.2f} MiB) in a cabinet of their own (gcab's MSZIP): "
            f"{sizes[2] / MIB:.2f} MiB; the delta update sent {delta_sent / sizes[2]:.3f} times that."]
