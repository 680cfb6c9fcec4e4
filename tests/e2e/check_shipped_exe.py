#!/usr/bin/env python3
"""The shipped programs (CA.pem TyxUpdate.exe TyxPack.exe): TyxUpdate.exe a 32-bit GUI program with its manifest;
both code-signed with a certificate of the CA, which a changed byte breaks. (That it needs no DLL beyond the
system's shows in its end-to-end runs: the test prefix has no others.)"""
import re
import subprocess
import sys
import tempfile

ca, updater, packer = sys.argv[1:]
dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", updater], capture_output=True, text=True, check=True).stdout
with open(updater, "rb") as exe:
    content = exe.read()
with tempfile.NamedTemporaryFile(suffix=".exe") as changed:
    changed.write(content[:len(content) // 3] + bytes([content[len(content) // 3] ^ 1]) + content[len(content) // 3 + 1:])
    changed.flush()
    verifies = [subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", exe], capture_output=True).returncode == 0
                for exe in (updater, packer, changed.name)]
failures = [text for failed, text in [("file format pei-i386" not in dump, "not a 32-bit (i386) PE file"),
                                      (not re.search(r"^Subsystem\s+00000002", dump, re.M), "not a GUI program"),
                                      (b'requestedExecutionLevel level="highestAvailable"' not in content,
                                       "the manifest does not ask for the highest rights the user has"),
                                      (verifies != [True, True, False],
                                       "TyxUpdate.exe, TyxPack.exe, TyxUpdate.exe changed: verified " + str(verifies))]
            if failed]
print("\n".join(f"FAIL: {f}" for f in failures))
sys.exit(1 if failures else 0)
