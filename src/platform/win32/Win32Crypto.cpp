#include "platform/win32/Win32Crypto.h"

#include <cstring>

#include "platform/win32/CryptHandles.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Wide.h"

namespace tyx::win32 {

CryptProvider OpenProvider() {
  CryptProvider provider;
  CryptAcquireContextW(provider.out(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT);
  return provider;
}

std::string HashValue(const CryptHash& hash) {
  std::string value(32, '\0');
  DWORD size = static_cast<DWORD>(value.size());
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, reinterpret_cast<BYTE*>(value.data()), &size, 0)) return {};
  value.resize(size);
  return value;
}

bool Win32Crypto::DigestFile(const std::string& path, FileDigest& digest) {
  CryptProvider provider = OpenProvider();
  CryptHash hash;
  KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!provider.get() || !file || !CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.out())) return false;
  std::string buffer(1 << 16, '\0');
  digest.size = 0;
  for (DWORD read = 0;; digest.size += read) {
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return false;
    if (read == 0) break;
    if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(buffer.data()), read, 0)) return false;
  }
  const std::string value = HashValue(hash);
  if (value.size() != 32) return false;
  digest.sha256.clear();
  for (unsigned char c : value) {
    digest.sha256 += "0123456789abcdef"[c >> 4];
    digest.sha256 += "0123456789abcdef"[c & 15];
  }
  return true;
}

std::string Win32Crypto::Random(size_t count) {
  CryptProvider provider = OpenProvider();
  std::string bytes(count, '\0');
  if (!provider.get() ||
      !CryptGenRandom(provider.get(), static_cast<DWORD>(count), reinterpret_cast<BYTE*>(bytes.data())))
    return {};
  return bytes;
}

namespace {

// The key's length in bytes, 0 for a key too weak to trust or a damaged blob.
size_t StrongKeyLength(const std::string& blob) {
  RSAPUBKEY rsa;
  if (blob.size() < sizeof(BLOBHEADER) + sizeof rsa) return 0;
  memcpy(&rsa, blob.data() + sizeof(BLOBHEADER), sizeof rsa);
  const size_t length = (rsa.bitlen + 7) / 8;
  const bool strong = rsa.magic == 0x31415352 && rsa.bitlen >= 3072 && rsa.pubexp == 65537;  // "RSA1"
  return strong && blob.size() == sizeof(BLOBHEADER) + sizeof rsa + length ? length : 0;
}

}  // namespace

bool Win32Crypto::VerifySignature(const std::string& data, const std::string& signature, std::string& keyName) {
  CryptProvider provider = OpenProvider();
  if (!provider.get()) return false;
  for (const auto& [blob, name] : keys_) {
    const size_t length = StrongKeyLength(blob);
    if (length == 0 || signature.size() > length) continue;
    // CryptoAPI wants the signature as long as the key, least significant byte first; a signer may have left
    // out leading zero bytes.
    std::string reversed(signature.rbegin(), signature.rend());
    reversed.resize(length, '\0');
    CryptKey key;
    CryptHash hash;
    if (!CryptImportKey(provider.get(), reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()), 0,
                        0, key.out()) ||
        !CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.out()) ||
        !CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0))
      continue;
    if (CryptVerifySignatureW(hash.get(), reinterpret_cast<const BYTE*>(reversed.data()),
                              static_cast<DWORD>(reversed.size()), key.get(), nullptr, 0)) {
      keyName = name;
      return true;
    }
  }
  return false;
}

}  // namespace tyx::win32
