"""Packages built and signed by TyxPack.exe under Wine, fed to TyxUpdate.exe."""
import concurrent.futures
import contextlib
import glob
import hashlib
import os
import re
import shutil
import subprocess
import tempfile

import wine
from tyx_e2e import (BUILD, EMULATED, UPDATER, WineTestCase, make_package, marker_of, read, release, stub, wait_until,
                      win, write)

KEYS = os.environ.get("TYX_KEYS", "")
UPDATERS = os.path.dirname(UPDATER)  # the build under test; TyxPack is the x86_64 one, not emulated
REFUSED = " Aktualizace nebude provedena."
DONE = "Aktualizace provedena"


def tyxpack(*args):
    result = wine.run([os.path.join(BUILD, "TyxPack.exe")] + list(args), capture_output=True, timeout=120)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def unpacked(cabinet):
    """A TyxPack package's files, pack.cab's among them in place of pack.cab and pack.lst: name -> bytes."""
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["gcab", "-x", "-C", work, cabinet], check=True, capture_output=True)
        subprocess.run(["gcab", "-x", "-C", work, os.path.join(work, "pack.cab")], check=True, capture_output=True)
        return {n: read(os.path.join(work, n)) for n in os.listdir(work) if n not in ("pack.cab", "pack.lst")}


def repack(cabinet, change):
    """The package's files changed by `change`, packed again without pack.cab."""
    files = unpacked(cabinet)
    change(files)
    make_package(cabinet, files)


def signed_by(key, inf):
    """update.inf or release.inf signed again by this key."""
    listed = inf[:inf.index(b"signature ")]
    signature = subprocess.run(["openssl", "dgst", "-sha256", "-sign", os.path.join(KEYS, f"{key}.pem")],
                               input=listed, capture_output=True, check=True).stdout
    return listed + b"signature " + signature.hex().encode() + b"\r\n"


def opened(path):
    """Whether a process has the file open."""
    for link in glob.glob("/proc/[0-9]*/fd/*"):
        with contextlib.suppress(OSError):
            if os.readlink(link) == path:
                return True
    return False


def plant_while_hashing(inst):
    """Writes evil.dll into the staging folder once the signed check has listed it and hashes the large big.bin."""
    big = os.path.realpath(inst.work("TyxNewVer", "big.bin"))
    wait_until(lambda: any(line.startswith("Soubory aktualizace extrahov") for line in inst.log()), 600, 0.01)
    wait_until(lambda: opened(big), 60, 0.001)
    write(inst.work("TyxNewVer", "evil.dll"), b"evil")


# name, TyxPack's options (None: an unsigned package), change after signing, updater build, the release installed
# before, what runs beside the update, the log line that ends it
UPDATES = [
    ("signed", {}, None, "TyxUpdate", None, None, DONE),
    ("signed, signatures required", {}, None, "TyxUpdateSignedOnly", None, None, DONE),
    ("reissued over its release", {"number": 5, "reissue": 6}, None, "TyxUpdate", 5, None, DONE),
    ("file added while checked", {"files": {"big.bin": bytes(256 << 20)}}, None, "TyxUpdate", None,
     plant_while_hashing, DONE),
    ("changed file", {}, lambda files: files.update({"helper.dll": b"evil"}), "TyxUpdate", None, None,
     "CL - Soubor helper.dll neodpovídá podpisu aktualizace." + REFUSED),
    ("removed file", {}, lambda files: files.pop("readme.txt"), "TyxUpdate", None, None,
     "CL - V aktualizaci chybí podepsaný soubor readme.txt." + REFUSED),
    ("wrong key", {}, lambda files: files.update({"update.inf": signed_by("other", files["update.inf"])}),
     "TyxUpdate", None, None, "CL - Podpis aktualizačního souboru je neplatný." + REFUSED),
    ("unsigned, signatures required", None, None, "TyxUpdateSignedOnly", None, None,
     "CL - Aktualizační soubor není podepsán výrobcem." + REFUSED),
    ("unsigned after signed", None, None, "TyxUpdate", 5, None,
     "CL - Aktualizační soubor není podepsán výrobcem a nainstalováno je podepsané vydání 5." + REFUSED),
    ("older release", {"number": 4}, None, "TyxUpdate", 5, None,
     "CL - Aktualizační soubor obsahuje vydání 4, starší než nainstalované vydání 5." + REFUSED),
]

