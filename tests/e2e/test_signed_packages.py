"""Packages built and signed by TyxPack.exe under Wine, fed to TyxUpdate.exe."""
import os
import shutil
import subprocess
import tempfile

import wine
from tyx_e2e import BUILD, EMULATED, UPDATER, WineTestCase, make_package, marker_of, read, release, win, write

KEYS = os.environ.get("TYX_KEYS", "")
UPDATERS = os.path.dirname(UPDATER)  # the build under test; TyxPack is the x86_64 one, not emulated
REFUSED = " Aktualizace nebude provedena."


def tyxpack(*args):
    result = wine.run([os.path.join(BUILD, "TyxPack.exe")] + list(args), capture_output=True, timeout=120)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def repack(cabinet, change):
    """The cabinet's files (pack.cab unpacked into them) changed by `change`, packed again without pack.cab."""
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["gcab", "-x", "-C", work, cabinet], check=True, capture_output=True)
        subprocess.run(["gcab", "-x", "-C", work, os.path.join(work, "pack.cab")], check=True, capture_output=True)
        files = {n: read(os.path.join(work, n)) for n in os.listdir(work) if n not in ("pack.cab", "pack.lst")}
    change(files)
    make_package(cabinet, files)


# name, signing key (None: unsigned), change after signing, updater build, the log line that ends it
UPDATES = [
    ("signed", "test", None, "TyxUpdate", "Aktualizace provedena"),
    ("signed, signatures required", "test", None, "TyxUpdateSignedOnly", "Aktualizace provedena"),
    ("changed file", "test", lambda files: files.update({"helper.dll": b"evil"}), "TyxUpdate",
     "CL - Soubor helper.dll neodpovídá podpisu aktualizace." + REFUSED),
    ("added file", "test", lambda files: files.update({"evil.dll": b"x"}), "TyxUpdate",
     "CL - Soubor evil.dll není v podepsaném seznamu aktualizace." + REFUSED),
    ("removed file", "test", lambda files: files.pop("readme.txt"), "TyxUpdate",
     "CL - V aktualizaci chybí podepsaný soubor readme.txt." + REFUSED),
    ("wrong key", "other", None, "TyxUpdate", "CL - Podpis aktualizačního souboru je neplatný." + REFUSED),
    ("unsigned, signatures required", None, None, "TyxUpdateSignedOnly",
     "CL - Aktualizační soubor není podepsán výrobcem." + REFUSED),
]

# name, extra files, extra arguments, exit code, a line of the output
PACKS = [
    ("no V build", {"NorvaV.exe": None}, [], 1, "Chyba: Chybí soubor NorvaV.exe (sestavení pro Windows Vista a novější)."),
    ("data file", {"qendata.mdb": b"db"}, [], 1, "Chyba: Datový soubor qendata.mdb by při aktualizaci přepsal"),
    ("data file asked for", {"qendata.mdb": b"db"}, ["--data"], 0, "Upozornění: Datový soubor qendata.mdb"),
    ("package file", {"update.inf": b"x"}, [], 1, "Chyba: Soubor update.inf je vyhrazen balíčku"),
    ("updater's log", {"Update.log": b"x"}, [], 1, "Chyba: Soubor Update.log by stál místo záznamu"),
    ("unknown product", {}, ["--product", "Norwa"], 1, "Chyba: Neznámý produkt 'Norwa'; známé jsou Norva, NorvaPro"),
    ("name twice", {"helper.dll": b"twice"}, [], 1, "Chyba: Soubor helper.dll je v balíčku dvakrát."),
]


def pack(root, key="test", files=None, extra=(), out=None):
    """TyxPack's update.cab (`out`, else in `root`) of a Norva release with `files` changed (None: left out) and a
    pack.cab of helper.dll: (exit code, output)."""
    for name, content in dict(release("Norva"), **(files or {})).items():
        if content is not None:
            write(os.path.join(root, "release", name), content)
    write(os.path.join(root, "pack", "helper.dll"), b"dll")
    return tyxpack("build", "--product", "Norva", "--key", win(os.path.join(KEYS, f"{key}.pem")), "--pack",
                   win(os.path.join(root, "pack")), "--out", win(out or os.path.join(root, "update.cab")), *extra,
                   win(os.path.join(root, "release")))


class SignedPackages(WineTestCase):
    def test_updates(self):
        kinds = ("signed", "changed file", "unsigned, signatures required")  # valid, tampered, required
        for name, key, change, program, last in [u for u in UPDATES if not EMULATED or u[0] in kinds]:
            with self.subTest(name):
                inst = self.prepare("signed-" + name.replace(" ", "-").replace(",", ""), "Norva", {"NEWVERTYPE": "0"})
                shutil.copy(os.path.join(UPDATERS, program + ".exe"), os.path.join(inst.own, "TyxUpdate.exe"))
                package = os.path.join(inst.data, "update.cab")
                if key:
                    code, out = pack(inst.root, key, out=package)
                    self.assertEqual(code, 0 if key == "test" else 1, out)
                else:
                    make_package(package, release("Norva"))
                if change:
                    repack(package, change)
                inst.run()
                log = inst.log()
                self.assertIn(last, log)
                installed = last == "Aktualizace provedena"
                self.assertEqual(marker_of(inst.read("Norva.exe")), b"V" if installed else b"old")
                self.assertEqual("Kopírování souborů..." in log, installed)

    def test_tyxpack_refusals_verify_and_help(self):
        for name, files, extra, code, line in PACKS:
            with self.subTest(name), tempfile.TemporaryDirectory(dir=wine.WORK) as root:
                got, out = pack(root, files=files, extra=extra)
                self.assertEqual(got, code, out)
                self.assertIn(line, out)
                self.assertEqual(os.path.exists(os.path.join(root, "update.cab")), code == 0)
        self.assertEqual(tyxpack()[0], 2)
        with tempfile.TemporaryDirectory(dir=wine.WORK) as root:
            self.assertEqual(pack(root)[0], 0)
            repack(os.path.join(root, "update.cab"), lambda files: files.update({"readme.txt": b"changed"}))
            code, out = tyxpack("verify", win(os.path.join(root, "update.cab")))
        self.assertEqual(code, 1)
        self.assertIn("odmítnut: Soubor readme.txt neodpovídá podpisu aktualizace.", out)
