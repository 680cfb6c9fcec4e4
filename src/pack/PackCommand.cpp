#include "pack/PackCommand.h"

#include "cabinet/ExtractCab.h"
#include "package/PackageCheck.h"
#include "package/PackageInf.h"
#include "pack/PackRules.h"
#include "platform/ErrorRecord.h"

namespace tyx {
namespace {

const char kHelp[] =
    "TyxPack - balíčky aktualizací TyxUpdate\r\n"
    "\r\n"
    "  TyxPack build --product PRODUKT --key KLIC.pem [--pack SLOZKA] [--data] [--out SOUBOR] SLOZKA\r\n"
    "      Vytvoří update.cab (nebo SOUBOR) ze souborů SLOZKY, s pack.cab a pack.lst ze souborů složky\r\n"
    "      --pack, a podepíše jej soukromým klíčem RSA (PEM). Balíček musí obsahovat sestavení XP i V\r\n"
    "      produktu (Norva, NorvaPro, NorvaLite, Talvik, TalvikPro, Bremo) a jen názvy, které\r\n"
    "      aktualizace přijme. Datové soubory qendata.mdb a tyxdata.mdb jen s --data.\r\n"
    "  TyxPack verify SOUBOR\r\n"
    "      Rozbalí balíček a ověří jej jako aktualizace: podpis klíčem zabudovaným v programu,\r\n"
    "      velikost a SHA-256 každého souboru, žádný soubor navíc.\r\n"
    "  TyxPack --help\r\n"
    "\r\n"
    "Návratový kód: 0 hotovo, 1 balíček odmítnut, 2 chybné parametry.\r\n";

struct Options {
  std::string product, key, pack, out = "update.cab", folder;
  bool data = false;
};

bool ParseBuild(const std::vector<std::string>& a, Options& o) {
  for (size_t i = 1; i < a.size(); ++i) {
    const bool value = i + 1 < a.size();
    if (a[i] == "--data") o.data = true;
    else if (a[i] == "--product" && value) o.product = a[++i];
    else if (a[i] == "--key" && value) o.key = a[++i];
    else if (a[i] == "--pack" && value) o.pack = a[++i];
    else if (a[i] == "--out" && value) o.out = a[++i];
    else if (o.folder.empty() && a[i].rfind("--", 0) != 0) o.folder = a[i];
    else return false;
  }
  return !o.product.empty() && !o.key.empty() && !o.folder.empty();
}

// A fresh folder below the temporary folder, removed when it goes.
class WorkFolder {
 public:
  explicit WorkFolder(IFileSystem& files)
      : files_(files), path_(files.TemporaryFolder() + "\\TyxPack-" + files.GetTempName()) {
    files_.CreateFolder(path_);
  }
  ~WorkFolder() {
    try {
      files_.DeleteFolder(path_, true);
    } catch (const ErrorRecord&) {
    }
  }
  const std::string& path() const { return path_; }

 private:
  IFileSystem& files_;
  std::string path_;
};

int Verify(PackServices& s, const std::string& cabinet, std::string& out) {
  WorkFolder work(s.files);
  CabServices cab{s.cabinet, s.files, s.codePage, s.system};
  try {
    ExtractCab(cab, cabinet, work.path());
    if (s.files.FileExists(work.path() + "\\pack.cab")) {
      ExtractCab(cab, work.path() + "\\pack.cab", work.path());
      s.files.DeleteFile(work.path() + "\\pack.cab", true);
      s.files.DeleteFile(work.path() + "\\pack.lst", true);
    }
  } catch (const ErrorRecord& e) {
    out += "Balíček " + cabinet + " nelze rozbalit (" + e.Description() + ").\r\n";
    return 1;
  }
  const std::string refusal = CheckPackage(s.files, s.crypto, work.path());
  if (!refusal.empty()) {
    out += "Balíček " + cabinet + " odmítnut: " + refusal + "\r\n";
    return 1;
  }
  out += "Balíček " + cabinet + " je podepsán a úplný; aktualizace jej přijme.\r\n";
  return 0;
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
  PackRequest request{o.product, {}, {}, o.data};
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

  std::vector<PackageFile> list;
  if (!Digest(s, o.folder, request.files, list, out) || !Digest(s, o.pack, request.packFiles, list, out)) return 1;
  const std::string signedPart = ComposeFileList(list);
  std::string signature, error;
  if (!s.tools.Sign(o.key, signedPart, signature, error)) {
    out += "Podepsání klíčem " + o.key + " selhalo (" + error + ").\r\n";
    return 1;
  }
  WorkFolder work(s.files);
  Entries entries = EntriesOf(s, o.folder, request.files);
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
  out += "Balíček " + o.out + " pro " + o.product + ": " + std::to_string(request.files.size()) + " souborů" +
         (o.pack.empty() ? "" : " a pack.cab s " + std::to_string(request.packFiles.size()) + " soubory") +
         ", podepsán klíčem " + o.key + ".\r\n";
  return Verify(s, o.out, out);
}

}  // namespace

int RunTyxPack(const std::vector<std::string>& a, PackServices& s, std::string& out) {
  Options options;
  try {
    if (a.size() == 2 && a[0] == "verify") return Verify(s, a[1], out);
    if (!a.empty() && a[0] == "build" && ParseBuild(a, options)) return Build(s, options, out);
  } catch (const ErrorRecord& e) {
    out += "Chyba: " + e.Description() + "\r\n";
    return 1;
  }
  out += kHelp;
  return a.size() == 1 && (a[0] == "--help" || a[0] == "-h" || a[0] == "/?") ? 0 : 2;
}

}  // namespace tyx
