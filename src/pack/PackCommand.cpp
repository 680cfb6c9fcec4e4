#include "pack/PackCommand.h"

#include "pack/CheckPackage.h"
#include "package/PackageInf.h"
#include "pack/PackRules.h"
#include "pack/PublishRelease.h"
#include "platform/ErrorRecord.h"
#include "platform/Text.h"
#include "product/PackageFiles.h"
#include "descriptor/ReleaseDescriptor.h"
#include "release/ReleaseInfo.h"

namespace tyx {
namespace {

const char kHelp[] =
    "TyxPack - balíčky aktualizací TyxUpdate\r\n"
    "\r\n"
    "  TyxPack build --product PRODUKT --release CISLO --key KLIC.pem [--channel release|beta]\r\n"
    "                [--pack SLOZKA] [--data] [--out SOUBOR] SLOZKA\r\n"
    "      Vytvoří update.cab (nebo SOUBOR) ze souborů SLOZKY, s pack.cab a pack.lst ze souborů složky\r\n"
    "      --pack, a podepíše jej soukromým klíčem RSA (PEM). Balíček musí obsahovat sestavení XP i V\r\n"
    "      produktu (Norva, NorvaPro, NorvaLite, Talvik, TalvikPro, Bremo) a jen názvy, které\r\n"
    "      aktualizace přijme. Datové soubory qendata.mdb a tyxdata.mdb jen s --data. Podepsaný\r\n"
    "      TyxRelease.inf uvádí produkt, kanál (release nebo beta) a vydání CISLO (1 až 999999999);\r\n"
    "      aktualizace nepřijme vydání nižší, než jaké je nainstalováno.\r\n"
    "  TyxPack reissue --release CISLO --key KLIC.pem [--out SOUBOR] BALICEK\r\n"
    "      Vydá obsah ověřeného BALICKU znovu pod vyšším vydáním CISLO, pro týž produkt a kanál:\r\n"
    "      tak se stahuje vadné vydání (zveřejněte předchozí balíček znovu).\r\n"
    "  TyxPack publish --key KLIC.pem (--start DATUM --days DNY | --now) [--earlier SLOZKA [--deltas N]]\r\n"
    "                BALICEK\r\n"
    "      Ověří BALICEK a vedle něj zapíše podepsaný popis vydání release.inf pro web: velikost\r\n"
    "      a SHA-256 balíčku a postupné zavádění od DATUMU (UTC, 2026-12-10 nebo 2026-12-10T08:30),\r\n"
    "      které za DNY dní (0 až 3650) dosáhne všech instalací; --now: všem ihned. S --earlier\r\n"
    "      vedle balíčku zapíše rozdílové aktualizace delta-<vydání>.cab z N (1 až 20, výchozí 3)\r\n"
    "      nejvyšších dřívějších vydání téhož produktu a kanálu mezi ověřenými balíčky (*.cab)\r\n"
    "      SLOZKY a uvede je v popisu vydání; ostatní balíčky přeskočí.\r\n"
    "  TyxPack halt --key KLIC.pem POPIS\r\n"
    "      Zastaví zavádění popsané v release.inf tam, kam právě došlo; rozdílové aktualizace\r\n"
    "      v popisu zůstanou.\r\n"
    "  TyxPack withdraw --release CISLO --key KLIC.pem [--out SOUBOR] BALICEK\r\n"
    "      Jako reissue, a k novému balíčku zapíše popis vydání pro všechny ihned, bez rozdílových\r\n"
    "      aktualizací.\r\n"
    "  TyxPack verify SOUBOR\r\n"
    "      Rozbalí balíček a ověří jej jako aktualizace: podpis klíčem zabudovaným v programu,\r\n"
    "      velikost a SHA-256 každého souboru, žádný soubor navíc, produkt, kanál a vydání;\r\n"
    "      a popis vydání release.inf vedle něj, je-li tam, i rozdílové aktualizace, které uvádí.\r\n"
    "  TyxPack --help\r\n"
    "\r\n"
    "Návratový kód: 0 hotovo, 1 balíček odmítnut, 2 chybné parametry.\r\n";

struct Options {
  std::string key, pack, out = "update.cab", folder, start, earlier;
  uint32_t days = 0, deltas = 3;
  bool now = false, daysGiven = false, deltasGiven = false;
  ReleaseInfo release{"", kReleaseChannel, 0};
  bool data = false;
};

// The command's options; `build` takes those of a package, `reissue` and
// `withdraw` a package and only --release, --key and --out.
bool ParseOptions(const std::vector<std::string>& a, Options& o) {
  const bool build = a[0] == "build";
  for (size_t i = 1; i < a.size(); ++i) {
    const bool value = i + 1 < a.size();
    if (a[i] == "--data" && build) o.data = true;
    else if (a[i] == "--product" && value && build) o.release.product = a[++i];
    else if (a[i] == "--channel" && value && build) o.release.channel = a[++i];
    else if (a[i] == "--release" && value) o.release.number = ParseReleaseNumber(a[++i]).value_or(0);
    else if (a[i] == "--key" && value) o.key = a[++i];
    else if (a[i] == "--pack" && value && build) o.pack = a[++i];
    else if (a[i] == "--out" && value) o.out = a[++i];
    else if (o.folder.empty() && a[i].rfind("--", 0) != 0) o.folder = a[i];
    else return false;
  }
  const bool channel = o.release.channel == kReleaseChannel || o.release.channel == kBetaChannel;
  return (!build || !o.release.product.empty()) && channel && o.release.number && !o.key.empty() && !o.folder.empty();
}

std::optional<uint32_t> ParseDays(const std::string& text) {
  std::optional<uint32_t> days = text == "0" ? 0 : ParseReleaseNumber(text);
  return days && *days <= kMaxRolloutDays ? days : std::nullopt;
}

constexpr uint32_t kMaxDeltas = 20;

// `publish`: --key, either --now or --start and --days, and --earlier with
// --deltas or without; `halt`: --key.
bool ParseRolloutOptions(const std::vector<std::string>& a, Options& o) {
  const bool publish = a[0] == "publish";
  for (size_t i = 1; i < a.size(); ++i) {
    const bool value = i + 1 < a.size();
    std::optional<uint32_t> days, deltas;
    if (a[i] == "--key" && value) o.key = a[++i];
    else if (a[i] == "--now" && publish) o.now = true;
    else if (a[i] == "--start" && value && publish) o.start = a[++i];
    else if (a[i] == "--days" && value && publish && (days = ParseDays(a[i + 1]))) {
      o.days = *days;
      o.daysGiven = true;
      ++i;
    } else if (a[i] == "--earlier" && value && publish) o.earlier = a[++i];
    else if (a[i] == "--deltas" && value && publish && (deltas = ParseReleaseNumber(a[i + 1])) &&
               *deltas <= kMaxDeltas) {
      o.deltas = *deltas;
      o.deltasGiven = true;
      ++i;
    } else if (o.folder.empty() && a[i].rfind("--", 0) != 0) o.folder = a[i];
    else return false;
  }
  const bool rollout = !publish || (o.now ? o.start.empty() && !o.daysGiven : !o.start.empty() && o.daysGiven);
  return rollout && (!o.deltasGiven || !o.earlier.empty()) && !o.key.empty() && !o.folder.empty();
}

int Publish(PackServices& s, const Options& o, const std::string& package, std::string& out) {
  int64_t start = s.system.UnixTime();
  if (!o.now && !ParseStart(o.start, start)) {
    out += "Datum " + o.start + " není platné (2026-12-10 nebo 2026-12-10T08:30, UTC).\r\n";
    return 2;
  }
  return PublishRelease(s, package, o.key, start, o.now ? 0 : o.days, o.earlier, o.deltas, out);
}

// The package and, with `descriptor`, the descriptor beside it.
int Verify(PackServices& s, const std::string& cabinet, std::string& out, bool descriptor) {
  WorkFolder work(s.files);
  ReleaseInfo release;
  std::vector<std::string> nested;
  if (!Unpack(s, cabinet, work.path(), release, nested, out)) return 1;
  out += "Balíček " + cabinet + " je podepsán a úplný; aktualizace jej přijme.\r\n";
  out += "Vydání " + std::to_string(release.number) + " produktu " + release.product + " (kanál " + release.channel +
         ").\r\n";
  return !descriptor || CheckDescriptorBeside(s, cabinet, work.path(), release, out) ? 0 : 1;
}

bool Digest(PackServices& s, const std::string& folder, const std::vector<std::string>& names,
            std::vector<PackageFile>& list, std::string& out) {
  for (const std::string& name : names) {
    FileDigest d;
    if (!s.crypto.DigestFile(folder + "\\" + name, d)) {
      out += "Soubor " + folder + "\\" + name + " nelze přečíst.\r\n";
      return false;
    }
    list.push_back({name, d.size, d.sha256});
  }
  return true;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(PackServices& s, const std::string& folder, const std::vector<std::string>& names) {
  Entries entries;
  for (const std::string& name : names) entries.emplace_back(s.codePage.ToAnsi(name), folder + "\\" + name);
  return entries;
}

int Build(PackServices& s, const Options& o, std::string& out) {
  PackRequest request{o.release.product, {}, {}, o.data};
  for (auto [folder, names] : {std::pair{&o.folder, &request.files}, std::pair{&o.pack, &request.packFiles}}) {
    if (folder->empty()) continue;
    if (!s.files.FolderExists(*folder)) {
      out += "Složka " + *folder + " neexistuje.\r\n";
      return 1;
    }
    if (!s.files.Folders(*folder).empty()) {
      out += "Složka " + *folder + " obsahuje podsložky; aktualizace instaluje jen soubory složky samé.\r\n";
      return 1;
    }
    *names = s.files.Files(*folder);
  }
  std::vector<std::string> refusals, warnings;
  CheckPackRequest(request, s.codePage, refusals, warnings);
  for (const std::string& w : warnings) out += "Upozornění: " + w + "\r\n";
  for (const std::string& r : refusals) out += "Chyba: " + r + "\r\n";
  if (!refusals.empty()) return 1;

  WorkFolder work(s.files);
  s.files.AppendBytes(work.path() + "\\" + kReleaseFile, ComposeReleaseInfo(o.release));
  std::vector<PackageFile> list;
  if (!Digest(s, work.path(), {kReleaseFile}, list, out) || !Digest(s, o.folder, request.files, list, out) ||
      !Digest(s, o.pack, request.packFiles, list, out))
    return 1;
  const std::string signedPart = ComposeFileList(list);
  std::string signature, error;
  if (!s.tools.Sign(o.key, signedPart, signature, error)) {
    out += "Podepsání klíčem " + o.key + " selhalo (" + error + ").\r\n";
    return 1;
  }
  Entries entries = EntriesOf(s, work.path(), {kReleaseFile});
  for (auto& entry : EntriesOf(s, o.folder, request.files)) entries.push_back(std::move(entry));
  s.files.AppendBytes(work.path() + "\\update.inf", signedPart + SignatureLine(signature));
  entries.emplace_back("update.inf", work.path() + "\\update.inf");
  if (!o.pack.empty()) {
    std::string lst;
    for (const std::string& name : request.packFiles) lst += s.codePage.ToAnsi(name) + "\r\n";
    s.files.AppendBytes(work.path() + "\\pack.lst", lst);
    if (!s.tools.WriteCabinet(work.path() + "\\pack.cab", EntriesOf(s, o.pack, request.packFiles), error)) {
      out += "Zápis pack.cab selhal (" + error + ").\r\n";
      return 1;
    }
    entries.emplace_back("pack.cab", work.path() + "\\pack.cab");
    entries.emplace_back("pack.lst", work.path() + "\\pack.lst");
  }
  if (!s.tools.WriteCabinet(o.out, entries, error)) {
    out += "Zápis " + o.out + " selhal (" + error + ").\r\n";
    return 1;
  }
  out += "Balíček " + o.out + " pro " + o.release.product + ": " + std::to_string(request.files.size()) + " souborů" +
         (o.pack.empty() ? "" : " a pack.cab s " + std::to_string(request.packFiles.size()) + " soubory") +
         ", podepsán klíčem " + o.key + ".\r\n";
  if (Verify(s, o.out, out, false) == 0) return 0;
  s.files.DeleteFile(o.out, true);  // nobody may publish what the updater would refuse
  return 1;
}

// The content of a checked package again, under a higher release number.
int Reissue(PackServices& s, Options o, std::string& out) {
  WorkFolder work(s.files);
  const std::string top = work.path() + "\\top", nested = work.path() + "\\pack";
  s.files.CreateFolder(top);
  s.files.CreateFolder(nested);
  ReleaseInfo old;
  std::vector<std::string> nestedNames;
  if (!Unpack(s, o.folder, top, old, nestedNames, out)) return 1;
  if (o.release.number <= old.number) {
    out += "Vydání " + std::to_string(o.release.number) + " není vyšší než vydání " + std::to_string(old.number) +
           " balíčku " + o.folder + ".\r\n";
    return 1;
  }
  s.files.DeleteFile(top + "\\" + kPackageInfo, true);
  s.files.DeleteFile(top + "\\" + kReleaseFile, true);
  for (const std::string& name : nestedNames) s.files.MoveFile(top + "\\" + name, nested + "\\" + name);
  o.release = {old.product, old.channel, o.release.number};
  o.data = true;  // the data files it holds were shipped before
  o.folder = top;
  o.pack = nestedNames.empty() ? "" : nested;
  return Build(s, o, out);
}

}  // namespace

int RunTyxPack(const std::vector<std::string>& a, PackServices& s, std::string& out) {
  Options options;
  try {
    if (a.size() == 2 && a[0] == "verify") return Verify(s, a[1], out, true);
    if (!a.empty() && a[0] == "build" && ParseOptions(a, options)) return Build(s, options, out);
    if (!a.empty() && a[0] == "reissue" && ParseOptions(a, options)) return Reissue(s, options, out);
    if (!a.empty() && a[0] == "withdraw" && ParseOptions(a, options)) {
      options.now = true;
      const int built = Reissue(s, options, out);
      return built ? built : Publish(s, options, options.out, out);
    }
    if (!a.empty() && a[0] == "publish" && ParseRolloutOptions(a, options))
      return Publish(s, options, options.folder, out);
    if (!a.empty() && a[0] == "halt" && ParseRolloutOptions(a, options))
      return HaltRollout(s, options.folder, options.key, out);
  } catch (const ErrorRecord& e) {
    out += "Chyba: " + e.Description() + "\r\n";
    return 1;
  }
  out += kHelp;
  return a.size() == 1 && (a[0] == "--help" || a[0] == "-h" || a[0] == "/?") ? 0 : 2;
}

}  // namespace tyx
