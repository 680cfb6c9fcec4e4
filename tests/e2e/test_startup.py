"""Start-up of the real TyxUpdate.exe: identification, logging, the staging folder."""
import os
import unittest

from tyx_e2e import STAGING, Installation, WineTestCase, reg_delete, reg_set, value_base, win

NO_NAME = "Jméno aplikace nebylo nastaveno. Aplikace nebyla nalezena. Aktualizace nebude provedena."


class StartUp(WineTestCase):
    def test_unknown_folder_logs_the_registry_source_and_starts_nothing(self):
        inst = Installation("unknown")
        result = inst.run(f"{win(inst.data)},{win(inst.app)},norva.exe", window=False)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(inst.log(), [f"Zdroj: Software\\Tyx\\{value_base(inst.app)}/exe", NO_NAME])
        self.assertEqual(inst.started(), [])

    def test_missing_application_folder(self):
        inst = Installation("missing")
        inst.run(f"{win(inst.data)},{win(inst.app)}\\není,norva.exe", window=False)
        self.assertEqual(inst.log()[-1], NO_NAME)

    def test_registry_fallback_with_a_czech_folder_name(self):
        inst = Installation("czech")
        app = os.path.join(inst.root, "Účetnictví")
        os.makedirs(app)
        inst.add_stub("kasa.exe", app)
        base = value_base(app)
        self.assertIn("účetnictví", base)
        reg_set("Software\\Tyx", base + "/exe", "kasa")
        reg_set("Software\\Tyx", base + "/typ", "norva")
        try:
            inst.run(f"{win(inst.data)},{win(app)},kasa.exe", window=False)
            self.assertEqual(inst.log(), ["Typ aplikace norva není definován. Aktualizace nebude provedena."])
            reg_set("Software\\Tyx", base + "/exe", "chybí")
            inst.run(f"{win(inst.data)},{win(app)},kasa.exe", window=False)
            self.assertEqual(inst.log()[-1],
                             f"Aplikace {win(app).lower()}\\chybí.exe nebyla nalezena. Aktualizace nebude provedena.")
        finally:
            reg_delete("Software\\Tyx")

    def test_found_product_empties_the_staging_folder(self):
        inst = Installation("found")
        inst.add_stub("Norva.exe")  # restarted at the end
        reg_set(inst.key("Norva"), "NEWVERTYPE", "0")  # a local update, ended at once for want of a package
        self.addCleanup(reg_delete, "Software\\Tyx\\Norva")
        os.makedirs(os.path.join(STAGING, "sub"), exist_ok=True)
        stale = os.path.join(STAGING, "stale.exe")
        with open(stale, "w") as f:
            f.write("old")
        os.chmod(stale, 0o444)
        inst.run(f" {win(inst.data).upper()} , {win(inst.app)} ,KASA.EXE,,extra")
        self.assertFalse(os.path.exists(stale))
        self.assertTrue(os.path.isdir(os.path.join(STAGING, "sub")))
        self.assertFalse(any("nebude provedena" in line for line in inst.log()))


if __name__ == "__main__":
    unittest.main()
