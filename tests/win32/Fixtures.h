#pragma once
#include <cstdlib>
#include <string>

namespace tyx::win32 {

// The test cabinets, made by the build (TYX_FIXTURES is their Unix folder).
inline std::string Fixture(const std::string& name) {
  const char* unix = std::getenv("TYX_FIXTURES");
  std::string path = std::string("Z:") + (unix ? unix : "") + "/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace tyx::win32
