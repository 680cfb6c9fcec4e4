"""Fake installations and runs of the real TyxUpdate.exe under Wine."""
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
import unittest

import wine

BUILD = os.environ.get("TYX_WIN_BUILD", "")
# The updater under test may come from another build (the shipped i686 one) than the helper programs.
UPDATER = os.environ.get("TYX_UPDATER") or os.path.join(BUILD, "TyxUpdate.exe")
# The emulated 32-bit build takes minutes per run: its entries take a representative few rows of a table.
EMULATED = os.environ.get("TYX_ARCH") == "i686"
WORK = wine.WORK


def win(path):
    """The Windows form of a Unix path, as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def value_base(folder):
    """The application folder as the updater names its registry values: lower case, "/" for "\\"."""
    return win(folder).lower().replace("\\", "/")


def _user_temp():
    """The temporary folder that programs in the prefix are given, as a Unix path."""
    if not BUILD or not os.path.isdir(wine.PREFIX):  # the demo imports this before it makes its prefix
        return ""
    echoed = wine.run(["cmd", "/c", "echo %TEMP%"], capture_output=True).stdout.decode().strip()
    return wine.run(["winepath", "-u", echoed], capture_output=True).stdout.decode().strip()


USER_TEMP = _user_temp()
STAGING = os.path.join(USER_TEMP, "TyxNewVer")


def read(path, mode="rb"):
    if not os.path.exists(path):
        return b"" if mode == "rb" else ""
    with open(path, mode) as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


class Installation:
    """A folder with the updater in it and an application folder with stub product executables."""

    def __init__(self, name):
        self.root = os.path.join(WORK, "runs", name)
        shutil.rmtree(self.root, ignore_errors=True)
        self.own, self.app, self.data = (os.path.join(self.root, d) for d in ("updater", "app", "data"))
        for d in (self.own, self.app, self.data):
            os.makedirs(d)
        shutil.copy(UPDATER, os.path.join(self.own, "TyxUpdate.exe"))

    def add_stub(self, name, folder=None, marker=b"installed"):
        write(os.path.join(folder or self.app, name), stub(marker))

    def key(self, product):
        return f"Software\\Tyx\\{product}\\{value_base(self.app)}"

    def command_line(self):
        return f"{win(self.data)},{win(self.app)},ignored.exe"

    def read(self, *parts):
        return read(os.path.join(self.app, *parts))

    def backups(self):
        root = os.path.join(self.app, "OldVer")
        return [os.path.join(root, d) for d in sorted(os.listdir(root))] if os.path.isdir(root) else []

    def run(self, command_line, timeout=600, temp=None, window=True):
        """Runs the updater to its end; it must end with 0 and show its window, or not (`window`), as told."""
        exe = os.path.join(self.own, "TyxUpdate.exe")
        # Wine takes TEMP from the registry, but a program inherits its parent's.
        args = ["cmd", "/c", f"set TMP={win(temp)}&& set TEMP={win(temp)}&& {win(exe)} {command_line}"] if temp \
            else [exe, command_line]
        with WindowWatch() as watch:
            result = wine.run(args, timeout=timeout, capture_output=True)
        assert result.returncode == 0, f"TyxUpdate.exe ended with {result.returncode}: {result.stderr[-2000:]}"
        assert watch.seen == window, f"the window \"{WINDOW_TITLE}\" {'never' if window else 'was'} shown"

    def run_killed(self, command_line, when, timeout=900):
        """Starts the updater and SIGKILLs its Wine process as soon as `when()` holds; the emulated 32-bit
        program on a loaded machine may take minutes to get there."""
        process = background([os.path.join(self.own, "TyxUpdate.exe"), command_line])
        wait_until(lambda: when() or process.poll() is not None, timeout, 0.001)
        reached = when()
        process.kill()
        process.wait()
        assert reached, "the updater never got to the moment it was to be killed at"

    def files(self):
        """The application folder without its backups and the stubs' record: name -> bytes."""
        return {n: self.read(n) for n in os.listdir(self.app)
                if os.path.isfile(os.path.join(self.app, n)) and n != "started.log"}

    def log(self):
        raw = read(os.path.join(self.own, "Update.log"))
        assert raw.endswith(b"\r\n") or not raw, "log lines end with CR LF"
        return [line[line.index("]") + 1:] for line in raw.decode("cp1250").split("\r\n") if line]

    def started(self):
        return read(os.path.join(self.app, "started.log"), "r").splitlines()

    def wait_started(self, count, timeout=60):
        """The restarts happen after the updater has ended; wait for them, and a moment for any beyond."""
        wait_until(lambda: len([s for s in self.started() if s.startswith("started")]) >= count, timeout)
        time.sleep(0.5)
        return self.started()


