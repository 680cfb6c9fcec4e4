#include "delta/DeltaDownload.h"

#include "delta/DeltaFallback.h"
#include "download/DownloadStep.h"
#include "download/ResumableDownload.h"
#include "package/PackageCheck.h"
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
std::string PutInPlaceOfPackage(Session& s, const DeltaPackage& delta, const std::string& path, uint8_t code) {
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

DeltaUse DownloadDelta(Session& s) {
  if (!s.run.descriptor) return DeltaUse::NotUsed;
  const DeltaPackage* delta = FromInstalled(s);
  if (!delta) return DeltaUse::NotUsed;
  s.log.WriteLog("Rozdílová aktualizace z vydání " + std::to_string(delta->from) + ": soubor " + delta->file + " " +
                 std::to_string(delta->size) + " bajtů.");
  const std::string destination = s.run.gWorkPath + "\\" + delta->file;
  const uint8_t code = DownloadFromHost(s, delta->file, destination, static_cast<int32_t>(delta->size));
  if (code == kDownloadStopped) {
    RemoveIfThere(s.platform.files, destination);
    return DeltaUse::Stopped;
  }
  const std::string why = PutInPlaceOfPackage(s, *delta, destination, code);
  if (!why.empty()) {
    RemoveIfThere(s.platform.files, destination);
    FallBackToPackage(s, why);
    return DeltaUse::NotUsed;
  }
  s.run.delta = *delta;
  return DeltaUse::Used;
}

}  // namespace tyx
