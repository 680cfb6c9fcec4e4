#!/usr/bin/env python3
"""The main job: a demonstration run of TyxUpdate.exe under Wine on a demo installation made on the spot."""
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("TYX_WORK", os.path.join(BUILD, "demo"))
import wine  # noqa: E402

WIN_BUILD = os.path.join(BUILD, "windows-x86_64")


def win(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    demo = os.path.join(wine.WORK, "installation")
    shutil.rmtree(demo, ignore_errors=True)
    own, app, data = (os.path.join(demo, d) for d in ("updater", "Norva", "data"))
    for d in (own, app, data):
        os.makedirs(d)
    shutil.copy(os.path.join(WIN_BUILD, "TyxUpdate.exe"), own)
    shutil.copy(os.path.join(WIN_BUILD, "StubApp.exe"), os.path.join(app, "Norva.exe"))
    if not os.path.isdir(wine.PREFIX):
        wine.setup()
    elif "DISPLAY" not in wine.environment():
        wine.setup()
    print(f"Running TyxUpdate.exe \"{win(data)},{win(app)},norva.exe\"")
    wine.run([os.path.join(own, "TyxUpdate.exe"), f"{win(data)},{win(app)},norva.exe"], timeout=600)
    log = os.path.join(own, "Update.log")
    print("--- Update.log ---")
    if os.path.exists(log):
        print(open(log, encoding="cp1250").read().replace("\r\n", "\n"), end="")
    wine.cleanup()


if __name__ == "__main__":
    main()
