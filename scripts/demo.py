#!/usr/bin/env python3
"""The main job: a local update of a demo Norva installation by TyxUpdate.exe under Wine, on a display of
its own (Xvfb) unless DISPLAY is set, then what changed in the application folder."""
import hashlib
import os
import shutil
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("TYX_WORK", os.path.join(BUILD, "demo"))
os.environ.setdefault("TYX_WIN_BUILD", os.path.join(BUILD, "windows-x86_64"))
import wine  # noqa: E402
import tyx_e2e  # noqa: E402


def snapshot(folder):
    files = {}
    for base, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = hashlib.sha1(f.read()).hexdigest()
    return files


def main():
    own_display = "DISPLAY" not in os.environ
    if not own_display:
        os.environ["TYX_USE_DISPLAY"] = "1"
    wine.setup()
    try:
        inst = tyx_e2e.Installation("demo")
        inst.add_stub("Norva.exe", marker=b"1.0")
        inst.add_stub("tyxlibupdate.exe")
        with open(os.path.join(inst.app, "qendata.mdb"), "wb") as f:
            f.write(b"the customer's data")
        with open(os.path.join(inst.app, "readme.txt"), "w") as f:
            f.write("Norva 1.0\n")
        tyx_e2e.make_package(os.path.join(inst.data, "update.cab"),
                             {"NorvaV.exe": tyx_e2e.stub(b"2.0 V"), "NorvaXP.exe": tyx_e2e.stub(b"2.0 XP"),
                              "readme.txt": b"Norva 2.0\n", "TyxUpdate.exe": b"next updater"},
                             pack={"norvarep.dll": b"reports 2.0"})
        tyx_e2e.reg_set(inst.key("Norva"), "NEWVERTYPE", "0")
        before = snapshot(inst.app)
        print(f"Demo installation: {inst.app}\nPackage: {inst.data}/update.cab (local update, NEWVERTYPE 0)")
        print(f"Running TyxUpdate.exe \"{inst.command_line()}\"" + (" on Xvfb" if own_display else ""))
        inst.run(inst.command_line())
        started = inst.wait_started(2)
        after = snapshot(inst.app)
        print("\n--- Update.log ---")
        for line in inst.log():
            print(line)
        print("\n--- What changed in the application folder ---")
        for name in sorted(set(before) | set(after)):
            if name == "started.log":
                continue
            if name not in before:
                print(f"  new      {name}")
            elif name not in after:
                print(f"  removed  {name}")
            elif before[name] != after[name]:
                print(f"  replaced {name}")
        print(f"  Norva.exe is now build {tyx_e2e.marker_of(inst.read('Norva.exe')).decode()}")
        print("\n--- Programs started after the update ---")
        for line in started:
            print("  " + line)
    finally:
        wine.cleanup()


if __name__ == "__main__":
    main()
