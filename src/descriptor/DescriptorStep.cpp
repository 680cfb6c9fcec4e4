#include "descriptor/DescriptorStep.h"

#include "descriptor/FetchDescriptor.h"
#include "descriptor/InstallationId.h"
#include "descriptor/ReleaseDescriptor.h"
#include "descriptor/Rollout.h"
#include "package/PackageCheck.h"
#include "package/Refusal.h"
#include "product/PackageFiles.h"
#include "release/InstalledRelease.h"

namespace tyx {
namespace {

std::string Refusal(Session& s, const ReleaseDescriptor& d) {
  const std::string channel = s.run.gChannel == kBetaChannel ? kBetaChannel : kReleaseChannel;
  std::string keyName;
  if (!s.platform.crypto.VerifySignature(d.signedPart, d.signature, keyName))
    return Refused("Popis vydání na serveru není podepsán výrobcem.");
  if (d.release.product != s.run.gProduct)
    return Refused("Popis vydání na serveru je určen pro produkt " + d.release.product + ", ne pro " + s.run.gProduct +
                   ".");
  if (d.release.channel != channel && d.release.channel != kReleaseChannel)
    return Refused("Popis vydání na serveru je určen pro kanál " + d.release.channel + ", ne pro " + channel + ".");
  return "";
}

// Whether the rollout has reached this installation; the beta channel is never held back, and the host's
// clock, not the customer's, tells the time.
bool Reached(Session& s, const ReleaseDescriptor& d, const std::string& date, int& percent) {
  std::optional<int64_t> now = ParseHttpDate(date);
  if (s.run.gChannel == kBetaChannel || !now) return true;
  const double reach = RolloutReach(d, *now);
  percent = static_cast<int>(reach * 100);
  if (reach >= 1) return true;
  const std::string id = InstallationId(s.platform.files, s.platform.crypto, s.run.gWorkPath);
  return RolloutPlace(id, d.release.number) < reach;
}

}  // namespace

bool ReadDescriptor(Session& s) {
  const std::optional<FetchedDescriptor> fetched =
      FetchDescriptor(s, "https://" + s.form.mHost + s.form.mPath + kDescriptorFile);
  if (!fetched) return true;
  std::optional<ReleaseDescriptor> d = ParseReleaseDescriptor(fetched->text);
  if (!d) return RefusePackage(s, Refused("Popis vydání na serveru je poškozen."));
  if (std::string refusal = Refusal(s, *d); !refusal.empty()) return RefusePackage(s, refusal);
  const std::string number = std::to_string(d->release.number);
  if (InstalledReleaseNumber(s.platform.files, s.run.gAppPath) >= d->release.number) {
    s.ShowStatus("Nainstalované vydání je aktuální (vydání " + number + "). Není co stahovat.");
    return false;
  }
  int percent = 0;
  if (!Reached(s, *d, fetched->date, percent)) {
    s.ShowStatus("Vydání " + number + " se k této instalaci dostane později (zavádění je na " +
                 std::to_string(percent) + " %).");
    return false;
  }
  s.log.WriteLog("Popis vydání na serveru: vydání " + number + ", soubor " + kPackage + " " + std::to_string(d->size) +
                 " bajtů.");
  s.run.descriptor = std::move(*d);
  return true;
}

}  // namespace tyx
