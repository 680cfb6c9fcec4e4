#pragma once
#include <string>
#include <vector>

#include "platform/Crypto.h"

namespace tyx::win32 {

// A public key as CryptImportKey takes it (PUBLICKEYBLOB), and the name that
// VerifySignature reports for it.
struct PackageKey {
  std::string blob;
  std::string name;
};

// CryptoAPI with the maker's public keys. A key of fewer than 3072 bits or
// with an exponent other than 65537 verifies nothing.
class Win32Crypto : public ICrypto {
 public:
  Win32Crypto(std::vector<PackageKey> keys, bool signedOnly) : keys_(std::move(keys)), signedOnly_(signedOnly) {}
  bool DigestFile(const std::string& path, FileDigest& digest) override;
  bool VerifySignature(const std::string& data, const std::string& signature, std::string& keyName) override;
  std::string Random(size_t count) override;
  bool SignedPackagesOnly() override { return signedOnly_; }

 private:
  std::vector<PackageKey> keys_;
  bool signedOnly_;
};

}  // namespace tyx::win32
