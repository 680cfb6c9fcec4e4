"""Web updates of the real TyxUpdate.exe under Wine against the test web hosts (run by webhost.py, inside
the namespace where the hosts resolve and only the test CA is trusted)."""
import os
import unittest

import webhost

import wine
from tyx_e2e import (BUILD, EMULATED, WineTestCase, background, make_package, marker_of, read, release,
                     stub, wait_until, win, write)
from test_signed_packages import KEYS, REFUSED, pack, repack, tyxpack, unpacked
from webhost import ACCESS_LOG, NORVA, PROXY_LOG, served, servers

DONE = "Aktualizace provedena"
KIB, MIB = 1024, 1024 * 1024
BREMO_PATH = "/tyx/bremo/newver/update.cab"


def setUpModule():
    unittest.enterModuleContext(servers())


class WebUpdate(WineTestCase):
    def web(self, name, product, settings, path=None):
        """An installation with an older update.cab in its data folder; a "web" V build published at `path`."""
        inst = self.prepare(name, product, settings)
        write(os.path.join(inst.data, "update.cab"), b"an older package")
        if path:
            make_package(served(path), release(product, **{f"{product}V.exe": stub(b"web")}))
        return inst

    def test_release_channel_over_https_and_type_2_through_the_proxy(self):
        rows = [("web-norva", "Norva", {"NEWVERTYPE": "1"}, "/tyx/norva/newverall/update.cab"),
                ("web-proxy", "NorvaPro", {"NEWVERTYPE": "2", "Proxy": "1", "ProxyAdr": "127.0.0.1:8888"},
                 "/tyx/norvapro/newverall/update.cab")]
        for name, product, settings, path in rows:
            with self.subTest(name):
                inst = self.web(name, product, settings, path)
                proxy = "Proxy" in settings
                inst.run()
                log = inst.log()
                self.assertFalse(any(line.startswith("Velikost souboru nebyla") for line in log), log)
                self.assertEqual(log[-1], DONE)
                self.assertEqual(marker_of(inst.read(f"{product}.exe")), b"web")
                self.assertEqual(read(os.path.join(inst.data, "update.cab")),
                                 read(served(path)) if proxy else b"an older package", "only type 2 keeps a copy")
                self.assertIn("started tyxlibupdate.exe|/S", inst.wait_started(2))
                if proxy:
                    self.assertIn("InternetOpen('Norva', 3, 127.0.0.1:8888, vbNullString, 0)", log)
                    self.assertIn(f"CONNECT {NORVA}:443", read(PROXY_LOG).decode(errors="replace"))

    def test_refused_signed_packages_are_not_shared(self):
        """Signed packages from the host that the updater refuses; with type 2 the data folder keeps its package."""
        rows = [  # name, type, TyxPack's options, change after signing, the refusal
            ("web-changed", "1", {}, lambda files: files.update({"NorvaV.exe": stub(b"X")}),
             "Soubor NorvaV.exe neodpovídá podpisu aktualizace."),
            ("web-talvik", "2", {"product": "Talvik"}, None,
             "Aktualizační soubor je určen pro produkt Talvik, ne pro Norva."),
        ]
        for name, kind, options, change, refusal in rows:
            with self.subTest(name):
                inst = self.web(name, "Norva", {"NEWVERTYPE": kind})
                package = served("/tyx/norva/newverall/update.cab")
                self.assertEqual(pack(inst.root, out=package, **options)[0], 0)
                if change:
                    repack(package, change)
                inst.run()
                self.assertIn("CL - " + refusal + REFUSED, inst.log())
                self.assertEqual(marker_of(inst.read("Norva.exe")), b"old")
                self.assertEqual((os.listdir(inst.data), read(os.path.join(inst.data, "update.cab"))),
                                 (["update.cab"], b"an older package"))

    def test_failed_downloads_leave_the_window_open_and_change_nothing(self):
        """A missing file; a host whose certificate comes from a CA nobody trusts. The window stays open: the test
        closes it as the user would."""
        rows = [("web-404", "NorvaLite", "2", ",beta", "Požadovaný soubor nebyl nalezen", None),
                ("web-rogue", "Talvik", "1", "", "Nelze navázat připojení k internetu",
                 "/tyx/talvik/newver/update.cab")]
        for name, product, kind, channel, failure, path in rows[EMULATED:]:  # the emulated build: the rogue
            with self.subTest(name):
                inst = self.web(name, product, {"NEWVERTYPE": kind}, path)
                updater = background([os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line() + channel])
                wait_until(lambda: failure in inst.log(), 600)
                self.assertIn(failure, inst.log())
                self.assertIsNone(updater.poll(), "the window stays open after a failed download")
                closer = wine.run([os.path.join(BUILD, "DismissBox.exe"), "/close", "TyxUpdate - aktualizace", "30"],
                                  capture_output=True)
                self.assertEqual((closer.returncode, updater.wait(timeout=60)), (0, 0))
                self.assertEqual(read(os.path.join(inst.data, "update.cab")), b"an older package")
                self.assertFalse(os.path.exists(inst.work("update.cab")))
                self.assertEqual((marker_of(inst.read(f"{product}.exe")), inst.backups()), (b"old", []))
                self.assertIn(f"started {product}.exe|", inst.wait_started(1))

    def test_broken_downloads_go_on_where_they_broke(self):
        """Bremo's host breaks, stalls, slows or rewrites requests as each row's plan says (webhost.FaultyHost).
        Every row ends with the package installed, in one run or, after a failed or closed one, in a second."""
        replace = lambda: make_package(served(BREMO_PATH), release("Bremo", **{"BremoV.exe": stub(b"new"),
                                                                                 "data.bin": os.urandom(3 * MIB)}))
        cut, resumed = {"cut": MIB}, "Stažení souboru navazuje na staženou část ("
        rows = [  # name, settings, plan, a status line of the (first) run, how it ends: done / failed / closed
            ("cut-once", {}, [cut], resumed, "done"),
            ("cut-twice", {}, [cut, cut], "Další pokus za 15 s.", "done"),
            ("cut-always", {}, [{"cut": 128 * KIB}] * 4, "Další pokus za 40 s.", "failed"),
            ("ranges-ignored", {}, [cut, {"range": ""}],
             "Server neposlal navazující část; stažení začíná znovu od začátku", "done"),
            ("wrong-offset", {}, [cut, {"range": "bytes=1-"}], "Server poslal jinou část souboru (bytes 1-", "done"),
            ("replaced", {}, [dict(cut, then=replace)], "Server neposlal navazující část", "done"),
            ("stalled", {}, [{"stall": MIB}], "Přenos souboru byl přerušen (chyba 12002)", "done"),
            ("closed", {}, [{"slow": MIB}], "Stažení souboru", "closed"),
            ("proxy", {"Proxy": "1", "ProxyAdr": "127.0.0.1:8888"}, [cut], resumed, "done"),
        ]
        for name, settings, plan, shown, ends in rows[:1] if EMULATED else rows:
            with self.subTest(name):
                inst = self.web(name, "Bremo", dict(settings, NEWVERTYPE="1"))
                part = inst.work("update.cab.part")
                make_package(served(BREMO_PATH), release("Bremo", **{"BremoV.exe": stub(b"web"),
                                                                      "data.bin": os.urandom(3 * MIB)}))
                size = os.path.getsize(served(BREMO_PATH))
                webhost.FAULTS.reset(plan)
                if ends == "done":
                    inst.run()
                else:
                    updater = background([os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line()])
                    if ends == "failed":
                        wait_until(lambda: inst.log()[-1:] and inst.log()[-1].endswith("\t3"), 600)
                        self.assertIsNone(updater.poll(), "the window stays open after a failed download")
                    else:
                        wait_until(lambda: os.path.exists(part) and os.path.getsize(part) > MIB, 600)
                    closer = wine.run([os.path.join(BUILD, "DismissBox.exe"), "/close", "TyxUpdate - aktualizace",
                                       "60"], capture_output=True)
                    self.assertEqual((closer.returncode, updater.wait(timeout=60)), (0, 0))
                    self.assertIn("started Bremo.exe|", inst.wait_started(1))
                    self.assertTrue(os.path.getsize(part) > 0 and os.path.exists(inst.work("update.cab.resume")))
                    self.assertTrue(any(line.startswith("Stažení souboru zastaveno uživatelem (") for line in inst.log())
                                    if ends == "closed" else inst.log()[-1].endswith("\t3"), inst.log())
                    first = inst.log()
                    webhost.FAULTS.plan = []
                    inst.run()  # the next run goes on with what the first left
                    self.assertIn(resumed, "\n".join(inst.log()[len(first):]))
                log = inst.log()
                self.assertTrue(any(line.startswith(shown) or line.endswith(shown) for line in log), (shown, log))
                self.assertEqual(log[-1], DONE)
                self.assertEqual(marker_of(inst.read("Bremo.exe")), b"new" if name == "replaced" else b"web")
                self.assertFalse(os.path.exists(part) or os.path.exists(inst.work("update.cab.resume")))
                if "range" not in str(plan) and name != "replaced":  # what broke off was never sent again
                    self.assertLess(sum(webhost.FAULTS.sent), 1.05 * size, webhost.FAULTS.sent)

    def test_the_hosts_release_descriptor(self):
        """Bremo's host with a release.inf written by TyxPack beside the package, its Date set by each row (a
        rollout that started on 1 December 2026 and reaches everyone in ten days)."""
        descriptor = served(BREMO_PATH.replace("update.cab", "release.inf"))
        self.addCleanup(lambda: os.path.exists(descriptor) and os.remove(descriptor))
        self.addCleanup(webhost.FAULTS.reset)
        before, after = "Mon, 30 Nov 2026 12:00:00 GMT", "Mon, 14 Dec 2026 12:00:00 GMT"
        flip = lambda: write(descriptor, read(descriptor)[:-3] + (b"0" if read(descriptor)[-3:-2] != b"0" else b"1")
                             + b"\r\n")
        rows = [  # name, TyxPack's package options, publish options, then, the Date, the release installed, the end
            ("let through", {}, ["--start", "2026-12-01", "--days", "10"], None, after, 6, DONE),
            ("held back", {}, ["--start", "2026-12-01", "--days", "10"], None, before, 6,
             "Vydání 7 se k této instalaci dostane později (zavádění je na 0 %)."),
            ("halted", {}, ["--start", "2027-01-01", "--days", "10"], "halt", "Tue, 01 Jun 2027 12:00:00 GMT", 6,
             "Vydání 7 se k této instalaci dostane později (zavádění je na 0 %)."),
            ("installed", {}, ["--now"], None, after, 7, "Nainstalované vydání je aktuální (vydání 7). Není co stahovat."),
            ("not the maker's", {}, ["--now"], flip, after, 6,
             "CL - Popis vydání na serveru není podepsán výrobcem." + REFUSED),
            ("another product", {"product": "Talvik"}, ["--now"], None, after, 6,
             "CL - Popis vydání na serveru je určen pro produkt Talvik, ne pro Bremo." + REFUSED),
            ("another channel", {"channel": "beta"}, ["--now"], None, after, 6,
             "CL - Popis vydání na serveru je určen pro kanál beta, ne pro release." + REFUSED),
            ("another package", {}, ["--now"], "repack", after, 6,
             "CL - Stažený soubor update.cab neodpovídá popisu vydání." + REFUSED),
        ]
        key = win(os.path.join(KEYS, "test.pem"))
        for name, options, publish, then, date, installed, last in rows:
            with self.subTest(name):
                inst = self.web("descriptor-" + name.replace(" ", "-").replace("'", ""), "Bremo", {"NEWVERTYPE": "1"})
                write(os.path.join(inst.app, "TyxRelease.inf"),
                      b"TyxUpdate release 1\r\nproduct Bremo\r\nchannel release\r\nnumber %d\r\n" % installed)
                self.assertEqual(pack(inst.root, out=served(BREMO_PATH), **dict({"product": "Bremo"}, **options))[0], 0)
                code, said = tyxpack("publish", "--key", key, *publish, win(served(BREMO_PATH)))
                self.assertEqual(code, 0, said)
                if then == "halt":
                    self.assertEqual(tyxpack("halt", "--key", key, win(descriptor))[0], 0)
                elif then == "repack":
                    repack(served(BREMO_PATH), lambda files: None)  # signed as before, another cabinet
                elif then:
                    then()
                self.assertEqual(tyxpack("verify", win(served(BREMO_PATH)))[0], 1 if then in (flip, "repack") else 0)
                webhost.FAULTS.reset(date=date)
                served_before = len(read(ACCESS_LOG).splitlines())
                inst.run()
                self.assertEqual(inst.log()[-1], last)
                downloads = [e for e in read(ACCESS_LOG).splitlines()[served_before:] if b"update.cab" in e]
                self.assertEqual(bool(downloads), last == DONE or "update.cab" in last, downloads)
                self.assertEqual(marker_of(inst.read("Bremo.exe")), b"V" if last == DONE else b"old")
                self.assertIn("started Bremo.exe|", inst.wait_started(1))

    def test_delta_packages(self):
        """Release 7 on Bremo's host with a delta from release 6, which the application folder holds: BremoV.exe and
        readme.txt changed, BremoXP.exe and pack.cab's helper.dll not. Every row ends with release 7 installed."""
        folder = os.path.dirname(served(BREMO_PATH))
        delta = os.path.join(folder, "delta-6.cab")
        self.addCleanup(lambda: [os.remove(os.path.join(folder, f)) for f in ("release.inf", "delta-6.cab")
                                 if os.path.exists(os.path.join(folder, f))])
        fallback = "Rozdílovou aktualizaci nelze použít (soubor {}). Stahuje se celý soubor update.cab."
        rows = [  # name, a change before the run, the line that tells how the release came
            ("applied", None, "Soubory nezměněné od vydání 6 převzaty z adresáře aplikace: 2."),
            ("changed by hand", lambda inst: write(os.path.join(inst.app, "helper.dll"), b"by hand"),
             fallback.format("helper.dll v adresáři aplikace se liší od vydání 6")),
            ("missing", lambda inst: os.remove(delta), fallback.format("delta-6.cab nebyl nalezen")),
        ]
        key = win(os.path.join(KEYS, "test.pem"))
        installed = lambda package: {n: data for n, data in unpacked(package).items() if n != "update.inf"}
        for name, change, shown in rows[:1] if EMULATED else rows:
            with self.subTest(name):
                inst = self.web("delta-" + name.replace(" ", "-"), "Bremo", {"NEWVERTYPE": "1"})
                earlier = os.path.join(inst.root, "earlier", "update-6.cab")
                os.makedirs(os.path.dirname(earlier))
                self.assertEqual(pack(inst.root, out=earlier, product="Bremo", number=6,
                                      files={"BremoV.exe": stub(b"V6"), "readme.txt": b"readme of 6"})[0], 0)
                for file, content in installed(earlier).items():  # as an update of release 6 left them
                    write(os.path.join(inst.app, file), content)
                self.assertEqual(pack(inst.root, out=served(BREMO_PATH), product="Bremo")[0], 0)
                code, said = tyxpack("publish", "--key", key, "--now", "--earlier", win(os.path.dirname(earlier)),
                                     win(served(BREMO_PATH)))
                self.assertEqual(code, 0, said)
                if change:
                    change(inst)
                webhost.FAULTS.reset()
                served_before = len(read(ACCESS_LOG).splitlines())
                inst.run()
                log = inst.log()
                self.assertEqual((shown in log, log[-1]), (True, DONE), log)
                if not change:
                    self.assertIn(f"Rozdílová aktualizace z vydání 6: soubor delta-6.cab {os.path.getsize(delta)} "
                                  "bajtů.", log)
                    self.assertIn(f"Stažení souboru delta-6.cab do {win(inst.app).lower()}\\OldVer\\delta-6.cab",
                                  log)
                fetched = [e.split()[1].rsplit(b"/", 1)[-1] + b" " + e.split()[2]
                           for e in read(ACCESS_LOG).splitlines()[served_before:]]
                self.assertEqual((b"delta-6.cab 200" in fetched, b"update.cab 200" in fetched),
                                 (True, False) if not change else (name != "missing", True), fetched)
                new = installed(served(BREMO_PATH))
                self.assertEqual({file: inst.read(file) for file in new}, new)
                self.assertEqual(inst.read("Bremo.exe"), new["BremoV.exe"])
                self.assertIn("started Bremo.exe|", inst.wait_started(2))
