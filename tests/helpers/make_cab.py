#!/usr/bin/env python3
"""Writes cabinets that gcab will not: any entry name (.., drive letters, streams, ANSI bytes),
and damaged ones. Used to make the test suite's fixtures.

  make_cab.py OUT NAME=FILE ...    a stored (uncompressed) cabinet; NAME is the entry name as written
"""
import struct
import sys

DOS_DATE = (2025 - 1980) << 9 | 12 << 5 | 7   # 7.12.2025
DOS_TIME = 12 << 11                           # 12:00:00


def cabinet(entries):
    """entries: list of (name bytes, content bytes). One folder, no compression, one data block per 32 KiB."""
    header_size, folder_size = 36, 8
    files = b""
    offset = 0
    for name, content in entries:
        files += struct.pack("<IIHHHH", len(content), offset, 0, DOS_DATE, DOS_TIME, 0x20) + name + b"\0"
        offset += len(content)
    data = b"".join(content for _, content in entries)
    blocks = [data[i:i + 32768] for i in range(0, len(data), 32768)] or [b""]
    coff_files = header_size + folder_size
    coff_data = coff_files + len(files)
    body = b"".join(struct.pack("<IHH", 0, len(b), len(b)) + b for b in blocks)
    total = coff_data + len(body)
    header = b"MSCF" + struct.pack("<IIIIIBBHHHHH", 0, total, 0, coff_files, 0, 3, 1, 1, len(entries), 0, 0x1234, 0)
    folder = struct.pack("<IHH", coff_data, len(blocks), 0)
    return header + folder + files + body


if __name__ == "__main__":
    out, arguments = sys.argv[1], sys.argv[2:]
    entries = []
    for argument in arguments:
        name, _, path = argument.partition("=")
        with open(path, "rb") as f:
            entries.append((name.encode("cp1250"), f.read()))
    with open(out, "wb") as f:
        f.write(cabinet(entries))
