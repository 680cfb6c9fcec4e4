"""Web updates of the real TyxUpdate.exe under Wine against the test web hosts (run by webhost.py, inside
the namespace where the hosts resolve and only the test CA is trusted)."""
import os
import unittest

import wine
from tyx_e2e import (BUILD, USER_TEMP, Installation, WineTestCase, background, make_package, marker_of, reg_delete,
                     reg_set, stub, wait_until)
from test_signed_packages import REFUSED, pack, repack
from webhost import NORVA, WebHost

DONE = "Aktualizace provedena"
TITLE = "TyxUpdate - aktualizace"


def setUpModule():
    global HOST
    HOST = WebHost().__enter__()


def tearDownModule():
    HOST.__exit__(None, None, None)


class WebUpdate(WineTestCase):
    def prepare(self, name, product, settings):
        inst = Installation(name)
        inst.add_stub(f"{product}.exe", marker=b"old")
        inst.add_stub("tyxlibupdate.exe")
        for value, text in settings.items():
            reg_set(inst.key(product), value, text)
        self.addCleanup(reg_delete, f"Software\\Tyx\\{product}")
        return inst

    def publish(self, path, product):
        package = os.path.join(wine.WORK, "published.cab")
        make_package(package, {f"{product}V.exe": stub(b"web"), f"{product}XP.exe": stub(b"webXP"),
                               "readme.txt": b"from the web"})
        with open(package, "rb") as f:
            data = f.read()
        HOST.publish(path, data)
        return data

    def run_failing(self, inst, command_line, failure):
        """A failed download leaves the window open: wait for the failure, then close it as the user would."""
        updater = background([os.path.join(inst.own, "TyxUpdate.exe"), command_line])
        wait_until(lambda: failure in inst.log(), 600)
        self.assertIn(failure, inst.log())
        self.assertIsNone(updater.poll(), "the window stays open after a failed download")
        closer = wine.run([os.path.join(BUILD, "DismissBox.exe"), "/close", TITLE, "30"], capture_output=True)
        self.assertEqual(closer.returncode, 0)
        self.assertEqual(updater.wait(timeout=60), 0)

    def test_release_channel_over_https(self):
        inst = self.prepare("web-norva", "Norva", {"NEWVERTYPE": "1"})
        self.publish("/tyx/norva/newverall/update.cab", "Norva")
        inst.run(inst.command_line())
        log = inst.log()
        self.assertEqual(log[:3], ["Typ aktualizace: 1", "Výpočet velikosti souboru update.cab",
                                   f"Doména {NORVA}, cesta /tyx/norva/newverall/update.cab"])
        self.assertTrue(log[3].startswith("Stažení souboru update.cab do "), log[3])
        self.assertTrue(log[3].endswith("\\Temp\\update.cab"), log[3])
        self.assertIn("Stažení souborů dokončeno", log)
        self.assertFalse(any(line.startswith("Velikost souboru nebyla") for line in log), log)
        self.assertEqual(log[-1], DONE)
        self.assertEqual(marker_of(inst.read("Norva.exe")), b"web")
        self.assertEqual(inst.read("readme.txt"), b"from the web")
        self.assertFalse(os.path.exists(os.path.join(inst.data, "update.cab")), "type 1 keeps no copy")
        started = inst.wait_started(2)
        self.assertIn("started tyxlibupdate.exe|/S", started)
        self.assertIn("started Norva.exe|", started)

    def test_signed_package_changed_on_the_host_is_refused(self):
        inst = self.prepare("web-signed", "Norva", {"NEWVERTYPE": "1"})
        self.assertEqual(pack(inst.root)[0], 0)
        package = os.path.join(inst.root, "update.cab")
        repack(package, lambda files: files.update({"NorvaV.exe": stub(b"evil")}))
        with open(package, "rb") as f:
            HOST.publish("/tyx/norva/newverall/update.cab", f.read())
        inst.run(inst.command_line())
        self.assertIn("CL - Soubor NorvaV.exe neodpovídá podpisu aktualizace." + REFUSED, inst.log())
        self.assertEqual(marker_of(inst.read("Norva.exe")), b"old")

    def test_type_2_through_the_proxy_keeps_a_copy_in_the_data_folder(self):
        inst = self.prepare("web-proxy", "NorvaPro", {"NEWVERTYPE": "2", "Proxy": "1", "ProxyAdr": "127.0.0.1:8888"})
        with open(os.path.join(inst.data, "update.cab"), "wb") as f:
            f.write(b"an older package")
        published = self.publish("/tyx/norvapro/newverall/update.cab", "NorvaPro")
        inst.run(inst.command_line())
        log = inst.log()
        self.assertIn("InternetOpen('Norva', 3, 127.0.0.1:8888, vbNullString, 0)", log)
        self.assertEqual(log[-1], DONE)
        self.assertIn(f"CONNECT {NORVA}:443", HOST.proxy_log())
        with open(os.path.join(inst.data, "update.cab"), "rb") as f:
            self.assertEqual(f.read(), published)
        self.assertEqual(marker_of(inst.read("NorvaPro.exe")), b"web")

    def test_missing_file_leaves_the_window_open_and_the_data_folder_alone(self):
        inst = self.prepare("web-404", "NorvaLite", {"NEWVERTYPE": "2"})
        with open(os.path.join(inst.data, "update.cab"), "wb") as f:
            f.write(b"an older package")
        self.run_failing(inst, inst.command_line() + ",beta", "Požadovaný soubor nebyl nalezen")
        self.assertIn(f"Doména {NORVA}, cesta /tyx/norvalite/betaall/update.cab", inst.log())
        with open(os.path.join(inst.data, "update.cab"), "rb") as f:
            self.assertEqual(f.read(), b"an older package")
        self.assertFalse(os.path.exists(os.path.join(USER_TEMP, "update.cab")))
        self.assertEqual(marker_of(inst.read("NorvaLite.exe")), b"old")
        self.assertIn("started NorvaLite.exe|", inst.wait_started(1))

    def test_cut_off_body_is_not_a_package(self):
        inst = self.prepare("web-cut", "Bremo", {"NEWVERTYPE": "1"})
        self.run_failing(inst, inst.command_line(), "Soubor nebyl stažen celý (5004 z 100000 bajtů)\t3")
        log = inst.log()
        self.assertIn("Velikost souboru nebyla zjištěna. (Type mismatch)", log)
        self.assertEqual(inst.backups(), [])
        self.assertFalse(os.path.exists(os.path.join(USER_TEMP, "update.cab")))
        self.assertEqual(marker_of(inst.read("Bremo.exe")), b"old")

    def test_server_error_and_a_size_beyond_32_bits(self):
        inst = self.prepare("web-500", "Bremo", {"NEWVERTYPE": "1"})
        self.run_failing(inst, inst.command_line() + ",Beta", "Server odpověděl stavem HTTP 500\t3")
        self.assertIn("Velikost souboru nebyla zjištěna. (Overflow)", inst.log())
        self.assertEqual(marker_of(inst.read("Bremo.exe")), b"old")

    def test_untrusted_certificate_is_refused_after_a_slow_size_query(self):
        inst = self.prepare("web-rogue", "Talvik", {"NEWVERTYPE": "1"})
        self.run_failing(inst, inst.command_line(), "Nelze navázat připojení k internetu")
        log = inst.log()
        self.assertFalse(any(line.startswith("Velikost souboru nebyla") for line in log), log)
        self.assertEqual(marker_of(inst.read("Talvik.exe")), b"old")
        self.assertIn("started Talvik.exe|", inst.wait_started(1))


if __name__ == "__main__":
    unittest.main()
