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
WORK = wine.WORK


def _user_temp():
    """The temporary folder that programs in the prefix are given, as a Unix path."""
    if not BUILD or not os.path.isdir(wine.PREFIX):  # the demo imports this before it makes its prefix
        return ""
    echoed = wine.run(["cmd", "/c", "echo %TEMP%"], capture_output=True).stdout.decode().strip()
    return wine.run(["winepath", "-u", echoed], capture_output=True).stdout.decode().strip()


USER_TEMP = _user_temp()
STAGING = os.path.join(USER_TEMP, "TyxNewVer")


def win(path):
    """The Windows form of a Unix path, as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def value_base(folder):
    """The application folder as the updater names its registry values: lower case, "/" for "\\"."""
    return win(folder).lower().replace("\\", "/")


class Installation:
    """A folder with the updater in it and an application folder with stub product executables."""

    def __init__(self, name):
        self.root = os.path.join(WORK, "runs", name)
        shutil.rmtree(self.root, ignore_errors=True)
        self.own = os.path.join(self.root, "updater")
        self.app = os.path.join(self.root, "app")
        self.data = os.path.join(self.root, "data")
        for d in (self.own, self.app, self.data):
            os.makedirs(d)
        shutil.copy(UPDATER, os.path.join(self.own, "TyxUpdate.exe"))

    def add_stub(self, name, folder=None, marker=b"installed"):
        with open(os.path.join(folder or self.app, name), "wb") as f:
            f.write(stub(marker))

    def key(self, product):
        return f"Software\\Tyx\\{product}\\{value_base(self.app)}"

    def command_line(self, app=None):
        return f"{win(self.data)},{win(app or self.app)},ignored.exe"

    def read(self, *parts):
        with open(os.path.join(self.app, *parts), "rb") as f:
            return f.read()

    def backups(self):
        root = os.path.join(self.app, "OldVer")
        return [os.path.join(root, d) for d in sorted(os.listdir(root))] if os.path.isdir(root) else []

    def wait_started(self, count, timeout=60):
        """The restarts happen after the updater has ended; wait for them, and a moment for any beyond."""
        wait_until(lambda: len([s for s in self.started() if s.startswith("started")]) >= count, timeout)
        time.sleep(0.5)
        return self.started()

    def run(self, command_line, timeout=600, temp=None, window=True):
        """Runs the updater to its end; it must end with 0 and show its window, or not (`window`), as told."""
        exe = os.path.join(self.own, "TyxUpdate.exe")
        with WindowWatch() as watch:
            if temp:  # Wine takes TEMP from the registry, but a program inherits its parent's
                result = wine.run(["cmd", "/c", f"set TMP={win(temp)}&& set TEMP={win(temp)}&& {win(exe)} {command_line}"],
                                  timeout=timeout, capture_output=True)
            else:
                result = wine.run([exe, command_line], timeout=timeout, capture_output=True)
        assert result.returncode == 0, f"TyxUpdate.exe ended with {result.returncode}: {result.stderr[-2000:]}"
        assert watch.seen == window, f"the window \"{WINDOW_TITLE}\" {'never' if window else 'was'} shown"
        return result

    def run_killed(self, command_line, when, timeout=900):
        """Starts the updater and SIGKILLs its Wine process as soon as `when()` holds; the emulated 32-bit
        program on a loaded machine may take minutes to get there."""
        process = background([os.path.join(self.own, "TyxUpdate.exe"), command_line])
        deadline = time.time() + timeout
        while not when() and process.poll() is None and time.time() < deadline:
            time.sleep(0.001)
        reached = when()
        process.kill()
        process.wait()
        assert reached, "the updater never got to the moment it was to be killed at"

    def files(self):
        """The application folder without its backups and the stubs' record: name -> bytes."""
        return {n: self.read(n) for n in os.listdir(self.app)
                if os.path.isfile(os.path.join(self.app, n)) and n != "started.log"}

    def log(self):
        path = os.path.join(self.own, "Update.log")
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            raw = f.read()
        assert raw.endswith(b"\r\n") or not raw, "log lines end with CR LF"
        return [line[line.index("]") + 1:] for line in raw.decode("cp1250").split("\r\n") if line]

    def started(self):
        path = os.path.join(self.app, "started.log")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as f:
            return f.read().splitlines()


WINDOW_TITLE = "TyxUpdate - aktualizace"


class WindowWatch:
    """Watches the display, while a run lasts, for the update's window being mapped."""

    def __init__(self):
        self.seen = False
        self.done = threading.Event()
        self.thread = threading.Thread(target=self._watch, daemon=True)

    def _watch(self):
        display = ["-display", wine.environment()["DISPLAY"]]
        while not self.seen and not self.done.wait(0.2):
            tree = subprocess.run(["xwininfo", "-root", "-tree"] + display, capture_output=True, text=True,
                                  errors="replace").stdout
            self.seen = any(self._is_form(line) and self._viewable(line.split()[0], display)
                            for line in tree.splitlines())

    @staticmethod
    def _is_form(line):
        """The form, not a message box of the same title: its client area alone is 672 x 369 pixels."""
        size = re.search(r"\)\s+(\d+)x(\d+)\+", line)
        return f'"{WINDOW_TITLE}"' in line and size is not None and int(size[1]) >= 672 and int(size[2]) >= 369

    @staticmethod
    def _viewable(window_id, display):
        info = subprocess.run(["xwininfo", "-id", window_id] + display, capture_output=True, text=True).stdout
        return "Map State: IsViewable" in info

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.done.set()
        self.thread.join()


