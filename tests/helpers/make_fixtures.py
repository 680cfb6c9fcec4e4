#!/usr/bin/env python3
"""Makes the cabinets the Win32 layer tests read: real ones with gcab, crafted and damaged ones with make_cab.

  make_fixtures.py OUTDIR
"""
import os
import subprocess
import sys

from make_cab import cabinet

out = sys.argv[1]
os.makedirs(os.path.join(out, "src", "sub"), exist_ok=True)


def put(relative, content):
    path = os.path.join(out, "src", relative)
    with open(path, "wb") as f:
        f.write(content)


put("notes.txt", b"twelve bytes")
put(os.path.join("sub", "a.txt"), b"nested")
put("big.bin", bytes(range(256)) * 800)
subprocess.run(["gcab", "-c", os.path.join(out, "simple.cab"), "notes.txt", "sub/a.txt"],
               cwd=os.path.join(out, "src"), check=True)
subprocess.run(["gcab", "-c", "-z", os.path.join(out, "compressed.cab"), "big.bin", "notes.txt"],
               cwd=os.path.join(out, "src"), check=True)


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


write("evil.cab", cabinet([(b"ok.txt", b"ok"), (b"..\\evil.txt", b"evil")]))
write("drive.cab", cabinet([(b"ok.txt", b"ok"), (b"c:\\evil.txt", b"evil")]))
write("czech.cab", cabinet([("Účetní data.txt".encode("cp1250"), b"cz")]))
with open(os.path.join(out, "compressed.cab"), "rb") as f:
    good = f.read()
write("truncated.cab", good[:len(good) // 2])
# A file table that promises more data than the cabinet holds. (Scrambled MSZIP
# data would do too on Windows, but sends Wine's decompressor into a loop.)
damaged = bytearray(cabinet([(b"notes.txt", b"twelve bytes")]))
damaged[36 + 8:36 + 8 + 4] = (100000).to_bytes(4, "little")
write("damaged.cab", bytes(damaged))
write("notacab.cab", b"this is an error page, not a cabinet\n" * 20)
# A header that promises two files, both said to go on from an earlier cabinet: some SetupAPIs then list and
# unpack nothing, and report success.
emptied = bytearray(cabinet([(b"a.txt", b"a"), (b"b.txt", b"b")]))
for name in (b"a.txt", b"b.txt"):
    at = emptied.index(name) - 8
    emptied[at:at + 2] = (0xFFFD).to_bytes(2, "little")
write("emptied.cab", bytes(emptied))
