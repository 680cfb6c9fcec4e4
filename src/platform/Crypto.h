#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace tyx {

struct FileDigest {
  uint64_t size = 0;
  std::string sha256;  // 64 lower-case hex digits
};

// The system's cryptography and the maker's public keys built into the program.
class ICrypto {
 public:
  virtual ~ICrypto() = default;
  // Reads the whole file; false when it cannot be read.
  virtual bool DigestFile(const std::string& path, FileDigest& digest) = 0;
  // An RSA PKCS#1 v1.5 signature over the SHA-256 of the data, its bytes in
  // OpenSSL's order, valid under one of the built-in keys; keyName then names
  // that key ("SHA-256 " and the first 16 hex digits of its DER's hash).
  virtual bool VerifySignature(const std::string& data, const std::string& signature, std::string& keyName) = 0;
  // `count` bytes from the system's random number generator; empty when it fails.
  virtual std::string Random(size_t count) = 0;
  // Build setting: a package without update.inf is refused.
  virtual bool SignedPackagesOnly() = 0;
};

}  // namespace tyx
