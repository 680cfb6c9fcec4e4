#!/usr/bin/env python3
"""The main job: an update of a demo Norva installation by the shipped (i686) TyxUpdate.exe under Wine, on a
display of its own (Xvfb) unless DISPLAY is set, then what changed in the application folder. The window, as it
looked when the update was done, is saved as build/demo/window.png.

  demo.py        a local update from the data folder
  demo.py web    a web update from the local test host (nginx in a private network namespace)
"""
import hashlib
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("TYX_WORK", os.path.join(BUILD, "demo"))
os.environ.setdefault("TYX_WIN_BUILD", os.path.join(BUILD, "windows-x86_64"))
os.environ.setdefault("TYX_WINE_TEMPLATE", os.path.join(BUILD, "wine-list", "e2e", "wineprefix"))
os.environ.setdefault("TYX_UPDATER", os.path.join(BUILD, "windows-i686", "TyxUpdate.exe"))
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


def prepare():
    inst = tyx_e2e.Installation("demo")
    inst.add_stub("Norva.exe", marker=b"1.0")
    inst.add_stub("tyxlibupdate.exe")
    with open(os.path.join(inst.app, "qendata.mdb"), "wb") as f:
        f.write(b"the customer's data")
    with open(os.path.join(inst.app, "readme.txt"), "w") as f:
        f.write("Norva 1.0\n")
    # The release engineer's side: TyxPack checks, signs and packs the release folder.
    release, extras = os.path.join(inst.root, "release"), os.path.join(inst.root, "pack")
    for folder, files in ((release, {"NorvaV.exe": tyx_e2e.stub(b"2.0 V"), "NorvaXP.exe": tyx_e2e.stub(b"2.0 XP"),
                                     "readme.txt": b"Norva 2.0\n", "TyxUpdate.exe": b"next updater"}),
                          (extras, {"norvarep.dll": b"reports 2.0"})):
        os.makedirs(folder)
        for name, content in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(content)
    package = os.path.join(inst.root, "update.cab")
    key = os.path.join(BUILD, "keys", "test.pem")
    print(f"Running TyxPack.exe build --product Norva --release 1 --key {key} --pack {extras} --out {package} {release}")
    packed = wine.run([os.path.join(tyx_e2e.BUILD, "TyxPack.exe"), "build", "--product", "Norva", "--release", "1", "--key",
                       tyx_e2e.win(key), "--pack", tyx_e2e.win(extras), "--out", tyx_e2e.win(package),
                       tyx_e2e.win(release)], capture_output=True)
    print(packed.stdout.decode("utf-8", "replace"))
    if packed.returncode != 0:
        sys.exit("TyxPack refused the demo package")
    return inst, package


def update(inst, how):
    before = snapshot(inst.app)
    print(f"Demo installation: {inst.app}\n{how}")
    print(f"Running TyxUpdate.exe \"{inst.command_line()}\"")
    updater = tyx_e2e.background([os.path.join(inst.own, "TyxUpdate.exe"), inst.command_line()])
    # The window stays a few seconds after the last line.
    tyx_e2e.wait_until(lambda: inst.log()[-1:] == ["Aktualizace provedena"], 600)
    screenshot(os.path.join(wine.WORK, "window.png"))
    updater.wait()
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


def screenshot(path):
    shot = subprocess.run(["xwd", "-silent", "-name", "TyxUpdate - aktualizace", "-display",
                           wine.environment()["DISPLAY"]], capture_output=True)
    if shot.returncode == 0 and subprocess.run(["convert", "xwd:-", path], input=shot.stdout).returncode == 0:
        print(f"The window: {path}")
    else:
        print(f"No screenshot of the window: {shot.stderr.decode(errors='replace').strip()}")


def phase(text):
    print(f"== {text}…", flush=True)


def local_update():
    phase("Running the update: TyxPack.exe packs a release, the emulated 32-bit TyxUpdate.exe installs it (minutes)")
    inst, package = prepare()
    shutil.copy(package, os.path.join(inst.data, "update.cab"))
    tyx_e2e.reg_set(inst.key("Norva"), "NEWVERTYPE", "0")
    update(inst, f"Package: {inst.data}/update.cab (local update, NEWVERTYPE 0)")


def web_update():
    """Runs inside the test hosts' namespace."""
    import webhost
    phase("Running the update from the local web host: TyxPack.exe packs a release, the emulated 32-bit "
          "TyxUpdate.exe downloads and installs it (minutes)")
    inst, package = prepare()
    tyx_e2e.reg_set(inst.key("Norva"), "NEWVERTYPE", "1")
    with webhost.servers():
        shutil.copy(package, webhost.served("/tyx/norva/newverall/update.cab"))
        update(inst, f"Package: https://{webhost.NORVA}/tyx/norva/newverall/update.cab on the local test host "
                     "(web update, NEWVERTYPE 1)")


def main():
    if sys.argv[1:] == ["--inside"]:
        return web_update()
    web = sys.argv[1:] == ["web"]
    if sys.argv[1:] not in ([], ["web"]):
        sys.exit("usage: demo.py [web]")
    if "DISPLAY" in os.environ:
        os.environ["TYX_USE_DISPLAY"] = "1"
    phase("Preparing Wine (the first start of a prefix boots it; the emulated 32-bit part takes minutes)")
    wine.setup()
    try:
        if web:
            import webhost
            return webhost.run_in_namespace([sys.executable, os.path.abspath(__file__), "--inside"])
        local_update()
    finally:
        wine.cleanup()


if __name__ == "__main__":
    sys.exit(main())
