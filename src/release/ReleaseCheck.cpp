#include "release/ReleaseCheck.h"

#include <algorithm>

#include "package/PackageCheck.h"
#include "package/Refusal.h"
#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "release/ReleaseInfo.h"

namespace tyx {
namespace {

// The release the file names; nullopt, with the refusal, when it cannot be read.
std::optional<ReleaseInfo> ReadRelease(IFileSystem& files, const std::string& path, std::string& refusal) {
  std::optional<ReleaseInfo> release;
  try {
    release = ParseReleaseInfo(files.ReadFile(path, kMaxReleaseFileSize));
  } catch (const ErrorRecord& e) {
    refusal = Refused("Soubor " + path + " nelze přečíst (" + e.Description() + ").");
    return std::nullopt;
  }
  if (!release) refusal = Refused("Soubor " + path + " je poškozen.");
  return release;
}

std::string Check(Session& s) {
  IFileSystem& files = s.platform.files;
  std::string refusal;
  std::optional<ReleaseInfo> installed;
  const std::string record = s.run.gAppPath + "\\" + kReleaseFile;
  if (files.FileExists(record) && !(installed = ReadRelease(files, record, refusal))) return refusal;

  if (!s.run.signedList) {
    if (installed)
      return Refused("Aktualizační soubor není podepsán výrobcem a nainstalováno je podepsané vydání " +
                     std::to_string(installed->number) + ".");
    if (s.platform.crypto.SignedPackagesOnly()) return Refused("Aktualizační soubor není podepsán výrobcem.");
    return "";
  }
  const std::vector<PackageFile>& listed = s.run.signedList->files;
  auto line = std::find_if(listed.begin(), listed.end(),
                           [](const PackageFile& f) { return EqualsNoCase(f.name, kReleaseFile); });
  if (line == listed.end()) return Refused("Aktualizační soubor neuvádí produkt, kanál a vydání.");
  const std::string staged = s.run.gNewVerPath + "\\" + kReleaseFile;
  if (!files.FileExists(staged) || !MatchesList(s.platform.crypto, staged, *line))
    return Refused(std::string("Soubor ") + kReleaseFile + " neodpovídá podpisu aktualizace.");
  std::optional<ReleaseInfo> release = ReadRelease(files, staged, refusal);
  if (!release) return refusal;

  const std::string channel = s.run.gChannel == kBetaChannel ? kBetaChannel : kReleaseChannel;
  if (release->product != s.run.gProduct)
    return Refused("Aktualizační soubor je určen pro produkt " + release->product + ", ne pro " + s.run.gProduct + ".");
  if (release->channel != channel && release->channel != kReleaseChannel)
    return Refused("Aktualizační soubor je určen pro kanál " + release->channel + ", ne pro " + channel + ".");
  if (installed && release->number < installed->number)
    return Refused("Aktualizační soubor obsahuje vydání " + std::to_string(release->number) +
                   ", starší než nainstalované vydání " + std::to_string(installed->number) + ".");
  s.log.WriteLog("Vydání " + std::to_string(release->number) + " produktu " + release->product + " (kanál " +
                 release->channel + ")");
  return "";
}

}  // namespace

bool CheckRelease(Session& s) {
  const std::string refusal = Check(s);
  return refusal.empty() || RefusePackage(s, refusal);
}

}  // namespace tyx
