"""Local updates from the data folder, run by the real TyxUpdate.exe under Wine."""
import datetime
import os
import re
import shutil
import subprocess
import time
import unittest

from tyx_e2e import (STAGING, BoxDismisser, Installation, WineTestCase, background, make_package, marker_of,
                     reg_delete, reg_get, reg_set, run_on_small_disk, set_windows_version, stub, value_base,
                     wait_until, win)

PRODUCTS = ["Norva", "NorvaPro", "NorvaLite", "Talvik", "TalvikPro", "Bremo"]
DONE = "Aktualizace provedena"


def text_of(path):
    if not os.path.exists(path):
        return ""
    with open(path, encoding="utf-8") as f:
        return f.read()


def log_times(inst):
    """The time stamps of an installation's Update.log ("7. 12. 2026 11:22:59")."""
    with open(os.path.join(inst.own, "Update.log"), "rb") as f:
        stamps = [line[1:line.index(b"]")].decode() for line in f.read().split(b"\r\n") if line]
    return [datetime.datetime(*(int(p) for p in reversed(re.split(r"[. ]+", s.strip())[:3])),
                              *(int(p) for p in s.split()[-1].split(":"))) for s in stamps]


class LocalUpdate(WineTestCase):
    def prepare(self, name, product="Norva", exe=None, files=None, pack=None):
        inst = Installation(name)
        inst.add_stub(exe or f"{product}.exe", marker=b"old")
        inst.add_stub("tyxlibupdate.exe")
        package = files if files is not None else {f"{product}V.exe": stub(b"V"), f"{product}XP.exe": stub(b"XP"),
                                                   "readme.txt": b"new readme"}
        make_package(os.path.join(inst.data, "update.cab"), package, pack)
        reg_set(inst.key(product), "NEWVERTYPE", "0")
        self.addCleanup(reg_delete, f"Software\\Tyx\\{product}")
        return inst

    def test_each_product_on_windows_7(self):
        for product in PRODUCTS:
            with self.subTest(product=product):
                inst = self.prepare(f"nt6-{product}", product, pack={"helper.dll": b"dll"})
                with open(os.path.join(inst.app, "readme.txt"), "wb") as f:
                    f.write(b"old readme")
                inst.run(inst.command_line())
                log = inst.log()
                self.assertEqual(log[-1], DONE)
                self.assertIn(f"{product.lower()}v.exe", log)
                self.assertEqual(marker_of(inst.read(f"{product}.exe")), b"V")
                self.assertEqual(inst.read("helper.dll"), b"dll")
                [backup] = inst.backups()
                self.assertEqual(len(os.path.basename(backup)), 12)
                self.assertEqual(marker_of(inst.read("OldVer", os.path.basename(backup), f"{product}.exe")), b"old")
                self.assertEqual(inst.read("OldVer", os.path.basename(backup), "readme.txt"), b"old readme")
                self.assertFalse(os.path.exists(STAGING))
                started = inst.wait_started(2)
                self.assertIn("started tyxlibupdate.exe|/S", started)
                self.assertIn(f"started {product}.exe|", started)

    def test_windows_xp_takes_the_xp_builds(self):
        set_windows_version("winxp")
        self.addCleanup(set_windows_version, None)
        for product in ("Norva", "Talvik"):
            inst = self.prepare(f"nt5-{product}", product)
            inst.run(inst.command_line())
            self.assertEqual(inst.log()[-1], DONE)
            self.assertEqual(marker_of(inst.read(f"{product}.exe")), b"XP")

    def test_windows_10_counts_as_nt6(self):
        set_windows_version("win10")
        self.addCleanup(set_windows_version, None)
        inst = self.prepare("nt10", "NorvaPro")
        inst.run(inst.command_line())
        self.assertEqual(inst.log()[-1], DONE)
        self.assertEqual(marker_of(inst.read("NorvaPro.exe")), b"V")

    def test_installed_under_another_name(self):
        inst = self.prepare("kasa", "Norva", exe="kasa.exe", pack={"helper.dll": b"dll"})
        reg_set("Software\\Tyx", value_base(inst.app) + "/exe", "kasa")
        reg_set("Software\\Tyx", value_base(inst.app) + "/typ", "Norva")
        self.addCleanup(reg_delete, "Software\\Tyx")
        inst.run(inst.command_line())
        log = inst.log()
        self.assertEqual(log[-1], DONE)
        self.assertIn("Přejmenování souboru Norva.exe na kasa.exe", log)
        self.assertEqual(marker_of(inst.read("kasa.exe")), b"V")
        self.assertEqual(inst.read("helper.dll"), b"dll")
        self.assertFalse(os.path.exists(os.path.join(inst.app, "Norva.exe")))
        self.assertEqual(marker_of(inst.read("OldVer", os.path.basename(inst.backups()[0]), "kasa.exe")), b"old")
        self.assertIn("started kasa.exe|", inst.wait_started(2))
        # The edition builds now lie beside kasa.exe; the next update must still reach kasa.exe.
        self.assertTrue(os.path.exists(os.path.join(inst.app, "NorvaV.exe")))
        make_package(os.path.join(inst.data, "update.cab"), {"NorvaV.exe": stub(b"V2"), "NorvaXP.exe": stub(b"XP2")})
        time.sleep(1)  # a backup folder of its own (named by the second)
        inst.run(inst.command_line())
        self.assertEqual(inst.log()[-1], DONE)
        self.assertEqual(marker_of(inst.read("kasa.exe")), b"V2")
        self.assertFalse(os.path.exists(os.path.join(inst.app, "Norva.exe")))

    def test_running_instance_is_asked_to_quit_and_awaited(self):
        inst = self.prepare("running", "Norva")
        companion = os.path.join(inst.root, "kartoteka")
        os.makedirs(companion)
        inst.add_stub("Kartoteka.exe", companion)
        with open(os.path.join(companion, "window.txt"), "w", encoding="utf-8") as f:
            f.write("Kartotéka Norva")
        running = background([os.path.join(companion, "Kartoteka.exe")])
        record = os.path.join(companion, "started.log")
        wait_until(lambda: "window Kartotéka Norva" in text_of(record))
        # The emulated 32-bit program takes a minute or more to reach the box.
        boxes = BoxDismisser("TyxUpdate - aktualizace", seconds=300)
        inst.run(inst.command_line())
        self.assertEqual(boxes.texts(), ["Aplikace Kartotéka Norva je spuštěna. Nyní proběhne pokus o její uzavření."
                                         "  Pokud bude aplikace uzavřena, aktualizace bude dále pokračovat."])
        running.wait(timeout=30)
        self.assertIn("quit Kartoteka.exe", text_of(record).splitlines())
        log = inst.log()
        self.assertIn("Pokus o zavření aplikace Kartotéka Norva", log)
        self.assertEqual(log[-1], DONE)

    def test_two_runs_at_once_take_turns(self):
        first = self.prepare("twice-norva", "Norva")
        second = self.prepare("twice-bremo", "Bremo")
        running = background([os.path.join(first.own, "TyxUpdate.exe"), first.command_line()])
        wait_until(first.log)  # it logs once it holds the lock
        second.run(second.command_line())
        self.assertEqual(running.wait(timeout=120), 0)
        self.assertEqual(first.log()[-1], DONE)
        self.assertEqual(second.log()[-1], DONE)
        self.assertEqual(marker_of(first.read("Norva.exe")), b"V")
        self.assertEqual(marker_of(second.read("Bremo.exe")), b"V")
        self.assertFalse(os.path.exists(os.path.join(first.app, "BremoV.exe")))
        self.assertFalse(os.path.exists(os.path.join(second.app, "NorvaV.exe")))
        earlier, later = sorted((log_times(first), log_times(second)))
        # The first run's window stays 3 s after its last line; the second starts its steps 1 s after its own
        # window has opened, which it may do only once the first has ended.
        self.assertGreaterEqual((later[0] - earlier[-1]).total_seconds(), 3, "the second run waited")

    def test_read_only_target_halfway_puts_the_previous_version_back(self):
        files = {f"f{i:02}.dll": b"new" for i in range(20)}
        inst = self.prepare("locked", "Talvik", files=dict(files, **{"TalvikV.exe": stub(b"V")}))
        for name in list(files)[::2]:
            with open(os.path.join(inst.app, name), "wb") as f:
                f.write(b"old")
        os.chmod(os.path.join(inst.app, "f10.dll"), 0o444)
        before = inst.files()
        inst.run(inst.command_line())
        log = inst.log()
        self.assertIn("Chyba při aktualizaci!  (Permission denied)", log)
        self.assertTrue([line for line in log if line.startswith("Odstranění souboru")], "failed halfway")
        self.assertEqual(log[-1], "Předchozí verze obnovena")
        self.assertTrue(inst.files() == before)
        started = inst.wait_started(1)
        self.assertIn("started Talvik.exe|", started)
        self.assertNotIn("started tyxlibupdate.exe|/S", started)

    def test_full_temporary_disk(self):
        """The temporary folder on a 4 MB tmpfs."""
        rows = [("unpacks-beyond", {"NorvaV.exe": stub(b"V"), "zeros.bin": bytes(8 << 20)},
                 "Chyba při rozbalování souborů!  (There is not enough space on the disk.)"),
                ("copy-beyond", {"NorvaV.exe": stub(b"V"), "noise.bin": os.urandom(6 << 20)},
                 "Aktualizační soubor 'update.cab' nelze připravit k rozbalení (Disk full)"),
                ("fits", None, DONE)]
        for name, files, last in rows:
            with self.subTest(name):
                inst = self.prepare(f"full-{name}", "Norva", files=files)
                temp = os.path.join(inst.root, "temp")
                subprocess.run(["umount", "-q", temp], stderr=subprocess.DEVNULL)  # left by a killed run
                os.makedirs(temp, exist_ok=True)
                subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", temp], check=True)
                self.addCleanup(subprocess.run, ["umount", temp])
                inst.run(inst.command_line(), temp=temp)
                self.assertEqual(inst.log()[-1], last)
                self.assertEqual(marker_of(inst.read("Norva.exe")), b"V" if last == DONE else b"old")
                if name == "copy-beyond":
                    self.assertNotIn("update.cab", os.listdir(temp), "no partial copy is left")

    def test_application_folder_that_cannot_be_written_is_left_alone(self):
        inst = self.prepare("protected", "Norva")
        subprocess.run(["chattr", "+i", inst.app], check=True)
        self.addCleanup(subprocess.run, ["chattr", "-i", inst.app])
        before = sorted(os.listdir(inst.app))
        inst.run(inst.command_line())
        self.assertEqual(inst.log()[-1], f"Do adresáře aplikace {win(inst.app).lower()} nelze zapisovat. "
                                         "Aktualizace nebude provedena.")
        self.assertEqual(sorted(os.listdir(inst.app)), before)
        self.assertEqual(marker_of(inst.read("Norva.exe")), b"old")

    def test_killed_while_copying_and_while_restoring_then_installed(self):
        files = {f"f{i:03}.dll": b"new %d " % i * 3000 for i in range(300)}
        inst = self.prepare("killed", "Norva", files=dict(files, **{"NorvaV.exe": stub(b"V")}))
        for name in list(files)[::2]:
            with open(os.path.join(inst.app, name), "wb") as f:
                f.write(b"old " + name.encode())
        before = inst.files()

        def journal():
            paths = [os.path.join(b, "TyxUpdate.jnl") for b in inst.backups()]
            return text_of(paths[0]) if paths and os.path.exists(paths[0]) else ""

        inst.run_killed(inst.command_line(), lambda: journal().count("\n") >= 100)
        self.assertNotIn("END", journal())
        self.assertTrue(inst.files() != before, "killed in the middle of the copying")
        inst.run_killed(inst.command_line(), lambda: "\n".join(inst.log()).count("Obnovení souboru") >= 20)
        self.assertNotIn("Předchozí verze obnovena", inst.log(), "killed in the middle of the restore")
        self.assertNotIn("END", journal())
        time.sleep(1)  # a backup folder of its own
        inst.run(inst.command_line())
        log = inst.log()
        first = win(inst.app).lower() + "\\OldVer\\" + os.path.basename(inst.backups()[0])
        self.assertEqual(log.count(f"Nalezena nedokončená aktualizace {first}"), 2)
        self.assertEqual(log[log.index("Předchozí verze obnovena") + 1], "Typ aktualizace: 0")
        self.assertEqual(log[-1], DONE)
        self.assertEqual({n: inst.read(n) for n in files}, files)
        latest = inst.backups()[-1]
        for name in set(before) & set(files) | {"Norva.exe"}:
            with open(os.path.join(latest, name), "rb") as f:
                self.assertEqual(f.read(), before[name], name)

    def test_full_disk_while_installing_changes_nothing(self):
        files = {f"f{i:02}.dll": os.urandom(100_000) for i in range(20)}
        inst = self.prepare("full", "Bremo", files=dict(files, **{"BremoV.exe": stub(b"V")}))
        for name in list(files)[::2]:
            with open(os.path.join(inst.app, name), "wb") as f:
                f.write(os.urandom(100_000))
        before = inst.files()
        run_on_small_disk(inst.app, str(sum(map(len, before.values())) * 2 + 500_000),
                          [os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line()])
        log = inst.log()
        self.assertIn("Chyba při aktualizaci!  (Disk full)", log)
        self.assertEqual(log[-1], "Předchozí verze obnovena")
        self.assertTrue(inst.files() == before)

    # This Wine shows a Unix symbolic link as a reparse point (a junction on Windows), but cannot remove it.
    def test_link_planted_in_the_staging_folder_is_never_followed(self):
        inst = self.prepare("planted", "Norva")
        os.makedirs(STAGING, exist_ok=True)
        os.symlink(inst.app, os.path.join(STAGING, "planted"))
        self.addCleanup(lambda: os.path.lexists(os.path.join(STAGING, "planted")) and
                        os.remove(os.path.join(STAGING, "planted")))
        inst.run(inst.command_line(), window=False)  # refused at start-up
        self.assertTrue(os.path.exists(os.path.join(inst.app, "Norva.exe")), inst.log())

    def test_missing_package_says_so_and_restarts(self):
        inst = self.prepare("nopackage", "Bremo")
        os.remove(os.path.join(inst.data, "update.cab"))
        inst.run(inst.command_line())
        self.assertEqual(inst.log(), ["Typ aktualizace: 0",
                                      "Aktualizační soubor 'update.cab' nebyl nalezen v adresáři s daty."])
        self.assertEqual(inst.wait_started(1), ["started Bremo.exe|"])

    def test_package_without_the_build_for_this_windows_is_refused(self):
        inst = self.prepare("refused", "Norva", files={"NorvaXP.exe": stub(b"XP")})
        boxes = BoxDismisser("Update")
        inst.run(inst.command_line())
        self.assertEqual(boxes.texts(), ["Aktualizační soubor neobsahuje požadované soubory.  "
                                         "Kontaktujte dodavatele programu"])
        self.assertEqual(inst.log()[-1], "CL - Aktualizační soubor neobsahuje požadované soubory.")
        self.assertEqual(reg_get(inst.key("Norva"), "NEWVER"), "0")
        self.assertEqual(marker_of(inst.read("Norva.exe")), b"old")

    def test_package_reaching_outside_the_staging_folder_installs_nothing(self):
        fixtures = os.environ.get("TYX_FIXTURES")
        inst = self.prepare("evil", "Norva")
        shutil.copy(os.path.join(fixtures, "evil.cab"), os.path.join(inst.data, "update.cab"))
        inst.run(inst.command_line())
        self.assertEqual(inst.log()[-1], "Chyba při rozbalování souborů!  "
                                         "(The filename, directory name, or volume label syntax is incorrect.)")
        self.assertFalse(os.path.exists(os.path.join(os.path.dirname(STAGING), "evil.txt")))
        self.assertEqual(inst.backups(), [])


if __name__ == "__main__":
    unittest.main()
