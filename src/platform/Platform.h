#pragma once
#include "platform/Cabinet.h"
#include "platform/CodePage.h"
#include "platform/Crypto.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Internet.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"

namespace tyx {

// The operating system as the update logic sees it.
struct Platform {
  IFileSystem& files;
  IRegistry& registry;
  ISystem& system;
  ICodePage& codePage;
  IProcess& process;
  IDialogs& dialogs;
  ICabinet& cabinet;
  IShell& shell;
  IInternet& internet;
  ICrypto& crypto;
};

}  // namespace tyx
