#include "download/DownloadStep.h"

#include "download/GetFile.h"
#include "download/GetHttpInfo.h"
#include "download/ResumableDownload.h"
#include "platform/ErrorRecord.h"
#include "platform/RemoveIfThere.h"
#include "product/PackageFiles.h"

namespace tyx {
namespace {

void RemovePartialPackage(Session& s) { RemoveIfThere(s.platform.files, s.run.gWorkPath + "\\" + kPackage); }

}  // namespace

bool DownloadUpdate(Session& s) {
  if (!s.form.mNewVerType) return false;
  const std::string remote = s.form.mPath + kPackage;
  s.window.SetCaption(Label::Status, "Výpočet velikosti souboru");
  s.log.WriteLog(std::string("Výpočet velikosti souboru ") + kPackage);
  s.log.WriteLog("Doména " + s.form.mHost + ", cesta " + remote);
  int32_t size = 0;
  std::string lastModified;
  GetHttpInfo(s, s.form.mHost, remote, size, lastModified);
  s.Pump();

  const uint8_t code = DownloadFromHost(s, kPackage, s.run.gWorkPath + "\\" + kPackage, size);
  if (code == kDownloadStopped) {
    RemovePartialPackage(s);
    return false;
  }
  if (code != 0) {
    if (code == 1)
      s.ShowStatus("Nelze navázat připojení k internetu");
    else if (code == 2)
      s.ShowStatus("Požadovaný soubor nebyl nalezen");
    else
      s.ShowStatus(s.run.gLastError + "\t" + std::to_string(code));
    s.Pump();
    RemovePartialPackage(s);
    // The window stays open with the message until the user closes it.
    s.window.SetMousePointer(MousePointer::Default);
    return false;
  }
  s.ShowStatus("Stažení souborů dokončeno");
  return true;
}

uint8_t DownloadFromHost(Session& s, const std::string& name, const std::string& destination, int32_t size) {
  s.window.SetCaption(Label::Status, "Stažení souboru");
  s.log.WriteLog("Stažení souboru " + name + " do " + destination);
  const std::string address = s.form.mHost + s.form.mPath + name;
  return s.run.gProxy ? GetFileViaProxy(s, destination, address, 8, size) : GetFile(s, destination, address, 8, size);
}

}  // namespace tyx
