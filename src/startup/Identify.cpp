#include "startup/Identify.h"

#include "platform/FileNames.h"
#include "platform/Text.h"
#include "product/Catalogue.h"

namespace tyx {
namespace {

const char kTyxKey[] = "Software\\Tyx\\";
const char kNoUpdate[] = " Aktualizace nebude provedena.";

// The application folder as the values under Software\Tyx name it.
std::string ValueBase(const Run& run) { return ReplaceAll(run.gAppPath, "\\", "/"); }

bool ProbeFolder(IFileSystem& files, Run& run) {
  for (const Product& p : kCatalogue) {
    for (const char* exe : {p.executable, p.xpBuild, p.vBuild}) {
      if (files.FileExists(run.gAppPath + "\\" + exe)) {
        run.cApp = p.executable;
        run.gProduct = p.name;
        run.gRegKey = p.regKey;
        return true;
      }
    }
  }
  return false;
}

// An installation renamed to another executable name keeps the edition
// builds beside it, so the probe finds the product again; the registry then
// still names the executable the user starts, which is the one to update.
// A folder that holds the standard executable is not renamed, whatever stale
// values say: renaming would make that executable disappear.
void PreferRegisteredName(IFileSystem& files, RegistryAccess& registry, Run& run) {
  if (files.FileExists(run.gAppPath + "\\" + run.cApp)) return;
  std::string exe, type;
  registry.ReadText(kTyxKey, ValueBase(run) + "/exe", exe);
  registry.ReadText(kTyxKey, ValueBase(run) + "/typ", type);
  exe = Trim(exe);
  const Product* product = FindProduct(Trim(type));
  if (exe.empty() || !product || product->name != run.gProduct || !IsPlainFileName(exe + ".exe")) return;
  if (files.FileExists(run.gAppPath + "\\" + exe + ".exe")) run.cApp = exe + ".exe";
}

bool ReadFromRegistry(IFileSystem& files, RegistryAccess& registry, UpdateLog& log, Run& run) {
  const std::string valueBase = ValueBase(run);
  std::string exe;
  registry.ReadText(kTyxKey, valueBase + "/exe", exe);
  if (exe.empty()) {
    log.WriteLog(std::string("Zdroj: ") + kTyxKey + valueBase + "/exe");
    log.WriteLog(std::string("Jméno aplikace nebylo nastaveno. Aplikace nebyla nalezena.") + kNoUpdate);
    return false;
  }
  run.cApp = Trim(exe) + ".exe";
  // The value joins the application folder: it must name a file in it.
  if (!IsPlainFileName(run.cApp)) {
    log.WriteLog("Jméno aplikace '" + Trim(exe) + "' není platné." + kNoUpdate);
    return false;
  }
  if (!files.FileExists(run.gAppPath + "\\" + run.cApp)) {
    log.WriteLog("Aplikace " + run.gAppPath + "\\" + run.cApp + " nebyla nalezena." + kNoUpdate);
    return false;
  }
  std::string type;
  registry.ReadText(kTyxKey, valueBase + "/typ", type);
  if (type.empty()) {
    log.WriteLog(std::string("Typ aplikace nebyl nastaven.") + kNoUpdate);
    return false;
  }
  const Product* product = FindProduct(Trim(type));
  if (!product) {
    log.WriteLog("Typ aplikace " + Trim(type) + " není definován." + kNoUpdate);
    return false;
  }
  run.gProduct = product->name;
  run.gRegKey = product->regKey;
  return true;
}

}  // namespace

bool IdentifyProduct(IFileSystem& files, RegistryAccess& registry, UpdateLog& log, Run& run) {
  if (!ProbeFolder(files, run)) return ReadFromRegistry(files, registry, log, run);
  PreferRegisteredName(files, registry, run);
  return true;
}

}  // namespace tyx
