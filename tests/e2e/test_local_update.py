"""Local updates from the data folder, run by the real TyxUpdate.exe under Wine, and their faults."""
import concurrent.futures
import os
import shutil
import signal
import subprocess
import tempfile
import time

import wine
from tyx_e2e import (BUILD, USER_TEMP, Installation, WineTestCase, background, make_package, marker_of,
                     read, reg, reg_set, release, starters, stub, stub_record, value_base, wait_until, win, write)

DONE = "Aktualizace provedena"
RESTORED = "Předchozí verze obnovena"
FOUND = "Nalezena nedokončená aktualizace "
PACK = {"helper.dll": b"dll"}


def staging_refused(reason):
    return f"Adresář {{app}}\\OldVer\\TyxNewVer nelze připravit pro aktualizaci ({reason}). Aktualizace nebude " \
        "provedena."


def in_prefix(pid):
    """Whether the process runs in the test run's Wine prefix (other runs' may share the machine)."""
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return f"WINEPREFIX={wine.PREFIX}".encode() in f.read().split(b"\0")
    except OSError:
        return False


class LocalUpdate(WineTestCase):
    def local(self, name, product, extra=None, **kwargs):
        """An installation of `product` with update.cab of its release and `extra` files (and a pack.cab of
        helper.dll); half the extra files are there already, as older (random) ones."""
        inst = self.prepare(name, product, {"NEWVERTYPE": "0"}, package=release(product, **extra or {}), pack=PACK,
                            **kwargs)
        for n in list(extra or {})[::2]:
            write(os.path.join(inst.app, n), os.urandom(len(extra[n])))
        return inst

    def on_small_disk(self, folder, size):
        """`folder`, its files kept, on a tmpfs of `size` until the test ends."""
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["umount", "-q", "-l", folder], stderr=subprocess.DEVNULL)  # left by a killed run
        kept = tempfile.mkdtemp(dir=os.path.dirname(folder))
        shutil.copytree(folder, kept, dirs_exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", folder], check=True)
        self.addCleanup(subprocess.run, ["umount", "-l", folder])  # Wine's server may still hold a file there
        shutil.copytree(kept, folder, dirs_exist_ok=True)

    def test_updates_and_their_faults(self):
        """Each product updated; Wine's real file errors leaving the application as it was; a 4 MB temporary folder
        that the update does not use."""
        def small_temp(inst):
            self.on_small_disk(os.path.join(inst.root, "temp"), "4m")
            return os.path.join(inst.root, "temp")

        def protect(inst):
            subprocess.run(["chattr", "+i", inst.app], check=True)
            self.addCleanup(subprocess.run, ["chattr", "-i", inst.app])
        # name, product, package files beyond the release, setup (may give a temporary folder), log lines begun, last
        # (a refusal at start-up shows no window)
        rows = [
            *((p, p, {}, None, [], DONE) for p in ("Norva", "NorvaPro", "NorvaLite", "Talvik", "TalvikPro", "Bremo")),
            # copied in name order: TyxUpdateNew.exe is there to be taken away when z10.dll fails
            ("locked", "Talvik", {**{f"z{i:02}.dll": b"new" for i in range(20)}, "TyxUpdate.exe": b"next updater"},
             lambda inst: os.chmod(os.path.join(inst.app, "z10.dll"), 0o444),
             ["Chyba při aktualizaci!  (Permission denied)", "Odstranění souboru"], RESTORED),
            ("full", "Bremo", {f"f{i:02}.dll": os.urandom(100_000) for i in range(20)},
             # room for the package, the staging folder and half the installation (below OldVer on the same disk)
             lambda inst: self.on_small_disk(inst.app, sum(map(len, inst.files().values())) + 1_500_000 +
                                             int(2.5 * os.path.getsize(os.path.join(inst.data, "update.cab")))),
             ["Chyba při aktualizaci!  (Disk full)"], RESTORED),
            ("protected", "Norva", {}, protect, [], staging_refused("Permission denied")),
            ("small-temp", "Norva", {"zeros.bin": bytes(8 << 20), "noise.bin": os.urandom(6 << 20)}, small_temp, [],
             DONE),
        ]
        for name, product, extra, setup, begun, last in rows:
            with self.subTest(name):
                inst = self.local(f"local-{name}", product, extra)
                before = inst.files()
                temp = setup(inst) if setup else None
                inst.run(temp=temp, window=not last.startswith("Adresář"))
                log = inst.log()
                self.assertEqual(log[-1], last.format(app=win(inst.app).lower()))
                for start in begun:
                    self.assertTrue([line for line in log if line.startswith(start)], start)
                if last != DONE:
                    self.assertFalse({n for n, _ in inst.files().items() ^ before.items()}, "files changed")
                if name == "protected":  # the stubs record their start in the folder that cannot be written
                    continue
                started = inst.wait_started(2 if last == DONE else 1)
                self.assertIn(f"started {product}.exe|", started)
                # Wine runs every program elevated: the desktop's shell, not the updater, must start them.
                self.assertEqual(starters(started), {"explorer.exe"}, started)
                self.assertEqual("started tyxlibupdate.exe|/S" in started, last == DONE, started)
                if last == DONE:
                    self.assertEqual((marker_of(inst.read(f"{product}.exe")), inst.read("helper.dll")), (b"V", b"dll"))
                    [backup] = inst.backups()
                    self.assertEqual(len(os.path.basename(backup)), 12)
                    for old in [f"{product}.exe", *list(extra)[::2]]:
                        self.assertEqual(read(os.path.join(backup, old)), before[old], old)
                    self.assertFalse(os.path.exists(inst.work("TyxNewVer")) or temp and os.listdir(temp))

    def test_installed_under_another_name(self):
        inst = self.local("kasa", "Norva", exe="kasa.exe")
        reg_set("Software\\Tyx", value_base(inst.app) + "/exe", "kasa")
        reg_set("Software\\Tyx", value_base(inst.app) + "/typ", "Norva")
        self.addCleanup(reg, "delete", "HKCU\\Software\\Tyx", "/f")
        for build in (b"V", b"V2"):  # the edition builds then lie beside kasa.exe; the next update still reaches it
            make_package(os.path.join(inst.data, "update.cab"), release("Norva", **{"NorvaV.exe": stub(build)}), PACK)
            time.sleep(1)  # a backup folder of its own (named by the second)
            inst.run()
            self.assertEqual(inst.log()[-1], DONE)
            self.assertEqual((marker_of(inst.read("kasa.exe")), inst.read("helper.dll")), (build, b"dll"))
            self.assertFalse(os.path.exists(os.path.join(inst.app, "Norva.exe")))
        self.assertEqual(inst.log().count("Přejmenování souboru Norva.exe na kasa.exe"), 2)
        self.assertEqual(marker_of(read(os.path.join(inst.backups()[0], "kasa.exe"))), b"old")
        started = inst.wait_started(4)
        self.assertIn("started kasa.exe|", started)
        self.assertEqual(starters(started), {"explorer.exe"}, started)

    def run_with_product_open(self, inst, exe, *options):
        """Runs the update while the stub `exe` shows "Kartotéka Norva", pressing OK on the updater's box (the
        emulated 32-bit program takes minutes to show it): the box must have asked it to quit, and it must have quit."""
        folder = os.path.dirname(exe)
        running = background([exe, *options, "/window", "Kartotéka Norva"])
        wait_until(lambda: "window Kartotéka Norva" in stub_record(folder))
        boxes = os.path.join(inst.root, "boxes")
        dismiss = background([os.path.join(BUILD, "DismissBox.exe"), "TyxUpdate - aktualizace", "1", "300", win(boxes)])
        inst.run()
        dismiss.wait(timeout=330)
        self.assertEqual([line.split("|", 1)[1] for line in read(boxes).decode("utf-16-le").splitlines()],
                         ["Aplikace Kartotéka Norva je spuštěna. Nyní proběhne pokus o její uzavření."
                          "  Pokud bude aplikace uzavřena, aktualizace bude dále pokračovat."])
        running.wait(timeout=30)
        self.assertIn(f"quit {os.path.basename(exe)}", stub_record(folder))
        self.assertIn("Pokus o zavření aplikace Kartotéka Norva", inst.log())

    def test_running_instance_is_asked_to_quit_and_awaited(self):
        inst = self.local("running", "Norva")
        companion = os.path.join(inst.root, "kartoteka")
        inst.add_stub("Kartoteka.exe", companion)
        self.run_with_product_open(inst, os.path.join(companion, "Kartoteka.exe"))
        self.assertEqual(inst.log()[-1], DONE)

    def test_a_desktop_shell_that_never_answers_does_not_hold_the_run(self):
        """Explorer stopped (SIGSTOP) once the update is done: the start of the product through it gives up after
        its limit with the box the user would see, and the updater ends instead of waiting for ever."""
        inst = self.local("mute-shell", "Norva")
        os.remove(os.path.join(inst.app, "tyxlibupdate.exe"))  # one start to give up on, not two
        boxes = os.path.join(inst.root, "boxes")
        dismiss = background([os.path.join(BUILD, "DismissBox.exe"), "Otevřít soubor", "1", "600", win(boxes)])
        with concurrent.futures.ThreadPoolExecutor(1) as pool:
            running = pool.submit(inst.run)
            wait_until(lambda: inst.log()[-1:] == [DONE] or running.done(), 600, 0.01)
            shells = [int(p) for p in subprocess.run(["pgrep", "-f", r"system32\\explorer\.exe"], capture_output=True,
                                                     text=True).stdout.split() if in_prefix(int(p))]
            self.assertTrue(shells and not running.done())
            for pid in shells:
                os.kill(pid, signal.SIGSTOP)
            try:
                running.result()
            finally:
                for pid in shells:
                    os.kill(pid, signal.SIGCONT)
        dismiss.wait(timeout=60)
        self.assertEqual([line.split("|", 1)[1] for line in read(boxes).decode("utf-16-le").splitlines()],
                         [f"Aplikaci {win(inst.app).lower()}\\Norva.exe nelze spustit s právy uživatele. "
                          "Spusťte ji znovu."])

    def test_two_machines_update_one_application_folder(self):
        """Two machines (prefixes), each with its own updater and data folder, updating one shared application
        folder: the second, started while the first installs, waits for it to end instead of undoing its work."""
        files = {f"f{i:03}.dll": b"new %d " % i * 3000 for i in range(300)}
        first, second = self.local("machine-a", "Norva", files), Installation("machine-b")
        second.app, second.prefix = first.app, self.enterContext(wine.another_prefix("machine-b"))
        shutil.copy(os.path.join(first.data, "update.cab"), second.data)
        reg_set(second.key("Norva"), "NEWVERTYPE", "0", prefix=second.prefix)
        with concurrent.futures.ThreadPoolExecutor(1) as pool:
            running = pool.submit(first.run)
            wait_until(lambda: first.backups() or running.done(), 300, 0.01)
            second.run()
            running.result()
        wait = f"Aktualizace v adresáři {win(first.app).lower()} právě probíhá. Čekání na její dokončení."
        self.assertEqual([inst.log().count(wait) for inst in (first, second)], [0, 1])
        for inst in (first, second):
            self.assertFalse([line for line in inst.log() if line.startswith(FOUND)], inst.log())
            self.assertEqual(inst.log()[-1], DONE)
        self.assertEqual({n: first.read(n) for n in files}, files)
        self.assertEqual([read(os.path.join(b, "TyxUpdate.jnl")).split(b"\r\n")[-2:] for b in first.backups()],
                         [[b"END", b""]] * 2)

    def test_unfinished_installation_found_at_start_up(self):
        """A record left by a run that never ended (the new Norva.exe and extra.dll in place, the old Norva.exe in
        its backup folder): undone once the product, which holds its executable open, has been asked to quit; or,
        damaged, refused with nothing changed and no window."""
        rows = [  # name, record, the number of its damaged line
            ("restored", "K Norva.exe\r\nN extra.dll\r\n", None),
            ("reaching-out", "N extra.dll\r\nN ..\\victim.dll\r\n", 2),
            ("unknown-line", "X foo\r\nK Norva.exe\r\n", 1),
        ]
        for name, record, damaged in rows:
            with self.subTest(name):
                inst = self.local(f"record-{name}", "Norva")
                folder = os.path.join(inst.app, "OldVer", "200101120000")
                write(os.path.join(folder, "Norva.exe"), inst.read("Norva.exe"))
                write(os.path.join(folder, "TyxUpdate.jnl"), record.encode())
                inst.add_stub("Norva.exe", marker=b"new")
                write(os.path.join(inst.app, "extra.dll"), b"new")
                victim = os.path.join(inst.root, "victim.dll")
                write(victim, b"outside")
                before, backup = inst.files(), win(inst.app).lower() + "\\OldVer\\200101120000"
                found = FOUND + backup
                if damaged:
                    inst.run(window=False)
                    self.assertEqual(inst.log()[-2:], [found, f"Záznam nedokončené aktualizace {backup}\\TyxUpdate"
                                     f".jnl je poškozen (řádek {damaged}). Aktualizace nebude provedena."])
                    self.assertEqual((inst.files(), read(victim)), (before, b"outside"))
                    self.assertIn("started Norva.exe|", inst.wait_started(1))
                    continue
                self.run_with_product_open(inst, os.path.join(inst.app, "Norva.exe"), "/hold")
                self.assertIn("held Norva.exe", stub_record(inst.app))
                steps = [found, "Pokus o zavření aplikace Kartotéka Norva", "Obnovení souboru Norva.exe",
                         "Odstranění souboru extra.dll", RESTORED, DONE]
                seen = [line for line in inst.log() if line in steps]
                self.assertEqual(seen[:2] + sorted(seen[2:4]) + seen[4:], steps)  # undone in either order
                self.assertFalse(os.path.exists(os.path.join(folder, "Norva.exe")), "the backup moved back")
                self.assertEqual(marker_of(read(os.path.join(inst.backups()[-1], "Norva.exe"))), b"old")
                self.assertEqual((marker_of(inst.read("Norva.exe")), inst.read("extra.dll")), (b"V", b""))

    def test_killed_while_copying_and_while_restoring_then_installed(self):
        files = {f"f{i:03}.dll": b"new %d " % i * 3000 for i in range(300)}
        inst = self.local("killed", "Norva", files)
        before = inst.files()

        def journal():
            return read(os.path.join(inst.backups()[0], "TyxUpdate.jnl")).decode() if inst.backups() else ""

        # The record runs ahead of the files it lists: killed once many have been moved into the backup folder.
        inst.run_killed(lambda: inst.backups() and len(os.listdir(inst.backups()[0])) > 50)
        self.assertNotIn("END", journal(), "killed in the middle of the copying")
        inst.run_killed(lambda: "\n".join(inst.log()).count("Obnovení souboru") >= 10)
        self.assertNotIn(RESTORED, inst.log(), "killed in the middle of the restore")
        self.assertNotIn("END", journal())
        time.sleep(1)  # a backup folder of its own
        inst.run()
        log = inst.log()
        first = win(inst.app).lower() + "\\OldVer\\" + os.path.basename(inst.backups()[0])
        self.assertEqual(log.count(FOUND + first), 2)
        self.assertEqual(log[log.index(RESTORED) + 1], "Typ aktualizace: 0")
        self.assertEqual(log[-1], DONE)
        self.assertEqual({n: inst.read(n) for n in files}, files)
        for name in set(before) & set(files) | {"Norva.exe"}:
            self.assertEqual(read(os.path.join(inst.backups()[-1], name)), before[name], name)

    # This Wine shows a Unix symbolic link as a reparse point (a junction on Windows), but cannot remove it.
    def test_leftovers_in_the_staging_folder(self):
        """What an earlier run left in the staging folder: folders are removed (one stands where the package's
        readme.txt goes); a link planted at its top or deeper is never followed into the application folder. A
        junction where the staging folder was, in the temporary folder, is no longer used at all."""
        refused = staging_refused("Složka není prázdná.")  # the link stays, so start-up refuses
        old_staging = os.path.join(USER_TEMP, "TyxNewVer")
        rows = [  # name, what is left in the staging folder (or at an absolute path), a link to, window, last line
            ("folders", "readme.txt/sub/old.txt", None, True, DONE),
            ("link", "planted", "app", False, refused),
            ("deeper-link", "sub/planted", "app", False, refused),
            ("temp-junction", old_staging, "victim", True, DONE),
        ]
        unlink = lambda: os.path.islink(old_staging) and os.remove(old_staging)  # noqa: E731
        unlink()
        self.addCleanup(unlink)
        for name, left, link, window, last in rows:
            with self.subTest(name):
                inst = self.local(f"staging-{name}", "Norva")
                before, victim = inst.files(), os.path.join(inst.root, "victim")
                write(os.path.join(victim, "victim.txt"), b"victim")
                path = os.path.join(inst.work("TyxNewVer"), left)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                os.symlink(inst.app if link == "app" else victim, path) if link else write(path, b"left")
                inst.run(window=window)
                self.assertTrue(set(before) <= set(inst.files()), inst.log())
                self.assertEqual(inst.log()[-1], last.format(app=win(inst.app).lower()))
                self.assertEqual(os.listdir(victim), ["victim.txt"])
