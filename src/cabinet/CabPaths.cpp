#include "cabinet/CabPaths.h"

#include <vector>

#include "platform/ErrorRecord.h"
#include "platform/Text.h"

namespace tyx {
namespace {

enum class Made { Yes, PathMissing, No };

// The script runtime's numbers: 58 already exists, 70 permission denied,
// 76 path not found.
Made TryCreate(IFileSystem& files, const std::string& folder) {
  try {
    files.CreateFolder(folder);
    return Made::Yes;
  } catch (const ErrorRecord& e) {
    if (e.number == 58 || e.number == 70) return Made::Yes;
    if (e.number == 76) return Made::PathMissing;
    return Made::No;
  }
}

}  // namespace

SplitName SplitPath(const std::string& path) {
  size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::string AddBackslash(const std::string& text) {
  return !text.empty() && text.back() == '\\' ? text : text + "\\";
}

bool MakePath(IFileSystem& files, const std::string& folder) {
  if (folder.empty()) return false;
  std::string path = folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
  Made first = TryCreate(files, path);
  if (first != Made::PathMissing) return first == Made::Yes;

  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    size_t slash = path.find('\\', start);
    parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  auto prefix = [&](size_t last) {
    std::string p = parts[0];
    for (size_t k = 1; k <= last; ++k) p += "\\" + parts[k];
    return p;
  };
  // Walk up to the first folder that exists or can be made, then down again.
  size_t found = parts.size();
  for (size_t i = parts.size() - 1; i-- > 0;) {
    Made m = TryCreate(files, prefix(i));
    if (m == Made::No) return false;
    if (m == Made::Yes) {
      found = i;
      break;
    }
  }
  if (found == parts.size()) return false;
  for (size_t k = found + 1; k < parts.size(); ++k)
    if (TryCreate(files, prefix(k)) != Made::Yes) return false;
  return true;
}

}  // namespace tyx
