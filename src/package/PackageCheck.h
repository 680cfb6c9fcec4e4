#pragma once
#include <string>

#include "package/PackageInf.h"
#include "platform/Crypto.h"
#include "platform/FileSystem.h"

namespace tyx {

// Whether a package comes from the maker. Each answer is empty when it does,
// else the refusal in words.

// The reason as the status line and the log show a refusal.
std::string Refused(const std::string& reason);

// update.inf at `path`, well formed and signed under a built-in key, which
// `keyName` names.
std::string ReadSignedList(IFileSystem& files, ICrypto& crypto, const std::string& path, PackageInf& inf,
                           std::string& keyName);
// The folder holds exactly the listed files (update.inf aside), each with its
// size and hash.
std::string CheckPackageFiles(IFileSystem& files, ICrypto& crypto, const std::string& folder, const PackageInf& inf);
// A file as it lies on the disk now against its line in the list.
bool MatchesList(ICrypto& crypto, const std::string& path, const PackageFile& listed);

}  // namespace tyx
