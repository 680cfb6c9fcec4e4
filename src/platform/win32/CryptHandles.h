#pragma once
#include <string>
#include <utility>

#include "platform/win32/WinApi.h"
#include <wincrypt.h>

// SHA-256 came with Windows XP SP3; the headers hide it from an XP target.
#ifndef CALG_SHA_256
#define CALG_SHA_256 (ALG_CLASS_HASH | ALG_TYPE_ANY | 12)
#endif

namespace tyx::win32 {

// A CryptoAPI handle with the function that releases it.
template <typename Handle, BOOL(WINAPI* Release)(Handle)>
class CryptHandle {
 public:
  CryptHandle() = default;
  CryptHandle(CryptHandle&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}
  CryptHandle& operator=(CryptHandle&&) = delete;
  ~CryptHandle() {
    if (handle_) Release(handle_);
  }
  Handle get() const { return handle_; }
  Handle* out() { return &handle_; }

 private:
  Handle handle_ = 0;
};

inline BOOL WINAPI ReleaseContext(HCRYPTPROV provider) { return CryptReleaseContext(provider, 0); }
using CryptProvider = CryptHandle<HCRYPTPROV, ReleaseContext>;
using CryptKey = CryptHandle<HCRYPTKEY, CryptDestroyKey>;
using CryptHash = CryptHandle<HCRYPTHASH, CryptDestroyHash>;

// A verification context of the RSA and AES provider, which knows SHA-256
// from Windows XP SP3 on; its handle is 0 when there is none.
CryptProvider OpenProvider();
// SHA-256 of the data so far, as its 32 bytes.
std::string HashValue(const CryptHash& hash);

}  // namespace tyx::win32
