#include "descriptor/InstallationId.h"

#include "platform/ErrorRecord.h"
#include "platform/RemoveIfThere.h"

namespace tyx {
namespace {

const char kIdFile[] = "TyxRollout.id";
constexpr size_t kIdDigits = 32;

bool IsId(const std::string& text) {
  return text.size() == kIdDigits && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

std::string InstallationId(IFileSystem& files, ICrypto& crypto, const std::string& workFolder) {
  const std::string path = workFolder + "\\" + kIdFile;
  try {
    if (files.FileExists(path)) {
      std::string kept = files.ReadFile(path, kIdDigits + 1);
      if (IsId(kept)) return kept;
    }
  } catch (const ErrorRecord&) {
  }
  std::string id;
  for (unsigned char c : crypto.Random(kIdDigits / 2)) {
    id += "0123456789abcdef"[c >> 4];
    id += "0123456789abcdef"[c & 15];
  }
  // Written whole under another name first: a cut leaves the old file or the new one.
  const std::string fresh = path + ".new";
  try {
    RemoveIfThere(files, fresh);
    if (IsId(id) && files.AppendBytes(fresh, id)) {
      files.Flush(fresh);
      files.ReplaceFile(fresh, path);
    }
  } catch (const ErrorRecord&) {
  }
  return id;
}

}  // namespace tyx
