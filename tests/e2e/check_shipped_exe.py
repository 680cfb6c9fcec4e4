#!/usr/bin/env python3
"""The shipped TyxUpdate.exe: a 32-bit GUI program that needs no DLL beyond the system's, with its manifest."""
import re
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "setupapi.dll",
               "wininet.dll", "msvcrt.dll", "comctl32.dll", "ole32.dll"}
dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", sys.argv[1]], capture_output=True, text=True, check=True).stdout
dlls = {d.lower() for d in re.findall(r"DLL Name: (\S+)", dump)}
extra = sorted(d for d in dlls if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-"))
with open(sys.argv[1], "rb") as exe:
    manifest = b'requestedExecutionLevel level="highestAvailable"' in exe.read()
failures = [text for failed, text in [("file format pei-i386" not in dump, "not a 32-bit (i386) PE file"),
                                      (not re.search(r"^Subsystem\s+00000002", dump, re.M), "not a GUI program"),
                                      (extra, "needs DLLs beyond the system's: " + ", ".join(extra)),
                                      (not manifest, "the manifest does not ask for the highest rights the user has")]
            if failed]
print("\n".join(f"FAIL: {f}" for f in failures) + f"\nimports: {', '.join(sorted(dlls))}")
sys.exit(1 if failures else 0)