# name, TyxPack's options, exit code, a line of the output (the package is written only with exit code 0)
PACKS = [
    ("no V build", {"files": {"NorvaV.exe": None}}, 1,
     "Chyba: Chybí soubor NorvaV.exe (sestavení pro Windows Vista a novější)."),
    ("data file", {"files": {"qendata.mdb": b"db"}}, 1, "Chyba: Datový soubor qendata.mdb by při aktualizaci"),
    ("data file asked for", {"files": {"qendata.mdb": b"db"}, "extra": ["--data"]}, 0,
     "Upozornění: Datový soubor qendata.mdb"),
    ("package file", {"files": {"update.inf": b"x"}}, 1, "Chyba: Soubor update.inf je vyhrazen balíčku"),
    ("updater's log", {"files": {"Update.log": b"x"}}, 1, "Chyba: Soubor Update.log by stál místo záznamu"),
    ("unknown product", {"extra": ["--product", "Norwa"]}, 1, "Chyba: Neznámý produkt 'Norwa'; známé jsou Norva"),
    ("name twice", {"files": {"helper.dll": b"twice"}}, 1, "Chyba: Soubor helper.dll je v balíčku dvakrát."),
    ("untrusted key", {"key": "other"}, 1, "odmítnut: Podpis aktualizačního souboru je neplatný."),
    ("reissued", {"number": 5, "reissue": 6}, 0, "Vydání 6 produktu Norva (kanál release)."),
    ("reissued as older", {"number": 5, "reissue": 4}, 1, "Vydání 4 není vyšší než vydání 5 balíčku"),
    ("withdrawn", {"number": 5, "reissue": 6, "command": "withdraw"}, 0, "(kanál release), zavádění od "),
]

# Earlier packages kept by the release engineers, each with the database qendata.mdb: release 4, 5 and 6 of Norva
# (6 with another readme) and 4 of Talvik; the new release 7 adds new.txt. Name, options of pack().
DATA = {"qendata.mdb": b"db"}
EARLIER = [("update-4.cab", {"number": 4, "files": DATA}), ("update-5.cab", {"number": 5, "files": DATA}),
           ("update-6.cab", {"number": 6, "files": DATA | {"readme.txt": b"readme 6"}}),
           ("talvik-4.cab", {"number": 4, "files": DATA, "product": "Talvik"})]
# What each delta of release 7 holds
DELTA_ENTRIES = {"delta-6.cab": {"update.inf", "TyxRelease.inf", "qendata.mdb", "new.txt", "readme.txt"},
                 "delta-5.cab": {"update.inf", "TyxRelease.inf", "qendata.mdb", "new.txt"}}
# name, what is done after publishing release 7 with deltas, verify's exit code, a line of its output
DELTAS = [
    ("published", lambda root: None, 0, "delta-6.cab z vydání 6 odpovídá balíčku."),
    ("halted", lambda root: tyxpack("halt", "--key", win(os.path.join(KEYS, "test.pem")),
                                    win(os.path.join(root, "release.inf"))), 0,
     " UTC; rozdílové aktualizace z vydání 6, 5."),
    ("changed", lambda root: change_delta(root, "delta-6.cab", False), 1,
     "delta-6.cab z vydání 6 neodpovídá popisu vydání."),
    ("changed and listed anew", lambda root: change_delta(root, "delta-6.cab", True), 1,
     "z vydání 6 neodpovídá balíčku (soubor readme.txt neodpovídá podpisu balíčku)."),
    ("missing", lambda root: os.remove(os.path.join(root, "delta-5.cab")), 1, "delta-5.cab z vydání 5 chybí."),
]


def change_delta(root, delta, listed):
    """The delta with release 6's readme.txt in it; `listed`: and release.inf listing it so, signed again."""
    path, descriptor = os.path.join(root, delta), os.path.join(root, "release.inf")
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["gcab", "-x", "-C", work, path], check=True, capture_output=True)
        make_package(path, {n: read(os.path.join(work, n)) for n in os.listdir(work)} | {"readme.txt": b"readme 6"})
    if listed:
        write(descriptor, signed_by("test", re.sub(
            rb"(delta \d+ %s) \d+ [0-9a-f]+" % delta.encode(),
            b"\\1 %d %s" % (os.path.getsize(path), hashlib.sha256(read(path)).hexdigest().encode()), read(descriptor))))


def pack(root, key="test", files=None, extra=(), out=None, product="Norva", channel="release", number=7,
         reissue=None, command="reissue"):
    """TyxPack's update.cab (`out`, else in `root`) of release `number` of `product` with `files` changed (None: left
    out) and a pack.cab of helper.dll; given `reissue`, that package issued again under this number by `command`
    (withdraw: with its release.inf): (exit code, output)."""
    for name, content in dict(release(product), **(files or {})).items():
        if content is not None:
            write(os.path.join(root, "release", name), content)
    write(os.path.join(root, "pack", "helper.dll"), b"dll")
    key, out = win(os.path.join(KEYS, f"{key}.pem")), out or os.path.join(root, "update.cab")
    built = os.path.join(root, "built.cab") if reissue else out
    code, output = tyxpack("build", "--product", product, "--release", str(number), "--channel", channel, "--key", key,
                           "--pack", win(os.path.join(root, "pack")), "--out", win(built), *extra,
                           win(os.path.join(root, "release")))
    return tyxpack(command, "--release", str(reissue), "--key", key, "--out", win(out), win(built)) \
        if reissue and code == 0 else (code, output)


