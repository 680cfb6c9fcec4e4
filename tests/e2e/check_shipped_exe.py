#!/usr/bin/env python3
"""The shipped TyxUpdate.exe: a 32-bit GUI program that needs no DLL beyond the system's."""
import re
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "setupapi.dll",
               "wininet.dll", "msvcrt.dll", "comctl32.dll", "ole32.dll"}

dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", sys.argv[1]], capture_output=True, text=True,
                      check=True).stdout
failures = []
if "file format pei-i386" not in dump:
    failures.append("not a 32-bit (i386) PE file")
if not re.search(r"^Subsystem\s+00000002", dump, re.M):
    failures.append("not a windows-subsystem (GUI) program")
dlls = {d.lower() for d in re.findall(r"DLL Name: (\S+)", dump)}
extra = sorted(d for d in dlls if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-"))
if extra:
    failures.append("needs DLLs beyond the system's: " + ", ".join(extra))
if "RT_MANIFEST" not in subprocess.run(["i686-w64-mingw32-objdump", "-x", sys.argv[1]], capture_output=True,
                                       text=True).stdout and ".rsrc" not in dump:
    failures.append("carries no resources (manifest)")
with open(sys.argv[1], "rb") as exe:
    if b'requestedExecutionLevel level="highestAvailable"' not in exe.read():
        failures.append("the manifest does not ask for the highest rights the user has")
for f in failures:
    print("FAIL:", f)
print("imports:", ", ".join(sorted(dlls)))
sys.exit(1 if failures else 0)
