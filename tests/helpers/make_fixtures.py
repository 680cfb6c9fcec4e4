#!/usr/bin/env python3
# Makes the cabinets the tests read: real ones with gcab, and the crafted and damaged ones gcab will not write
# (any entry name: "..", drive letters, ANSI bytes).   make_fixtures.py OUTDIR
import os
import struct
import subprocess
import sys

out = sys.argv[1]


def cabinet(entries):
    """entries: (name bytes, content bytes). One folder, stored, one data block per 32 KiB, dated 7.12.2025 12:00."""
    files, offset = b"", 0
    for name, content in entries:
        files += struct.pack("<IIHHHH", len(content), offset, 0, 45 << 9 | 12 << 5 | 7, 12 << 11, 0x20) + name + b"\0"
        offset += len(content)
    data = b"".join(content for _, content in entries)
    body = b"".join(struct.pack("<IHH", 0, len(b), len(b)) + b for b in [data[i:i + 32768] for i in
                                                                          range(0, len(data), 32768)] or [b""])
    header = b"MSCF" + struct.pack("<IIIIIBBHHHHH", 0, 44 + len(files) + len(body), 0, 44, 0, 3, 1, 1, len(entries), 0,
                                   0x1234, 0)
    return header + struct.pack("<IHH", 44 + len(files), max(1, (len(data) + 32767) // 32768), 0) + files + body


def write(name, data):
    os.makedirs(os.path.dirname(os.path.join(out, name)), exist_ok=True)
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


write("src/notes.txt", b"twelve bytes")
write("src/sub/a.txt", b"nested")
write("src/big.bin", bytes(range(256)) * 800)
for name, args in (("simple.cab", ["notes.txt", "sub/a.txt"]), ("compressed.cab", ["-z", "big.bin", "notes.txt"])):
    subprocess.run(["gcab", "-c"] + args[:args[0] == "-z"] + [os.path.join(out, name)] + args[args[0] == "-z":],
                   cwd=os.path.join(out, "src"), check=True)
write("evil.cab", cabinet([(b"ok.txt", b"ok"), (b"..\\evil.txt", b"evil")]))
write("drive.cab", cabinet([(b"ok.txt", b"ok"), (b"c:\\evil.txt", b"evil")]))
write("czech.cab", cabinet([("Účetní data.txt".encode("cp1250"), b"cz")]))
with open(os.path.join(out, "compressed.cab"), "rb") as f:
    good = f.read()
write("truncated.cab", good[:len(good) // 2])
# A file table that promises more data than the cabinet holds. (Scrambled MSZIP data would do too on Windows, but
# sends Wine's decompressor into a loop.)
damaged = bytearray(cabinet([(b"notes.txt", b"twelve bytes")]))
damaged[44:48] = (100000).to_bytes(4, "little")
write("damaged.cab", bytes(damaged))
write("notacab.cab", b"this is an error page, not a cabinet\n" * 20)
# Two files both said to go on from an earlier cabinet: some SetupAPIs then list and unpack nothing, and report
# success.
emptied = bytearray(cabinet([(b"a.txt", b"a"), (b"b.txt", b"b")]))
for name in (b"a.txt", b"b.txt"):
    emptied[emptied.index(name) - 8:emptied.index(name) - 6] = (0xFFFD).to_bytes(2, "little")
write("emptied.cab", bytes(emptied))
