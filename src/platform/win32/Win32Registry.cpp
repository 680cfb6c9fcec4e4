#include "platform/win32/Win32Registry.h"

#include "platform/win32/WinApi.h"

namespace tyx::win32 {

long Win32Registry::OpenKey(uint32_t root, const std::string& path, RegKey& key) {
  HKEY h = nullptr;
  // The predefined roots are sign-extended 32-bit values, as the Windows headers define them.
  HKEY rootKey = reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(root)));
  long rc = RegOpenKeyExA(rootKey, codePage_.ToAnsi(path).c_str(), 0, KEY_ALL_ACCESS, &h);
  key = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(h) : 0;
  return rc;
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, uint32_t& type, std::string& data,
                               uint32_t& size) {
  DWORD t = 0, n = size;
  long rc = RegQueryValueExA(reinterpret_cast<HKEY>(key), codePage_.ToAnsi(name).c_str(), nullptr, &t,
                             reinterpret_cast<BYTE*>(data.data()), &n);
  type = t;
  size = n;
  return rc;
}

long Win32Registry::SetValue(RegKey key, const std::string& name, uint32_t type, const std::string& data) {
  return RegSetValueExA(reinterpret_cast<HKEY>(key), codePage_.ToAnsi(name).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
}

void Win32Registry::CloseKey(RegKey key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

}  // namespace tyx::win32
