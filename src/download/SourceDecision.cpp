#include "download/SourceDecision.h"

#include "cabinet/ExtractStep.h"
#include "cabinet/VerifyStep.h"
#include "download/DownloadStep.h"
#include "download/SourceTable.h"
#include "install/InstallUpdate.h"
#include "platform/ErrorRecord.h"
#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "startup/Catalogue.h"

namespace tyx {
namespace {

const char kPackage[] = "update.cab";

void LocalUpdate(Session& s) {
  const std::string staged = s.run.gTempPath + "\\update.cab";
  const std::string shared = s.run.gDataPath + "\\" + kPackage;
  IFileSystem& files = s.platform.files;
  try {
    if (files.FileExists(staged)) files.DeleteFile(staged, true);
    if (!files.FileExists(shared)) {
      s.ShowStatus(std::string("Aktualizační soubor '") + kPackage + "' nebyl nalezen v adresáři s daty.");
      s.Pump();
      return;
    }
    files.CopyFile(shared, staged, true);
  } catch (const ErrorRecord& e) {
    s.ShowStatus(std::string("Aktualizační soubor '") + kPackage + "' nelze připravit k rozbalení (" +
                 e.Description() + ")");
    s.Pump();
    return;
  }
  s.Pump();
  if (ExtractUpdate(s) == 0 && VerifyUpdate(s)) InstallUpdate(s);
}

void SetSource(Session& s, bool beta) {
  WebSource source;
  if (FindWebSource(s.run.gProduct, beta, source)) {
    s.form.mHost = source.host;
    s.form.mPath = source.path;
  }
  DownloadUpdate(s);
}

}  // namespace

void SetReleaseSource(Session& session) { SetSource(session, false); }
void SetBetaSource(Session& session) { SetSource(session, true); }

void DecideSource(Session& s) {
  RegistryAccess registry(s.platform.registry, s.platform.codePage, s.platform.dialogs);
  const std::string key = s.run.gRegKey + s.run.gRegSubKey;
  const Product* product = FindProduct(s.run.gProduct);
  std::string type = "1";
  // A Norva-family product started without arguments always updates from the web.
  if (!(Trim(s.run.gCmdLine).empty() && product && product->norvaFamily))
    registry.ReadText(key, "NEWVERTYPE", type);
  s.form.mNewVerType = type;
  s.log.WriteLog("Typ aktualizace: " + type);

  std::string proxy;
  registry.ReadText(key, "Proxy", proxy);
  s.run.gProxy = proxy == "1";
  s.run.gProxyAdr.clear();
  registry.ReadText(key, "ProxyAdr", s.run.gProxyAdr);

  if (type == "0") {
    LocalUpdate(s);
    s.window.EnableTimer(Timer::End, true);
  } else if (LowerCase(s.run.gChannel) == "beta") {
    SetBetaSource(s);
  } else {
    SetReleaseSource(s);
  }
}

}  // namespace tyx
