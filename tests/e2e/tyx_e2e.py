"""Fake installations and runs of the real TyxUpdate.exe under Wine."""
import os
import shutil
import subprocess
import unittest

import wine

BUILD = os.environ.get("TYX_WIN_BUILD", "")
WORK = wine.WORK


def _user_temp():
    """The temporary folder that programs in the prefix are given, as a Unix path."""
    if not BUILD:
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
        shutil.copy(os.path.join(BUILD, "TyxUpdate.exe"), self.own)

    def add_stub(self, name, folder=None):
        shutil.copy(os.path.join(BUILD, "StubApp.exe"), os.path.join(folder or self.app, name))

    def run(self, command_line, timeout=120):
        return wine.run([os.path.join(self.own, "TyxUpdate.exe"), command_line], timeout=timeout,
                        capture_output=True)

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
