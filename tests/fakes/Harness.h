#pragma once
#include <sstream>
#include <string>
#include <vector>

#include "fakes/FakeOs.h"
#include "fakes/FakeServices.h"
#include "log/UpdateLog.h"
#include "platform/Platform.h"

namespace tyx::test {

// A whole fake machine: the updater lives in <tmp>\own, the temporary
// folder is <tmp>\temp.
struct Harness {
  TempDir dir;
  StdFileSystem files{dir.Path("temp")};
  FakeRegistry registry;
  FakeSystem system;
  IdentityCodePage codePage;
  FakeProcess process;
  FakeDialogs dialogs;
  FakeCabinet cabinet;
  FakeShell shell;
  FakeInternet internet;
  FakeCrypto crypto;
  Platform platform{files, registry, system, codePage, process, dialogs, cabinet, shell, internet, crypto};
  UpdateLog log{files, system, codePage, dir.Path("own")};

  Harness() {
    dir.Write("own/TyxUpdate.exe", "");
    dir.Write("temp/.keep", "");
    process.ownFolder = dir.Path("own");
  }

  // The messages of Update.log, without their time stamps.
  std::vector<std::string> LogMessages() const {
    std::vector<std::string> messages;
    std::istringstream in(dir.Read("own/Update.log"));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      messages.push_back(line.substr(line.find(']') + 1));
    }
    return messages;
  }
};

}  // namespace tyx::test
