#!/usr/bin/env python3
"""Turns the maker's public keys (PEM, RSA) into the PUBLICKEYBLOBs that the
program imports with CryptImportKey, as a C++ header.

  package_keys.py OUT.h [KEY.pem ...]
"""
import base64
import struct
import sys


def der_item(data, at):
    """(tag, start of content, end of content) of the DER item at `at`."""
    tag, length = data[at], data[at + 1]
    at += 2
    if length & 0x80:
        count = length & 0x7F
        length = int.from_bytes(data[at:at + count], "big")
        at += count
    return tag, at, at + length


def rsa_numbers(pem):
    body = "".join(line for line in pem.splitlines() if line and not line.startswith("-----"))
    der = base64.b64decode(body)
    _, at, _ = der_item(der, 0)                  # SubjectPublicKeyInfo
    _, _, end = der_item(der, at)                # AlgorithmIdentifier
    tag, at, _ = der_item(der, end)              # BIT STRING
    if tag != 0x03:
        raise SystemExit("not an RSA public key in PEM form")
    _, at, _ = der_item(der, at + 1)             # RSAPublicKey
    _, n0, n1 = der_item(der, at)
    _, e0, e1 = der_item(der, n1)
    return int.from_bytes(der[n0:n1], "big"), int.from_bytes(der[e0:e1], "big")


def public_key_blob(modulus, exponent):
    bits = modulus.bit_length()
    size = (bits + 7) // 8
    # BLOBHEADER (PUBLICKEYBLOB, version 2, CALG_RSA_SIGN), RSAPUBKEY ("RSA1"), modulus least significant first
    return (struct.pack("<BBHI", 6, 2, 0, 0x2400) + struct.pack("<4sII", b"RSA1", bits, exponent)
            + modulus.to_bytes(size, "little"))


def main(out, keys):
    blobs = []
    for path in keys:
        with open(path) as f:
            blobs.append(public_key_blob(*rsa_numbers(f.read())))
    rows = ",\n".join('      std::string("' + "".join(f"\\x{b:02x}" for b in blob) + f'", {len(blob)})' for blob in blobs)
    with open(out, "w") as f:
        f.write("// Made by cmake/package_keys.py from the build's public key files.\n#pragma once\n"
                "#include <string>\n#include <vector>\n\n"
                f"inline std::vector<std::string> PackageKeys() {{\n  return {{\n{rows}\n  }};\n}}\n")


if __name__ == "__main__":
    if len(sys.argv) > 4:
        raise SystemExit("at most two keys")
    main(sys.argv[1], sys.argv[2:])