WINDOW_TITLE = "TyxUpdate - aktualizace"


class WindowWatch:
    """Watches the display, while a run lasts, for the update's form being mapped: a window of its title whose
    client area alone is 672 x 369 pixels (a message box of the same title is smaller)."""

    def __init__(self):
        self.seen, self.done = False, threading.Event()
        self.thread = threading.Thread(target=self._watch, daemon=True)

    def _watch(self):
        display = ["-display", wine.environment()["DISPLAY"]]
        while not self.seen and not self.done.wait(0.2):
            tree = subprocess.run(["xwininfo", "-root", "-tree"] + display, capture_output=True, text=True,
                                  errors="replace").stdout
            for line in tree.splitlines():
                size = re.search(r"\)\s+(\d+)x(\d+)\+", line)
                if f'"{WINDOW_TITLE}"' in line and size and int(size[1]) >= 672 and int(size[2]) >= 369:
                    self.seen |= "Map State: IsViewable" in subprocess.run(
                        ["xwininfo", "-id", line.split()[0]] + display, capture_output=True, text=True).stdout

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.done.set()
        self.thread.join()


def wait_until(condition, timeout=60, step=0.1):
    deadline = time.time() + timeout
    while not condition() and time.time() < deadline:
        time.sleep(step)


def stub(marker):
    """A stub product executable; the marker after its image tells the builds apart."""
    return read(os.path.join(BUILD, "StubApp.exe")) + b"\0TYX-MARKER:" + marker


def marker_of(data):
    return data.split(b"\0TYX-MARKER:")[-1] if b"\0TYX-MARKER:" in data else None


def release(product, **extra):
    """A product's files as a package brings them: both edition builds (stubs marked "V" and "XP"), a readme."""
    return dict({f"{product}V.exe": stub(b"V"), f"{product}XP.exe": stub(b"XP"), "readme.txt": b"new readme"}, **extra)


def make_package(path, files, pack=None):
    """update.cab with these files (name -> bytes) and, given `pack`, a nested pack.cab and pack.lst."""
    with tempfile.TemporaryDirectory() as work:
        names = list(files)
        if pack:
            make_package(os.path.join(work, "pack.cab"), pack)
            write(os.path.join(work, "pack.lst"), "\n".join(pack).encode())
            names += ["pack.cab", "pack.lst"]
        for name, content in files.items():
            write(os.path.join(work, name), content)
        subprocess.run(["gcab", "-c", "-z", os.path.abspath(path)] + names, cwd=work, check=True)


def background(args):
    return subprocess.Popen([wine.wine_binary()] + list(args), env=wine.environment(), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def reg(*args):
    return wine.run(["reg"] + list(args), capture_output=True, timeout=60)


def reg_set(key, name, value):
    assert reg("add", "HKCU\\" + key, "/v", name, "/d", value, "/f").returncode == 0


def reg_delete(key):
    reg("delete", "HKCU\\" + key, "/f")


class WineTestCase(unittest.TestCase):
    def setUp(self):
        if not BUILD:
            self.skipTest("TYX_WIN_BUILD is not set")

    def prepare(self, name, product, settings=None, exe=None, package=None, pack=None):
        """An installation of `product` (a stub marked "old"), the library updater, registry values and,
        given `package` (name -> bytes), update.cab in the data folder."""
        inst = Installation(name)
        inst.add_stub(exe or f"{product}.exe", marker=b"old")
        inst.add_stub("tyxlibupdate.exe")
        if package is not None:
            make_package(os.path.join(inst.data, "update.cab"), package, pack)
        for value, text in (settings or {}).items():
            reg_set(inst.key(product), value, text)
        self.addCleanup(reg_delete, f"Software\\Tyx\\{product}")
        return inst

    def box_texts(self, title, count=1, seconds=60):
        """Presses OK on boxes with this title while the update runs; the texts, once the returned call is made."""
        record = tempfile.mktemp(dir=WORK, suffix=".boxes")
        process = background([os.path.join(BUILD, "DismissBox.exe"), title, str(count), str(seconds), win(record)])

        def texts():
            process.wait(timeout=seconds + 30)
            return [line.split("|", 1)[1] for line in read(record).decode("utf-16-le").splitlines()]
        return texts