class SignedPackages(WineTestCase):
    def test_updates(self):
        kinds = ("signed", "changed file", "unsigned, signatures required", "older release")
        for name, options, change, program, before, meanwhile, last in [u for u in UPDATES
                                                                         if not EMULATED or u[0] in kinds]:
            with self.subTest(name):
                inst = self.prepare("signed-" + name.replace(" ", "-").replace(",", ""), "Norva", {"NEWVERTYPE": "0"})
                shutil.copy(os.path.join(UPDATERS, program + ".exe"), os.path.join(inst.own, "TyxUpdate.exe"))
                package = os.path.join(inst.data, "update.cab")
                if before:  # installed by an update, its release record with it
                    self.assertEqual(pack(inst.root, number=before, out=package,
                                          files={"NorvaV.exe": stub(b"before")})[0], 0)
                    inst.run()
                    self.assertEqual(inst.log()[-1], DONE)
                seen = len(inst.log())
                if options is None:
                    make_package(package, release("Norva"))
                else:
                    code, out = pack(inst.root, out=package, **options)
                    self.assertEqual(code, 0, out)
                if change:
                    repack(package, change)
                with concurrent.futures.ThreadPoolExecutor(1) as pool:
                    beside = pool.submit(meanwhile or (lambda inst: None), inst)
                    inst.run()
                    beside.result()
                log = inst.log()[seen:]
                self.assertIn(last, log)
                installed = last == DONE
                self.assertEqual(marker_of(inst.read("Norva.exe")), b"V" if installed else b"before" if before else
                                 b"old")
                self.assertEqual("Kopírování souborů..." in log, installed)
                self.assertNotIn("evil.dll", inst.files())
                if not any(line.startswith("Extrahuji soubory") for line in log):  # refused before unpacking the rest
                    self.assertLessEqual(set(os.listdir(inst.work("TyxNewVer"))), {"update.inf", "TyxRelease.inf"})

    def test_tyxpack_refusals_verify_and_help(self):
        for name, options, code, line in PACKS:
            with self.subTest(name), tempfile.TemporaryDirectory(dir=wine.WORK) as root:
                got, out = pack(root, **options)
                self.assertEqual(got, code, out)
                self.assertIn(line, out)
                self.assertEqual(os.path.exists(os.path.join(root, "update.cab")), code == 0)
                self.assertEqual(os.path.exists(os.path.join(root, "release.inf")), "command" in options)
        self.assertEqual(tyxpack()[0], 2)
        with tempfile.TemporaryDirectory(dir=wine.WORK) as root:
            self.assertEqual(pack(root)[0], 0)
            repack(os.path.join(root, "update.cab"), lambda files: files.update({"readme.txt": b"changed"}))
            code, out = tyxpack("verify", win(os.path.join(root, "update.cab")))
        self.assertEqual(code, 1)
        self.assertIn("odmítnut: Soubor readme.txt neodpovídá podpisu aktualizace.", out)
        with tempfile.TemporaryDirectory(dir=wine.WORK) as root:
            earlier = os.path.join(root, "earlier")
            os.mkdir(earlier)
            for name, options in EARLIER:
                code, out = pack(os.path.join(root, name), out=os.path.join(earlier, name), extra=["--data"], **options)
                self.assertEqual(code, 0, out)
            self.assertEqual(pack(root, files=DATA | {"new.txt": b"new"}, extra=["--data"])[0], 0)
            for name, change, code, line in DELTAS:
                with self.subTest(name):
                    got, out = tyxpack("publish", "--key", win(os.path.join(KEYS, "test.pem")), "--now", "--earlier",
                                       win(earlier), "--deltas", "2", win(os.path.join(root, "update.cab")))
                    self.assertEqual(got, 0, out)
                    self.assertIn("talvik-4.cab přeskočen: je pro produkt Talvik a kanál release.", out)
                    self.assertFalse(os.path.exists(os.path.join(root, "delta-4.cab")))
                    for delta, entries in DELTA_ENTRIES.items():
                        listing = subprocess.run(["gcab", "-t", os.path.join(root, delta)], capture_output=True,
                                                 check=True, text=True).stdout
                        self.assertEqual(set(listing.split()), entries, delta)
                    deltas = [d for d in read(os.path.join(root, "release.inf")).split(b"\r\n") if d[:6] == b"delta "]
                    self.assertEqual([d.split()[:3] for d in deltas],
                                     [[b"delta", b"6", b"delta-6.cab"], [b"delta", b"5", b"delta-5.cab"]])
                    change(root)
                    got, out = tyxpack("verify", win(os.path.join(root, "update.cab")))
                    self.assertEqual(got, code, out)
                    self.assertIn(line, out)
                    self.assertIn(deltas[1], read(os.path.join(root, "release.inf")))  # a halt keeps them
