#!/usr/bin/env python3
"""Turns the maker's public keys (PEM, RSA) into the PUBLICKEYBLOBs that the
program imports with CryptImportKey, each with the name it is reported by, as a
C++ header. A release build refuses what no shipped updater may trust: no key,
a key under 3072 bits, an exponent other than 65537, a test key.

  package_keys.py OUT.h [--test-build] [KEY.pem ...]
"""
import base64
import hashlib
import os
import struct
import sys

# The test build writes this line above the PEM of each key it makes, and this file beside them.
TEST_KEY_MARK = "TyxUpdate test key: never in a release build"
TEST_KEY_FOLDER_MARK = "TEST-KEYS"


def der_item(data, at):
    """(tag, start of content, end of content) of the DER item at `at`."""
    tag, length = data[at], data[at + 1]
    at += 2
    if length & 0x80:
        count = length & 0x7F
        length = int.from_bytes(data[at:at + count], "big")
        at += count
    return tag, at, at + length


def public_key_der(pem):
    lines = pem.splitlines()
    if "-----BEGIN PUBLIC KEY-----" not in lines or "-----END PUBLIC KEY-----" not in lines:
        raise ValueError("not a public key in PEM form (-----BEGIN PUBLIC KEY-----)")
    return base64.b64decode("".join(lines[lines.index("-----BEGIN PUBLIC KEY-----") + 1:
                                          lines.index("-----END PUBLIC KEY-----")]))


def rsa_numbers(der):
    _, at, _ = der_item(der, 0)                  # SubjectPublicKeyInfo
    _, _, end = der_item(der, at)                # AlgorithmIdentifier
    tag, at, _ = der_item(der, end)              # BIT STRING
    if tag != 0x03:
        raise ValueError("not an RSA public key")
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


def release_refusal(path, pem, modulus, exponent):
    if TEST_KEY_MARK in pem or os.path.exists(os.path.join(os.path.dirname(path), TEST_KEY_FOLDER_MARK)):
        return "is a test key, made by a test build whose folder holds its private key"
    if modulus.bit_length() < 3072:
        return f"has {modulus.bit_length()} bits; a release build takes RSA keys of 3072 bits or more"
    if exponent != 65537:
        return f"has the public exponent {exponent}; a release build takes only 65537"
    return None


def keys(paths, test_build):
    """(PUBLICKEYBLOB, name) of each key file; raises ValueError with the reason a key is refused."""
    if len(paths) > 2:
        raise ValueError("at most two keys: the current one and the next during a key change")
    if not paths and not test_build:
        raise ValueError("a release build needs the maker's public keys: -DTYX_PACKAGE_KEYS=maker.pub.pem")
    rows = []
    for path in paths:
        try:
            with open(path) as f:
                pem = f.read()
            der = public_key_der(pem)
            modulus, exponent = rsa_numbers(der)
        except (OSError, ValueError, IndexError) as e:
            raise ValueError(f"the key {path} cannot be read: {e}")
        refusal = None if test_build else release_refusal(path, pem, modulus, exponent)
        if refusal:
            raise ValueError(f"the key {path} {refusal}")
        # What `openssl pkey -pubin -outform DER | openssl dgst -sha256` begins with.
        rows.append((public_key_blob(modulus, exponent), "SHA-256 " + hashlib.sha256(der).hexdigest()[:16]))
    return rows


def main(args):
    test_build = "--test-build" in args
    out, *paths = [a for a in args if a != "--test-build"]
    try:
        rows = keys(paths, test_build)
    except ValueError as e:
        raise SystemExit(f"TyxUpdate: {e}. (A build for the tests says so with -DTYX_TEST_BUILD=ON.)")
    text = ("// Made by cmake/package_keys.py from the build's public key files.\n#pragma once\n"
            "#include <vector>\n\n#include \"platform/win32/Win32Crypto.h\"\n\n"
            "inline std::vector<tyx::win32::PackageKey> PackageKeys() {\n  return {\n"
            + ",\n".join('      {std::string("' + "".join(f"\\x{b:02x}" for b in blob) + f'", {len(blob)}), "{name}"}}'
                         for blob, name in rows)
            + "\n  };\n}\n")
    # Rewritten only when changed, so that a new configure does not rebuild the programs.
    if not os.path.exists(out) or open(out).read() != text:
        os.makedirs(os.path.dirname(out), exist_ok=True)
        with open(out, "w") as f:
            f.write(text)


if __name__ == "__main__":
    main(sys.argv[1:])
