#include "platform/win32/CryptHandles.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32PackTools.h"

namespace tyx::win32 {
namespace {

// The length and content of the DER item at `at`; false past the end.
bool DerItem(const std::string& der, size_t& at, std::string& content) {
  if (at + 2 > der.size()) return false;
  size_t length = static_cast<unsigned char>(der[at + 1]);
  at += 2;
  if (length & 0x80) {
    size_t count = length & 0x7f;
    if (count > 3 || at + count > der.size()) return false;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = length << 8 | static_cast<unsigned char>(der[at++]);
  }
  if (at + length > der.size()) return false;
  content = der.substr(at, length);
  at += length;
  return true;
}

// PKCS#8 wraps the PKCS#1 key that CryptoAPI decodes: SEQUENCE { version,
// algorithm, OCTET STRING key }.
std::string Pkcs1Key(const std::string& der) {
  std::string sequence;
  size_t at = 0;
  if (!DerItem(der, at, sequence)) return der;
  at = 0;
  std::string version, algorithm, key;
  if (DerItem(sequence, at, version) && sequence[at] == 0x30 && DerItem(sequence, at, algorithm) &&
      at < sequence.size() && sequence[at] == 0x04 && DerItem(sequence, at, key))
    return key;
  return der;
}

bool ReadKeyBlob(const std::string& keyFile, std::string& blob, std::string& error) {
  KernelHandle file(CreateFileW(Wide(keyFile).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  char text[16384];
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), text, sizeof text, &read, nullptr)) {
    error = SystemErrorText(GetLastError());
    return false;
  }
  std::string der(read, '\0');
  DWORD size = read;
  if (!CryptStringToBinaryA(text, read, CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(der.data()), &size, nullptr,
                            nullptr)) {
    error = "soubor není klíč ve formátu PEM";
    return false;
  }
  der = Pkcs1Key(der.substr(0, size));
  DWORD blobSize = 0;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(der.data());
  if (CryptDecodeObjectEx(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, PKCS_RSA_PRIVATE_KEY, bytes, static_cast<DWORD>(der.size()), 0,
                          nullptr, nullptr, &blobSize)) {
    blob.resize(blobSize);
    if (CryptDecodeObjectEx(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, PKCS_RSA_PRIVATE_KEY, bytes,
                            static_cast<DWORD>(der.size()), 0, nullptr, blob.data(), &blobSize))
      return true;
  }
  error = "soubor neobsahuje soukromý klíč RSA";
  return false;
}

}  // namespace

bool Win32PackTools::Sign(const std::string& keyFile, const std::string& data, std::string& signature,
                          std::string& error) {
  std::string blob;
  if (!ReadKeyBlob(keyFile, blob, error)) return false;
  CryptProvider provider = OpenProvider();
  CryptKey key;
  CryptHash hash;
  if (!provider.get() ||
      !CryptImportKey(provider.get(), reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()), 0, 0,
                      key.out()) ||
      !CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.out()) ||
      !CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0)) {
    error = SystemErrorText(GetLastError());
    return false;
  }
  // The key sits in the slot its algorithm names.
  const DWORD slot = reinterpret_cast<const BLOBHEADER*>(blob.data())->aiKeyAlg == CALG_RSA_SIGN ? AT_SIGNATURE
                                                                                                  : AT_KEYEXCHANGE;
  DWORD size = 0;
  if (!CryptSignHashW(hash.get(), slot, nullptr, 0, nullptr, &size)) {
    error = SystemErrorText(GetLastError());
    return false;
  }
  std::string reversed(size, '\0');
  if (!CryptSignHashW(hash.get(), slot, nullptr, 0, reinterpret_cast<BYTE*>(reversed.data()), &size)) {
    error = SystemErrorText(GetLastError());
    return false;
  }
  signature.assign(reversed.rbegin(), reversed.rend());
  return true;
}

}  // namespace tyx::win32
