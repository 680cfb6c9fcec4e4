"""Local updates from the data folder, run by the real TyxUpdate.exe under Wine, and their faults."""
import os
import shutil
import subprocess
import tempfile
import time

from tyx_e2e import (STAGING, WineTestCase, background, make_package, marker_of, read, reg_delete,
                     reg_set, release, stub, value_base, wait_until, win, write)

DONE = "Aktualizace provedena"
RESTORED = "Předchozí verze obnovena"


class LocalUpdate(WineTestCase):
    def local(self, name, product, files=None, **kwargs):
        return self.prepare(name, product, {"NEWVERTYPE": "0"}, package=release(product) if files is None else files,
                            **kwargs)

    def on_small_disk(self, folder, size):
        """`folder`, its files kept, on a tmpfs of `size` until the test ends."""
        subprocess.run(["umount", "-q", "-l", folder], stderr=subprocess.DEVNULL)  # left by a killed run
        kept = tempfile.mkdtemp(dir=os.path.dirname(folder))
        shutil.copytree(folder, kept, dirs_exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", folder], check=True)
        self.addCleanup(subprocess.run, ["umount", "-l", folder])  # Wine's server may still hold a file there
        shutil.copytree(kept, folder, dirs_exist_ok=True)

    def immutable(self, folder):
        subprocess.run(["chattr", "+i", folder], check=True)
        self.addCleanup(subprocess.run, ["chattr", "-i", folder])

    def with_old_files(self, name, product, files, old=None):
        """Half of `files` installed before (`old` of the name, or "old " and the name), all of them in the
        package with the V build."""
        inst = self.local(name, product, dict(files, **{f"{product}V.exe": stub(b"V")}))
        for n in list(files)[::2]:
            write(os.path.join(inst.app, n), old(n) if old else b"old " + n.encode())
        return inst, inst.files()

    def test_each_product_on_windows_7(self):
        for product in ["Norva", "NorvaPro", "NorvaLite", "Talvik", "TalvikPro", "Bremo"]:
            with self.subTest(product=product):
                inst = self.local(f"nt6-{product}", product, pack={"helper.dll": b"dll"})
                write(os.path.join(inst.app, "readme.txt"), b"old readme")
                inst.run(inst.command_line())
                self.assertEqual(inst.log()[-1], DONE)
                self.assertIn(f"{product.lower()}v.exe", inst.log())
                self.assertEqual((marker_of(inst.read(f"{product}.exe")), inst.read("helper.dll")), (b"V", b"dll"))
                [backup] = inst.backups()
                self.assertEqual(len(os.path.basename(backup)), 12)
                self.assertEqual(marker_of(read(os.path.join(backup, f"{product}.exe"))), b"old")
                self.assertEqual(read(os.path.join(backup, "readme.txt")), b"old readme")
                self.assertFalse(os.path.exists(STAGING))
                started = inst.wait_started(2)
                self.assertIn("started tyxlibupdate.exe|/S", started)
                self.assertIn(f"started {product}.exe|", started)

    def test_installed_under_another_name(self):
        inst = self.local("kasa", "Norva", exe="kasa.exe", pack={"helper.dll": b"dll"})
        reg_set("Software\\Tyx", value_base(inst.app) + "/exe", "kasa")
        reg_set("Software\\Tyx", value_base(inst.app) + "/typ", "Norva")
        self.addCleanup(reg_delete, "Software\\Tyx")
        for build in (b"V", b"V2"):  # the edition builds then lie beside kasa.exe; the next update still reaches it
            make_package(os.path.join(inst.data, "update.cab"), release("Norva", **{"NorvaV.exe": stub(build)}),
                         {"helper.dll": b"dll"})
            time.sleep(1)  # a backup folder of its own (named by the second)
            inst.run(inst.command_line())
            self.assertEqual(inst.log()[-1], DONE)
            self.assertEqual((marker_of(inst.read("kasa.exe")), inst.read("helper.dll")), (build, b"dll"))
            self.assertFalse(os.path.exists(os.path.join(inst.app, "Norva.exe")))
        self.assertEqual(inst.log().count("Přejmenování souboru Norva.exe na kasa.exe"), 2)
        self.assertEqual(marker_of(read(os.path.join(inst.backups()[0], "kasa.exe"))), b"old")
        self.assertIn("started kasa.exe|", inst.wait_started(4))

    def test_running_instance_is_asked_to_quit_and_awaited(self):
        inst = self.local("running", "Norva")
        companion = os.path.join(inst.root, "kartoteka")
        inst.add_stub("Kartoteka.exe", companion)
        write(os.path.join(companion, "window.txt"), "Kartotéka Norva".encode())
        running = background([os.path.join(companion, "Kartoteka.exe")])
        record = os.path.join(companion, "started.log")
        wait_until(lambda: "window Kartotéka Norva" in read(record, "r"))
        boxes = self.box_texts("TyxUpdate - aktualizace", seconds=300)  # the emulated 32-bit program takes minutes
        inst.run(inst.command_line())
        self.assertEqual(boxes(), ["Aplikace Kartotéka Norva je spuštěna. Nyní proběhne pokus o její uzavření."
                                   "  Pokud bude aplikace uzavřena, aktualizace bude dále pokračovat."])
        running.wait(timeout=30)
        self.assertIn("quit Kartoteka.exe", read(record, "r").splitlines())
        self.assertIn("Pokus o zavření aplikace Kartotéka Norva", inst.log())
        self.assertEqual(inst.log()[-1], DONE)

    def test_faults_change_nothing_and_the_application_restarts(self):
        """Wine's real file errors; "temp" puts the temporary folder on a 4 MB tmpfs."""
        dlls = {f"f{i:02}.dll": b"new" for i in range(20)}
        big = {f"f{i:02}.dll": os.urandom(100_000) for i in range(20)}
        rows = [  # name, product, package files beyond the V build, their old ones, setup, log lines begun, last
            ("locked", "Talvik", dlls, None, lambda inst: os.chmod(os.path.join(inst.app, "f10.dll"), 0o444),
             ["Chyba při aktualizaci!  (Permission denied)", "Odstranění souboru"], RESTORED),
            ("full", "Bremo", big, lambda name: os.urandom(100_000), lambda inst: self.on_small_disk(
                inst.app, sum(map(len, inst.files().values())) * 2 + 500_000),
             ["Chyba při aktualizaci!  (Disk full)"], RESTORED),
            ("protected", "Norva", {}, None, lambda inst: self.immutable(inst.app), [],
             "Do adresáře aplikace {app} nelze zapisovat. Aktualizace nebude provedena."),
            ("temp-unpacks-beyond", "Norva", {"zeros.bin": bytes(8 << 20)}, None, "temp", [],
             "Chyba při rozbalování souborů!  (There is not enough space on the disk.)"),
            ("temp-copy-beyond", "Norva", {"noise.bin": os.urandom(6 << 20)}, None, "temp", [],
             "Aktualizační soubor 'update.cab' nelze připravit k rozbalení (Disk full)"),
            ("temp-fits", "Norva", {"readme.txt": b"new readme"}, None, "temp", [], DONE),
        ]
        for name, product, files, old, setup, begun, last in rows:
            with self.subTest(name):
                inst, _ = self.with_old_files(f"fault-{name}", product, files, old)
                temp = os.path.join(inst.root, "temp")
                if setup == "temp":
                    os.makedirs(temp, exist_ok=True)
                    self.on_small_disk(temp, "4m")
                else:
                    setup(inst)
                before = inst.files()
                inst.run(inst.command_line(), temp=temp if setup == "temp" else None)
                log = inst.log()
                self.assertEqual(log[-1], last.format(app=win(inst.app).lower()))
                for start in begun:
                    self.assertTrue([line for line in log if line.startswith(start)], start)
                if last == DONE:
                    self.assertEqual(marker_of(inst.read(f"{product}.exe")), b"V")
                    continue
                self.assertTrue(inst.files() == before)
                if name == "protected":  # the stubs record their start in the folder that cannot be written
                    continue
                started = inst.wait_started(1)
                self.assertIn(f"started {product}.exe|", started)
                self.assertNotIn("started tyxlibupdate.exe|/S", started)

    def test_killed_while_copying_and_while_restoring_then_installed(self):
        files = {f"f{i:03}.dll": b"new %d " % i * 3000 for i in range(300)}
        inst, before = self.with_old_files("killed", "Norva", files)

        def journal():
            return read(os.path.join(inst.backups()[0], "TyxUpdate.jnl"), "r") if inst.backups() else ""

        inst.run_killed(inst.command_line(), lambda: journal().count("\n") >= 100)
        self.assertNotIn("END", journal())
        self.assertTrue(inst.files() != before, "killed in the middle of the copying")
        inst.run_killed(inst.command_line(), lambda: "\n".join(inst.log()).count("Obnovení souboru") >= 20)
        self.assertNotIn(RESTORED, inst.log(), "killed in the middle of the restore")
        self.assertNotIn("END", journal())
        time.sleep(1)  # a backup folder of its own
        inst.run(inst.command_line())
        log = inst.log()
        first = win(inst.app).lower() + "\\OldVer\\" + os.path.basename(inst.backups()[0])
        self.assertEqual(log.count(f"Nalezena nedokončená aktualizace {first}"), 2)
        self.assertEqual(log[log.index(RESTORED) + 1], "Typ aktualizace: 0")
        self.assertEqual(log[-1], DONE)
        self.assertEqual({n: inst.read(n) for n in files}, files)
        for name in set(before) & set(files) | {"Norva.exe"}:
            self.assertEqual(read(os.path.join(inst.backups()[-1], name)), before[name], name)

    # This Wine shows a Unix symbolic link as a reparse point (a junction on Windows), but cannot remove it.
    def test_link_planted_in_the_staging_folder_is_never_followed(self):
        inst = self.local("planted", "Norva")
        os.makedirs(STAGING, exist_ok=True)
        link = os.path.join(STAGING, "planted")
        os.symlink(inst.app, link)
        self.addCleanup(lambda: os.path.lexists(link) and os.remove(link))
        inst.run(inst.command_line(), window=False)  # refused at start-up
        self.assertTrue(os.path.exists(os.path.join(inst.app, "Norva.exe")), inst.log())
