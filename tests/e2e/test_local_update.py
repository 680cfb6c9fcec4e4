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

    def with_old_files(self, name, product, files, **kwargs):
        """Half of `files` installed before (as "old ..."), all of them in the package with the V build."""
        inst = self.local(name, product, dict(files, **{f"{product}V.exe": stub(b"V")}), **kwargs)
        for n in list(files)[::2]:
            write(os.path.join(inst.app, n), b"old " + n.encode())
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

    def test_read_only_target_halfway_puts_the_previous_version_back(self):
        inst, before = self.with_old_files("locked", "Talvik", {f"f{i:02}.dll": b"new" for i in range(20)})
        os.chmod(os.path.join(inst.app, "f10.dll"), 0o444)
        inst.run(inst.command_line())
        log = inst.log()
        self.assertIn("Chyba při aktualizaci!  (Permission denied)", log)
        self.assertTrue([line for line in log if line.startswith("Odstranění souboru")], "failed halfway")
        self.assertEqual(log[-1], RESTORED)
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
                inst = self.local(f"full-{name}", "Norva", files)
                temp = os.path.join(inst.root, "temp")
                subprocess.run(["umount", "-q", temp], stderr=subprocess.DEVNULL)  # left by a killed run
                os.makedirs(temp, exist_ok=True)
                subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", temp], check=True)
                self.addCleanup(subprocess.run, ["umount", "-l", temp])  # Wine's server may still hold a file there
                inst.run(inst.command_line(), temp=temp)
                self.assertEqual(inst.log()[-1], last)
                self.assertEqual(marker_of(inst.read("Norva.exe")), b"V" if last == DONE else b"old")
                self.assertNotIn("update.cab", os.listdir(temp) if name == "copy-beyond" else [], "no partial copy")

    def test_application_folder_that_cannot_be_written_is_left_alone(self):
        inst = self.local("protected", "Norva")
        subprocess.run(["chattr", "+i", inst.app], check=True)
        self.addCleanup(subprocess.run, ["chattr", "-i", inst.app])
        before = inst.files()
        inst.run(inst.command_line())
        self.assertEqual(inst.log()[-1], f"Do adresáře aplikace {win(inst.app).lower()} nelze zapisovat. "
                                         "Aktualizace nebude provedena.")
        self.assertTrue(inst.files() == before)

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

    def test_full_disk_while_installing_changes_nothing(self):
        inst, before = self.with_old_files("full", "Bremo", {f"f{i:02}.dll": os.urandom(100_000) for i in range(20)})
        for name in [n for n in before if n.endswith(".dll")]:
            write(os.path.join(inst.app, name), os.urandom(100_000))
        before = inst.files()
        self.on_small_disk(inst.app, sum(map(len, before.values())) * 2 + 500_000)
        inst.run(inst.command_line())
        self.assertIn("Chyba při aktualizaci!  (Disk full)", inst.log())
        self.assertEqual(inst.log()[-1], RESTORED)
        self.assertTrue(inst.files() == before)

    # This Wine shows a Unix symbolic link as a reparse point (a junction on Windows), but cannot remove it.
    def test_link_planted_in_the_staging_folder_is_never_followed(self):
        inst = self.local("planted", "Norva")
        os.makedirs(STAGING, exist_ok=True)
        link = os.path.join(STAGING, "planted")
        os.symlink(inst.app, link)
        self.addCleanup(lambda: os.path.lexists(link) and os.remove(link))
        inst.run(inst.command_line(), window=False)  # refused at start-up
        self.assertTrue(os.path.exists(os.path.join(inst.app, "Norva.exe")), inst.log())

    def test_package_reaching_outside_the_staging_folder_installs_nothing(self):
        inst = self.local("evil", "Norva")
        shutil.copy(os.path.join(os.environ.get("TYX_FIXTURES"), "evil.cab"), os.path.join(inst.data, "update.cab"))
        inst.run(inst.command_line())
        self.assertEqual(inst.log()[-1], "Chyba při rozbalování souborů!  "
                                         "(The filename, directory name, or volume label syntax is incorrect.)")
        self.assertFalse(os.path.exists(os.path.join(os.path.dirname(STAGING), "evil.txt")))
        self.assertEqual(inst.backups(), [])
