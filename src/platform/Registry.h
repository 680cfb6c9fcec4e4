#pragma once
#include <cstdint>
#include <string>

namespace tyx {

constexpr uint32_t HKEY_CURRENT_USER_VALUE = 0x80000001u;
constexpr uint32_t REG_SZ_TYPE = 1;
constexpr uint32_t REG_EXPAND_SZ_TYPE = 2;
constexpr uint32_t REG_DWORD_TYPE = 4;
constexpr long REG_ERROR_FILE_NOT_FOUND = 2;
constexpr long REG_ERROR_MORE_DATA = 234;

using RegKey = uintptr_t;

// The four advapi32 calls, with key paths and value names in UTF-8 (the
// implementation passes them on in ANSI) and value data as raw bytes.
class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Opens with KEY_ALL_ACCESS; never creates the key.
  virtual long OpenKey(uint32_t root, const std::string& path, RegKey& key) = 0;
  // `size` holds the buffer size on entry and the value's size on return
  // (also when the buffer was too small, with REG_ERROR_MORE_DATA).
  virtual long QueryValue(RegKey key, const std::string& name, uint32_t& type, std::string& data,
                          uint32_t& size) = 0;
  virtual long SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& data) = 0;
  virtual void CloseKey(RegKey key) = 0;
};

}  // namespace tyx
