#pragma once
#include <string>
#include <vector>

#include "platform/Crypto.h"

namespace tyx::win32 {

// CryptoAPI with the public keys given as PUBLICKEYBLOBs.
class Win32Crypto : public ICrypto {
 public:
  Win32Crypto(std::vector<std::string> keys, bool signedOnly) : keys_(std::move(keys)), signedOnly_(signedOnly) {}
  bool DigestFile(const std::string& path, FileDigest& digest) override;
  bool VerifySignature(const std::string& data, const std::string& signature) override;
  bool SignedPackagesOnly() override { return signedOnly_; }

 private:
  std::vector<std::string> keys_;
  bool signedOnly_;
};

}  // namespace tyx::win32
