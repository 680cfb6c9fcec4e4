"""Web updates of the real TyxUpdate.exe under Wine against the test web hosts (run by webhost.py, inside
the namespace where the hosts resolve and only the test CA is trusted)."""
import os

import wine
from tyx_e2e import (BUILD, EMULATED, USER_TEMP, WineTestCase, background, make_package, marker_of, read, release,
                     stub, wait_until, write)
from test_signed_packages import REFUSED, pack, repack
from webhost import NORVA, WebHost

DONE = "Aktualizace provedena"


def setUpModule():
    global HOST
    HOST = WebHost().__enter__()


def tearDownModule():
    HOST.__exit__(None, None, None)


class WebUpdate(WineTestCase):
    def web(self, name, product, settings, published=None):
        inst = self.prepare(name, product, settings)
        write(os.path.join(inst.data, "update.cab"), b"an older package")
        package = os.path.join(wine.WORK, "published.cab")
        make_package(package, release(product, **{f"{product}V.exe": stub(b"web")}))
        if published:
            HOST.publish(published, read(package))
        return inst, read(package)

    def test_release_channel_over_https_and_type_2_through_the_proxy(self):
        rows = [("web-norva", "Norva", {"NEWVERTYPE": "1"}, "/tyx/norva/newverall/update.cab"),
                ("web-proxy", "NorvaPro", {"NEWVERTYPE": "2", "Proxy": "1", "ProxyAdr": "127.0.0.1:8888"},
                 "/tyx/norvapro/newverall/update.cab")]
        for name, product, settings, path in rows:
            with self.subTest(name):
                inst, published = self.web(name, product, settings, path)
                proxy = "Proxy" in settings
                inst.run(inst.command_line())
                log = inst.log()
                self.assertEqual(log[1:3], ["Výpočet velikosti souboru update.cab", f"Doména {NORVA}, cesta {path}"])
                self.assertTrue(log[3].startswith("Stažení souboru update.cab do ") and
                                log[3].endswith("\\Temp\\update.cab"), log[3])
                self.assertIn("Stažení souborů dokončeno", log)
                self.assertFalse(any(line.startswith("Velikost souboru nebyla") for line in log), log)
                self.assertEqual(log[-1], DONE)
                self.assertEqual(marker_of(inst.read(f"{product}.exe")), b"web")
                self.assertEqual(inst.read("readme.txt"), b"new readme")
                self.assertEqual(read(os.path.join(inst.data, "update.cab")),
                                 published if proxy else b"an older package", "only type 2 keeps a copy")
                self.assertIn("started tyxlibupdate.exe|/S", inst.wait_started(2))
                if proxy:
                    self.assertIn("InternetOpen('Norva', 3, 127.0.0.1:8888, vbNullString, 0)", log)
                    self.assertIn(f"CONNECT {NORVA}:443", HOST.proxy_log())

    def test_signed_package_changed_on_the_host_is_refused(self):
        inst = self.prepare("web-signed", "Norva", {"NEWVERTYPE": "1"})
        self.assertEqual(pack(inst.root)[0], 0)
        package = os.path.join(inst.root, "update.cab")
        repack(package, lambda files: files.update({"NorvaV.exe": stub(b"evil")}))
        HOST.publish("/tyx/norva/newverall/update.cab", read(package))
        inst.run(inst.command_line())
        self.assertIn("CL - Soubor NorvaV.exe neodpovídá podpisu aktualizace." + REFUSED, inst.log())
        self.assertEqual(marker_of(inst.read("Norva.exe")), b"old")

    def test_failed_downloads_leave_the_window_open_and_change_nothing(self):
        """A missing file; a host whose certificate comes from a CA nobody trusts. The window stays open: the test
        closes it as the user would."""
        rows = [("web-404", "NorvaLite", "2", ",beta", "Požadovaný soubor nebyl nalezen", None),
                ("web-rogue", "Talvik", "1", "", "Nelze navázat připojení k internetu",
                 "/tyx/talvik/newver/update.cab")]
        for name, product, kind, channel, failure, published in rows[EMULATED:]:  # the emulated build: the rogue
            with self.subTest(name):
                inst, _ = self.web(name, product, {"NEWVERTYPE": kind}, published)
                updater = background([os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line() + channel])
                wait_until(lambda: failure in inst.log(), 600)
                self.assertIn(failure, inst.log())
                self.assertIsNone(updater.poll(), "the window stays open after a failed download")
                closer = wine.run([os.path.join(BUILD, "DismissBox.exe"), "/close", "TyxUpdate - aktualizace", "30"],
                                  capture_output=True)
                self.assertEqual((closer.returncode, updater.wait(timeout=60)), (0, 0))
                self.assertEqual(read(os.path.join(inst.data, "update.cab")), b"an older package")
                self.assertFalse(os.path.exists(os.path.join(USER_TEMP, "update.cab")))
                self.assertEqual((marker_of(inst.read(f"{product}.exe")), inst.backups()), (b"old", []))
                self.assertIn(f"started {product}.exe|", inst.wait_started(1))