def wait_until(condition, timeout=60):
    deadline = time.time() + timeout
    while not condition() and time.time() < deadline:
        time.sleep(0.1)


def stub(marker):
    """A stub product executable; the marker after its image tells the builds apart."""
    with open(os.path.join(BUILD, "StubApp.exe"), "rb") as f:
        return f.read() + b"\0TYX-MARKER:" + marker


def marker_of(data):
    return data.split(b"\0TYX-MARKER:")[-1] if b"\0TYX-MARKER:" in data else None


def make_package(path, files, pack=None):
    """update.cab with these files (name -> bytes) and, given `pack`, a nested pack.cab and pack.lst."""
    with tempfile.TemporaryDirectory() as work:
        names = []
        for name, content in files.items():
            with open(os.path.join(work, name), "wb") as f:
                f.write(content)
            names.append(name)
        if pack:
            inner = os.path.join(work, "inner")
            os.makedirs(inner)
            for name, content in pack.items():
                with open(os.path.join(inner, name), "wb") as f:
                    f.write(content)
            subprocess.run(["gcab", "-c", "-z", os.path.join(work, "pack.cab")] + list(pack), cwd=inner, check=True)
            with open(os.path.join(work, "pack.lst"), "w") as f:
                f.write("\n".join(pack))
            names += ["pack.cab", "pack.lst"]
        subprocess.run(["gcab", "-c", "-z", os.path.abspath(path)] + names, cwd=work, check=True)


def run_on_small_disk(folder, size, args):
    """Runs a Windows program with `folder` (keeping its files) on a tmpfs of `size`, in a mount namespace of
    its own; Wine's server opens the files, so it runs in there too. The folder's files come back after."""
    env = wine.environment()
    env["WINESERVER"] = wine.wineserver_binary()
    subprocess.run([env["WINESERVER"], "-k"], env=env, stderr=subprocess.DEVNULL)
    subprocess.run([env["WINESERVER"], "-w"], env=env)
    inner = ('set -e; d="$1"; mkdir -p "$d"; rm -rf "$d.was"; cp -a "$d" "$d.was"; mount -t tmpfs -o size="$2" tmpfs "$d"; '
             'cp -a "$d.was/." "$d"; rm -rf "$d.was"; "$WINESERVER" -p </dev/null >/dev/null 2>&1; shift 2; set +e; '
             '"$@" >/dev/null 2>&1; "$WINESERVER" -k; "$WINESERVER" -w; cp -a "$d" "$d.now"; umount "$d"; '
             'rm -rf "$d"; mv "$d.now" "$d"')
    subprocess.run(["unshare", "--mount", "--", "bash", "-c", inner, "_", folder, size, wine.wine_binary()]
                   + list(args), env=env, check=True, timeout=300)


def background(args):
    return subprocess.Popen([wine.wine_binary()] + list(args), env=wine.environment(), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class BoxDismisser:
    """Presses OK on message boxes with this title while an update runs; records their texts."""

    def __init__(self, title, count=1, seconds=60):
        self.record = tempfile.mktemp(dir=WORK, suffix=".boxes")
        self.seconds = seconds
        self.process = background([os.path.join(BUILD, "DismissBox.exe"), title, str(count), str(seconds),
                                   win(self.record)])

    def texts(self):
        self.process.wait(timeout=self.seconds + 30)
        if not os.path.exists(self.record):
            return []
        with open(self.record, encoding="utf-8") as f:
            return [line.split("|", 1)[1] for line in f.read().splitlines()]


def set_windows_version(version):
    """winxp, win7, win10 ...; None for Wine's default."""
    if version:
        reg_set("Software\\Wine", "Version", version)
    else:
        reg("delete", "HKCU\\Software\\Wine", "/v", "Version", "/f")


def reg(*args):
    return wine.run(["reg"] + list(args), capture_output=True, timeout=60)


def reg_set(key, name, value):
    result = reg("add", "HKCU\\" + key, "/v", name, "/d", value, "/f")
    assert result.returncode == 0, result.stderr


def reg_get(key, name):
    result = reg("query", "HKCU\\" + key, "/v", name)
    if result.returncode != 0:
        return None
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0] == name:
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_delete(key):
    reg("delete", "HKCU\\" + key, "/f")


class WineTestCase(unittest.TestCase):
    def setUp(self):
        if not BUILD:
            self.skipTest("TYX_WIN_BUILD is not set")
