#include "update/UpdateFlow.h"

#include "cabinet/ExtractStep.h"
#include "cabinet/VerifyStep.h"
#include "delta/DeltaDownload.h"
#include "delta/UnchangedFiles.h"
#include "descriptor/DescriptorStep.h"
#include "descriptor/DownloadCheck.h"
#include "download/DownloadStep.h"
#include "download/LocalPackage.h"
#include "download/SharePackage.h"
#include "download/SourceDecision.h"
#include "install/FinishRun.h"
#include "install/InstallUpdate.h"
#include "install/RecoverInstallation.h"
#include "log/UpdateLog.h"
#include "package/PackageListStep.h"
#include "package/SignatureStep.h"
#include "release/ReleaseCheck.h"
#include "startup/RunLocks.h"
#include "startup/StagingFolder.h"
#include "startup/StartUp.h"
#include "window/UpdateForm.h"

namespace tyx {

int Main(Platform& platform, IWindow& window) {
  UpdateLog log(platform.files, platform.system, platform.codePage, platform.process.OwnFolder());
  std::optional<Run> run = StartUp(platform, log);
  if (!run) return 0;
  Session session{*run, platform, log, window, {}};
  if (!TakeRunLocks(platform, log, *run)) {
    log.WriteLog("Jiná aktualizace právě probíhá. Aktualizace nebude provedena.");
  } else if (RecoverInstallation(session) && PrepareStagingFolder(platform.files, log, *run)) {
    UpdateForm form(session, UpdateProduct);
    form.ShowMainForm();
  }
  FinishRun(platform, *run, [&window] { window.Pump(); });
  return 0;
}

void UpdateProduct(Session& s) {
  if (DecideSource(s) == UpdateSource::Local)
    LocalUpdate(s);
  else
    WebUpdate(s);
}

void LocalUpdate(Session& s) {
  if (CopyLocalPackage(s) && UnpackAndCheck(s)) InstallUpdate(s);
  s.window.EnableTimer(Timer::End, true);
}

void WebUpdate(Session& s) {
  if (ReadDescriptor(s)) {
    const DeltaUse delta = UpdateFromDelta(s);
    if (delta == DeltaUse::Stopped || (delta == DeltaUse::NotUsed && !PackageUpdate(s))) return;
  }
  s.window.EnableTimer(Timer::End, true);
}

bool PackageUpdate(Session& s) {
  if (!DownloadUpdate(s)) return false;
  if (MatchesDescriptor(s) && UnpackAndCheck(s)) {
    SharePackage(s);
    InstallUpdate(s);
  }
  return true;
}

// A delta is never shared: the data folder's update.cab must be whole.
DeltaUse UpdateFromDelta(Session& s) {
  if (const DeltaUse download = DownloadDelta(s); download != DeltaUse::Used) return download;
  if (!UnpackPackage(s)) return DeltaUse::Used;
  if (!TakeUnchangedFiles(s)) return DeltaUse::NotUsed;
  if (CheckUnpacked(s)) InstallUpdate(s);
  return DeltaUse::Used;
}

bool UnpackAndCheck(Session& s) { return UnpackPackage(s) && CheckUnpacked(s); }

bool UnpackPackage(Session& s) { return CheckPackageList(s) && CheckRelease(s) && ExtractUpdate(s) == 0; }

bool CheckUnpacked(Session& s) { return CheckSignature(s) && VerifyUpdate(s); }

}  // namespace tyx
