#!/usr/bin/env python3
"""The shipped TyxUpdate.exe: a 32-bit GUI program with its manifest. (That it needs no DLL beyond the system's
shows in its end-to-end runs: the test prefix has no others.)"""
import re
import subprocess
import sys

dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", sys.argv[1]], capture_output=True, text=True, check=True).stdout
with open(sys.argv[1], "rb") as exe:
    manifest = b'requestedExecutionLevel level="highestAvailable"' in exe.read()
failures = [text for failed, text in [("file format pei-i386" not in dump, "not a 32-bit (i386) PE file"),
                                      (not re.search(r"^Subsystem\s+00000002", dump, re.M), "not a GUI program"),
                                      (not manifest, "the manifest does not ask for the highest rights the user has")]
            if failed]
print("\n".join(f"FAIL: {f}" for f in failures))
sys.exit(1 if failures else 0)
