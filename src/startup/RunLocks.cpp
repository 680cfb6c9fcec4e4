#include "startup/RunLocks.h"

#include <utility>

#include "platform/ErrorRecord.h"

namespace tyx {
namespace {

// Long enough for another run's download and installation, short enough that
// nobody waits long without a window.
constexpr uint32_t kRunLockWaitMs = 120000;
constexpr uint32_t kPollMs = 250;

}  // namespace

bool TakeRunLocks(Platform& platform, UpdateLog& log, const Run& run) {
  ISystem& system = platform.system;
  const uint32_t start = system.TickCount();
  if (!platform.process.WaitForRunLock(kRunLockWaitMs)) return false;
  const std::string oldVer = run.gAppPath + "\\OldVer";
  try {
    if (!platform.files.FolderExists(oldVer)) platform.files.CreateFolder(oldVer);
  } catch (const ErrorRecord&) {
  }
  bool told = false;
  for (;;) {
    // A folder that takes no lock file takes no update either; the
    // installation's own check says so.
    IFileSystem::Lock lock = platform.files.TryLock(oldVer + "\\TyxUpdate.lock");
    if (lock != IFileSystem::Lock::Busy) return true;
    if (system.TickCount() - start >= kRunLockWaitMs) return false;
    if (!std::exchange(told, true))
      log.WriteLog("Aktualizace v adresáři " + run.gAppPath + " právě probíhá. Čekání na její dokončení.");
    system.Sleep(kPollMs);
  }
}

}  // namespace tyx
