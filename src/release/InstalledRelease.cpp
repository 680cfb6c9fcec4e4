#include "release/InstalledRelease.h"

#include "platform/ErrorRecord.h"
#include "release/ReleaseInfo.h"

namespace tyx {

uint32_t InstalledReleaseNumber(IFileSystem& files, const std::string& appPath) {
  try {
    const std::string record = appPath + "\\" + kReleaseFile;
    if (!files.FileExists(record)) return 0;
    auto installed = ParseReleaseInfo(files.ReadFile(record, kMaxReleaseFileSize));
    return installed ? installed->number : 0;
  } catch (const ErrorRecord&) {
    return 0;
  }
}

}  // namespace tyx
