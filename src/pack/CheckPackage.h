#pragma once
#include <string>
#include <vector>

#include "pack/PackCommand.h"
#include "platform/ErrorRecord.h"
#include "release/ReleaseInfo.h"

namespace tyx {

// A fresh folder below the temporary folder, removed when it goes.
class WorkFolder {
 public:
  explicit WorkFolder(IFileSystem& files)
      : files_(files), path_(files.TemporaryFolder() + "\\TyxPack-" + files.GetTempName()) {
    files_.CreateFolder(path_);
  }
  ~WorkFolder() {
    try {
      files_.DeleteFolder(path_, true);
    } catch (const ErrorRecord&) {
    }
  }
  const std::string& path() const { return path_; }

 private:
  IFileSystem& files_;
  std::string path_;
};

// The file `name` in the package's folder.
std::string Beside(const std::string& package, const std::string& name);

// The package unpacked into `top` and checked as the updater checks it: its
// release, and the names that came from pack.cab. false, with the refusal in
// `out`, when the updater would refuse it.
bool Unpack(PackServices& s, const std::string& cabinet, const std::string& top, ReleaseInfo& release,
            std::vector<std::string>& nested, std::string& out);

}  // namespace tyx
