#include "delta/DeltaDownload.h"

#include "delta/DeltaFallback.h"
#include "package/PackageCheck.h"
#include "download/GetFile.h"
#include "download/ResumableDownload.h"
#include "platform/ErrorRecord.h"
#include "platform/RemoveIfThere.h"
#include "product/PackageFiles.h"
#include "release/InstalledRelease.h"

namespace tyx {
namespace {

const DeltaPackage* FromInstalled(Session& s) {
  const uint32_t installed = InstalledReleaseNumber(s.platform.files, s.run.gAppPath);
  for (const DeltaPackage& delta : s.run.descriptor->deltas)
    if (delta.from == installed) return &delta;
  return nullptr;
}

// Puts the downloaded delta in place of update.cab; empty when it could, else
// why it cannot stand in for the package.
std::string Unusable(Session& s, const DeltaPackage& delta, const std::string& path, uint8_t code) {
  if (code == 2) return "soubor " + delta.file + " nebyl nalezen";
  if (code != 0) return "soubor " + delta.file + " se nepodařilo stáhnout";
  if (!MatchesList(s.platform.crypto, path, {delta.file, delta.size, delta.sha256}))
    return "soubor " + delta.file + " neodpovídá popisu vydání";
  try {
    s.platform.files.ReplaceFile(path, s.run.gWorkPath + "\\" + kPackage);
  } catch (const ErrorRecord& e) {
    return "soubor " + delta.file + " nelze připravit k rozbalení: " + e.Description();
  }
  return "";
}

}  // namespace

DeltaDownload DownloadDelta(Session& s) {
  if (!s.run.descriptor) return DeltaDownload::None;
  const DeltaPackage* delta = FromInstalled(s);
  if (!delta) return DeltaDownload::None;
  s.log.WriteLog("Rozdílová aktualizace z vydání " + std::to_string(delta->from) + ": soubor " + delta->file + " " +
                 std::to_string(delta->size) + " bajtů.");
  const std::string destination = s.run.gWorkPath + "\\" + delta->file;
  s.window.SetCaption(Label::Status, "Stažení souboru");
  s.log.WriteLog("Stažení souboru " + delta->file + " do " + destination);
  const std::string address = s.form.mHost + s.form.mPath + delta->file;
  const int32_t size = static_cast<int32_t>(delta->size);
  const uint8_t code =
      s.run.gProxy ? GetFileViaProxy(s, destination, address, 8, size) : GetFile(s, destination, address, 8, size);
  if (code == kDownloadStopped) {
    RemoveIfThere(s.platform.files, destination);
    return DeltaDownload::Stopped;
  }
  const std::string why = Unusable(s, *delta, destination, code);
  if (!why.empty()) {
    RemoveIfThere(s.platform.files, destination);
    FallBackToPackage(s, why);
    return DeltaDownload::None;
  }
  s.run.delta = *delta;
  return DeltaDownload::Ready;
}

}  // namespace tyx
