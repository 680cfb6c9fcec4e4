"""Fake installations and runs of the real TyxUpdate.exe under Wine."""
import concurrent.futures
import glob
import os
import pwd
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import wine

BUILD = os.environ.get("TYX_WIN_BUILD", "")
# The updater under test may come from another build (the shipped i686 one) than the helper programs.
UPDATER = os.environ.get("TYX_UPDATER") or os.path.join(BUILD, "TyxUpdate.exe")
# The emulated 32-bit build takes minutes per run: its entries take a representative few rows of a table.
EMULATED = os.environ.get("TYX_ARCH") == "i686"
WORK = wine.WORK
# The temporary folder Wine's prefix gives its programs (C:\users\<the Unix user>\Temp).
USER_TEMP = os.path.join(wine.PREFIX, "drive_c", "users", pwd.getpwuid(os.getuid()).pw_name, "Temp")
WINDOW_TITLE = "TyxUpdate - aktualizace"


def win(path):
    """The Windows form of a Unix path, as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def value_base(folder):
    """The application folder as the updater names its registry values: lower case, "/" for "\\"."""
    return win(folder).lower().replace("\\", "/")


def read(path):
    return Path(path).read_bytes() if os.path.exists(path) else b""


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    Path(path).write_bytes(data)


class Installation:
    """A folder with the updater in it and an application folder with stub product executables."""
    prefix = None  # the Wine prefix it runs in: the test run's, or another machine's

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

    def work(self, *parts):
        """The updater's work folder, OldVer (update.cab, the staging folder TyxNewVer, backups, the lock), or a
        path below it."""
        return os.path.join(self.app, "OldVer", *parts)

    def backups(self):
        """The backup folders (twelve digits: yymmddhhmmss), oldest first."""
        return [d for d in sorted(glob.glob(self.work("[0-9]" * 12))) if os.path.isdir(d)]

    def run(self, temp=None, window=True):
        """Runs the updater to its end; it must end with 0 and show its form, or not (`window`), as told."""
        exe = os.path.join(self.own, "TyxUpdate.exe")
        # Wine takes TEMP from the registry, but a program inherits its parent's.
        args = ["cmd", "/c", f"set TMP={win(temp)}&& set TEMP={win(temp)}&& {win(exe)} {self.command_line()}"] \
            if temp else [exe, self.command_line()]
        with concurrent.futures.ThreadPoolExecutor(1) as pool:
            running = pool.submit(wine.run, args, timeout=600, capture_output=True, prefix=self.prefix)
            shown = form_shown(running.done)
            result = running.result()
        assert result.returncode == 0, \
            f"TyxUpdate.exe ended with {result.returncode}: {result.stderr[-2000:]}; its log ends {self.log()[-5:] if os.path.exists(os.path.join(self.own, 'Update.log')) else None}"
        assert shown == window, f"the form \"{WINDOW_TITLE}\" {'never' if window else 'was'} shown"

    def run_killed(self, when, timeout=900):
        """Starts the updater and kills it once `when()` holds (the emulated build may take minutes to get there)."""
        process = background([os.path.join(self.own, "TyxUpdate.exe"), self.command_line()])
        wait_until(lambda: when() or process.poll() is not None, timeout, 0.001)
        process.kill()
        process.wait()
        assert when(), "the updater never got to the moment it was to be killed at"

    def files(self):
        """The application folder without its backups and the stubs' record: name -> bytes."""
        return {n: self.read(n) for n in os.listdir(self.app)
                if os.path.isfile(os.path.join(self.app, n)) and n != "started.log"}

    def log(self):
        raw = read(os.path.join(self.own, "Update.log"))
        assert raw.endswith(b"\r\n") or not raw, "log lines end with CR LF"
        return [line[line.index("]") + 1:] for line in raw.decode("cp1250").split("\r\n") if line]

    def wait_started(self, count, timeout=60):
        """The stubs' record once `count` starts (after the updater's end) are in it, and a moment for any beyond."""
        wait_until(lambda: len([s for s in stub_record(self.app) if s.startswith("started")]) >= count, timeout)
        time.sleep(0.5)
        return stub_record(self.app)


def stub_record(folder):
    """What the stubs in this folder recorded (started.log, UTF-16): "started NAME|ARGUMENTS", "window TITLE"..."""
    return read(os.path.join(folder, "started.log")).decode("utf-16-le").splitlines()


def starters(record):
    """Which programs started the stubs of a record ("explorer.exe": the desktop's shell)."""
    return {line[len("parent "):] for line in record if line.startswith("parent ")}


def form_shown(finished):
    """Whether the update's form is mapped before `finished()`: a window of its title whose client area alone is
    672 x 369 pixels (a message box of the same title is smaller)."""
    display = ["-display", wine.environment()["DISPLAY"]]
    while not finished():
        time.sleep(0.2)
        tree = subprocess.run(["xwininfo", "-root", "-tree"] + display, capture_output=True, text=True,
                              errors="replace").stdout
        for window, width, height in re.findall(rf'(0x[0-9a-f]+) "{WINDOW_TITLE}".*\)\s+(\d+)x(\d+)\+', tree):
            if int(width) >= 672 and int(height) >= 369 and "Map State: IsViewable" in subprocess.run(
                    ["xwininfo", "-id", window] + display, capture_output=True, text=True).stdout:
                return True
    return False


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
        if pack:
            make_package(os.path.join(work, "pack.cab"), pack)
            write(os.path.join(work, "pack.lst"), "\n".join(pack).encode())
        for name, content in files.items():
            write(os.path.join(work, name), content)
        subprocess.run(["gcab", "-c", "-z", os.path.abspath(path)] + sorted(os.listdir(work)), cwd=work, check=True)


def background(args, stdin=subprocess.DEVNULL):
    return subprocess.Popen([wine.WINE] + list(args), env=wine.environment(), stdin=stdin,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def reg(*args, prefix=None):
    return wine.run(["reg"] + list(args), capture_output=True, timeout=60, prefix=prefix)


def reg_set(key, name, value, prefix=None):
    done = reg("add", "HKCU\\" + key, "/v", name, "/d", value, "/f", prefix=prefix)
    assert done.returncode == 0, (done.returncode, done.stdout, done.stderr)


class WineTestCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Wine ends the desktop's shell once no program runs, and a run that begins meanwhile finds none to start
        # its programs: cmd waiting for input keeps it for the whole test, as Windows keeps it for the session.
        keeper = background(["cmd"], stdin=subprocess.PIPE)
        cls.addClassCleanup(keeper.wait)
        cls.addClassCleanup(keeper.stdin.close)

    def prepare(self, name, product, settings, exe=None, package=None, pack=None):
        """An installation of `product` (a stub marked "old"), the library updater, registry values and,
        given `package` (name -> bytes), update.cab in the data folder."""
        inst = Installation(name)
        inst.add_stub(exe or f"{product}.exe", marker=b"old")
        inst.add_stub("tyxlibupdate.exe")
        if package is not None:
            make_package(os.path.join(inst.data, "update.cab"), package, pack)
        for value, text in settings.items():
            reg_set(inst.key(product), value, text)
        self.addCleanup(reg, "delete", f"HKCU\\Software\\Tyx\\{product}", "/f")
        return inst
