#pragma once
#include <string>
#include <vector>

#include "platform/Cabinet.h"
#include "platform/CodePage.h"
#include "platform/Crypto.h"
#include "platform/FileSystem.h"
#include "platform/PackTools.h"
#include "platform/SystemInfo.h"

namespace tyx {

struct PackServices {
  IFileSystem& files;
  ICodePage& codePage;
  ICabinet& cabinet;
  ISystem& system;
  ICrypto& crypto;  // the updater's keys; unsigned packages refused
  IPackTools& tools;
};

// TyxPack's command line (UTF-8 arguments without the program name); what it
// did goes to `out`, one line each. The exit code: 0 done, 1 refused, 2 usage.
int RunTyxPack(const std::vector<std::string>& arguments, PackServices& services, std::string& out);

}  // namespace tyx
