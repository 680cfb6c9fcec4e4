#include "pack/PublishRelease.h"

#include <cstdio>

#include "descriptor/ReleaseDescriptor.h"
#include "descriptor/Rollout.h"
#include "pack/CheckPackage.h"
#include "pack/DeltaCabinets.h"
#include "package/PackageCheck.h"
#include "package/PackageInf.h"
#include "platform/ErrorRecord.h"
#include "product/PackageFiles.h"

namespace tyx {
namespace {

// "2026-12-10 08:30 UTC"
std::string Day(int64_t t) {
  const int64_t days = t / 86400, rest = t % 86400;
  // Civil date from days since 1970.
  const int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365,
                doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153, d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld UTC", static_cast<long long>(y),
                static_cast<long long>(m), static_cast<long long>(d), static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60));
  return text;
}

std::string Rollout(const ReleaseDescriptor& d) {
  std::string text = "zavádění od " + Day(d.rolloutStart) +
                     (d.rolloutDays ? ", všem za " + std::to_string(d.rolloutDays) + " dní" : ", všem ihned");
  if (d.haltedAt) text += ", zastaveno " + Day(*d.haltedAt);
  for (size_t i = 0; i < d.deltas.size(); ++i)
    text += (i ? ", " : "; rozdílové aktualizace z vydání ") + std::to_string(d.deltas[i].from);
  return text;
}

int Write(PackServices& s, ReleaseDescriptor d, const std::string& path, const std::string& key, std::string& out) {
  const std::string signedPart = ComposeReleaseDescriptor(d);
  std::string signature, error;
  if (!s.tools.Sign(key, signedPart, signature, error)) {
    out += "Podepsání klíčem " + key + " selhalo (" + error + ").\r\n";
    return 1;
  }
  const std::string fresh = path + ".new";
  if (s.files.FileExists(fresh)) s.files.DeleteFile(fresh, true);
  if (!s.files.AppendBytes(fresh, signedPart + SignatureLine(signature))) {
    out += "Zápis " + path + " selhal.\r\n";
    return 1;
  }
  s.files.ReplaceFile(fresh, path);
  out += "Popis vydání " + path + ": vydání " + std::to_string(d.release.number) + " produktu " + d.release.product +
         " (kanál " + d.release.channel + "), " + Rollout(d) + ".\r\n";
  return 0;
}

// The descriptor at `path`, signed under a key built into the updater.
std::optional<ReleaseDescriptor> ReadDescriptor(PackServices& s, const std::string& path, std::string& out) {
  std::optional<ReleaseDescriptor> d = ParseReleaseDescriptor(s.files.ReadFile(path, kMaxDescriptorSize + 1));
  std::string keyName;
  if (!d) {
    out += "Popis vydání " + path + " je poškozen.\r\n";
    return std::nullopt;
  }
  if (!s.crypto.VerifySignature(d->signedPart, d->signature, keyName)) {
    out += "Popis vydání " + path + " není podepsán klíčem zabudovaným v programu.\r\n";
    return std::nullopt;
  }
  return d;
}

}  // namespace

bool ParseStart(const std::string& text, int64_t& start) {
  // Read as the HTTP date it stands for (the updater reads those; the weekday is not checked).
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const bool withTime = text.size() == 16 && text[10] == 'T' && text[13] == ':';
  if ((text.size() != 10 && !withTime) || text[4] != '-' || text[7] != '-' || text[5] < '0' || text[5] > '1' ||
      text[6] < '0' || text[6] > '9')
    return false;
  const int month = (text[5] - '0') * 10 + (text[6] - '0');
  if (month < 1 || month > 12) return false;
  const std::string date = "Mon, " + text.substr(8, 2) + " " + kMonths[month - 1] + " " + text.substr(0, 4) + " " +
                           (withTime ? text.substr(11, 5) : "00:00") + ":00 GMT";
  std::optional<int64_t> parsed = ParseHttpDate(date);
  if (parsed) start = *parsed;
  return parsed.has_value();
}

int PublishRelease(PackServices& s, const std::string& package, const std::string& key, int64_t start, uint32_t days,
                   const std::string& earlier, uint32_t deltas, std::string& out) {
  WorkFolder work(s.files);
  ReleaseInfo release;
  std::vector<std::string> nested;
  if (!Unpack(s, package, work.path(), release, nested, out)) return 1;
  FileDigest digest;
  if (!s.crypto.DigestFile(package, digest)) {
    out += "Soubor " + package + " nelze přečíst.\r\n";
    return 1;
  }
  ReleaseDescriptor d;
  d.release = release;
  d.size = digest.size;
  d.sha256 = digest.sha256;
  d.rolloutStart = start;
  d.rolloutDays = days;
  if (!earlier.empty() && !MakeDeltas(s, package, work.path(), release, earlier, deltas, d.deltas, out)) return 1;
  return Write(s, d, Beside(package, kDescriptorFile), key, out);
}

int HaltRollout(PackServices& s, const std::string& path, const std::string& key, std::string& out) {
  std::optional<ReleaseDescriptor> d = ReadDescriptor(s, path, out);
  if (!d) return 1;
  if (!d->haltedAt) d->haltedAt = s.system.UnixTime();
  return Write(s, *d, path, key, out);
}

bool CheckDescriptorBeside(PackServices& s, const std::string& package, const std::string& top,
                           const ReleaseInfo& release, std::string& out) {
  const std::string path = Beside(package, kDescriptorFile);
  if (!s.files.FileExists(path)) return true;
  std::optional<ReleaseDescriptor> d = ReadDescriptor(s, path, out);
  if (!d) return false;
  if (d->release.product != release.product || d->release.channel != release.channel ||
      d->release.number != release.number || !MatchesList(s.crypto, package, {kPackage, d->size, d->sha256})) {
    out += "Popis vydání " + path + " neodpovídá balíčku " + package + ".\r\n";
    return false;
  }
  out += "Popis vydání " + path + " odpovídá balíčku; " + Rollout(*d) + ".\r\n";
  bool deltas = true;
  for (const DeltaPackage& delta : d->deltas) deltas = CheckDelta(s, package, top, delta, out) && deltas;
  return deltas;
}

}  // namespace tyx
