#!/usr/bin/env python3
"""One Wine prefix and one Xvfb display per test run, under the build folder.

  wine.py setup          Xvfb, a prefix (Czech locale: code page 1250; a copy of TYX_WINE_TEMPLATE, a booted
                         prefix, when there is one) and its wineserver kept running
  wine.py run EXE ARGS   runs a Windows program in that prefix, passing its exit code on
  wine.py cleanup        stops wineserver and Xvfb
"""
import contextlib
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile

WORK = os.environ.get("TYX_WORK") or os.path.join(os.getcwd(), "e2e")
PREFIX = os.path.join(WORK, "wineprefix")
STATE = os.path.join(WORK, "session.json")


WINE = shutil.which("wine64") or shutil.which("/usr/lib/wine/wine64") or "wine"
WINESERVER = shutil.which("/usr/lib/wine/wineserver64") or "wineserver"


def environment(prefix=None):
    env = dict(os.environ, WINEPREFIX=prefix or PREFIX, WINEDEBUG="-all", LC_ALL="cs_CZ.UTF-8", LANG="cs_CZ.UTF-8",
               WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64")
    if os.path.exists(STATE):
        with open(STATE) as f:
            env["DISPLAY"] = json.load(f)["display"]
    return env


def has_32_bit_part(prefix):
    return os.path.exists(os.path.join(prefix, "drive_c", "windows", "syswow64", "kernel32.dll"))


def setup():
    cleanup()
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.makedirs(WORK, exist_ok=True)
    state = {"display": os.environ.get("DISPLAY"), "xvfb": None}
    if not (os.environ.get("TYX_USE_DISPLAY") and os.environ.get("DISPLAY")):  # the demo may use a real desktop
        # Xvfb takes a free display itself and names it once it listens: test runs starting side by side
        # cannot end up on one display, which the first to finish would take away from the other.
        ready, told = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(told), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                pass_fds=(told,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)
        os.close(told)
        with os.fdopen(ready) as answer:
            n = answer.readline().strip() or sys.exit("Xvfb did not start")
        state = {"display": f":{n}", "xvfb": xvfb.pid}
    with open(STATE, "w") as f:
        json.dump(state, f)
    env, quiet = environment(), {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    template = os.environ.get("TYX_WINE_TEMPLATE")
    if template and has_32_bit_part(template):
        shutil.copytree(template, PREFIX, symlinks=True)
    else:
        subprocess.run([WINE, "wineboot", "-i"], env=env, check=True, **quiet)
        if template and has_32_bit_part(PREFIX):  # made before 32-bit programs could run here: renew it
            subprocess.run([WINESERVER, "-w"], env=env)
            shutil.rmtree(template, ignore_errors=True)
            shutil.copytree(PREFIX, template, symlinks=True)
    # The window is laid out for Arial; Liberation Sans has its metrics.
    subprocess.run([WINE, "reg", "add", "HKCU\\Software\\Wine\\Fonts\\Replacements", "/v", "Arial",
                    "/d", "Liberation Sans", "/f"], env=env, check=True, stdout=subprocess.DEVNULL)
    subprocess.run([WINESERVER, "-w"], env=env)
    # Kept running between the tests' programs; it must not hold the test's output open.
    subprocess.run([WINESERVER, "-p"], env=env, check=True, stdin=subprocess.DEVNULL, **quiet)
    print(f"Wine prefix {PREFIX} ready on display {environment()['DISPLAY']}")


@contextlib.contextmanager
def another_prefix(name):
    """Another machine while in use: a copy of the test run's prefix, with a wineserver, registry and temporary
    folder of its own, on the same display."""
    prefix = os.path.join(WORK, name)
    shutil.rmtree(prefix, ignore_errors=True)
    shutil.copytree(PREFIX, prefix, symlinks=True)
    # Kept running, as the test run's is: starting a prefix's services takes seconds
    subprocess.run([WINESERVER, "-p"], env=environment(prefix), check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Programs first, one at a time, until one has run: in CI the first programs of such a prefix have twice
    # failed at once (a "reg add", an update), which is no fault of the updater.
    for _ in range(3):
        first = run(["cmd", "/c", "exit"], timeout=120, capture_output=True, prefix=prefix)
        if first.returncode == 0:
            break
    assert first.returncode == 0, first.stderr.decode(errors="replace")
    # Its session stays open, as the test run's does (see WineTestCase): a run there must find the desktop's shell.
    keeper = subprocess.Popen([WINE, "cmd"], env=environment(prefix), stdin=subprocess.PIPE,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        yield prefix
    finally:
        keeper.stdin.close()
        keeper.wait()
        subprocess.run([WINESERVER, "-k"], env=environment(prefix))
        shutil.rmtree(prefix, ignore_errors=True)


def cleanup():
    if os.path.isdir(PREFIX):
        subprocess.run([WINESERVER, "-k"], env=environment(), stderr=subprocess.DEVNULL)
    if os.path.exists(STATE):
        with open(STATE) as f:
            pid = json.load(f).get("xvfb")
        with contextlib.suppress(ProcessLookupError, TypeError, PermissionError):
            os.killpg(pid, signal.SIGTERM)
        os.remove(STATE)


def run(args, timeout=None, capture_output=False, prefix=None):
    """Runs a Windows program (in the test run's prefix, or in `prefix`). Its output goes through files, not pipes:
    the Wine services it may start live on and would keep a pipe open after it has ended. Wine makes the prefix if
    there is none yet."""
    os.makedirs(WORK, exist_ok=True)
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:
            result = subprocess.run([WINE] + list(args), env=environment(prefix), timeout=timeout,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        except subprocess.TimeoutExpired:  # what it printed says where it hung
            result = subprocess.CompletedProcess(args, 124)
            err.write(f"\n{args[0]} did not end within {timeout} s\n".encode())
        out.seek(0)
        err.seek(0)
        result.stdout, result.stderr = out.read(), err.read()
    if not capture_output:
        sys.stdout.buffer.write(result.stdout)
        sys.stderr.buffer.write(result.stderr)
    return result


if __name__ == "__main__":
    if sys.argv[1:2] in (["setup"], ["cleanup"]):
        globals()[sys.argv[1]]()
    else:
        sys.exit(run(sys.argv[2:]).returncode if sys.argv[1:2] == ["run"] else __doc__)
