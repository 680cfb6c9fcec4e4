#include "cabinet/VerifyStep.h"

#include "platform/ErrorRecord.h"
#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "product/EditionBuilds.h"

namespace tyx {
namespace {

// This product's edition build for this Windows, and no other product's: the
// installation would put that in place of this product's executable.
bool HoldsThisProductsBuild(Session& s) {
  const Product* product = FindProduct(s.run.gProduct);
  bool suits = false;
  std::vector<std::string> names;
  try {
    names = s.platform.files.Files(s.run.gNewVerPath);
  } catch (const ErrorRecord&) {
  }
  for (const std::string& name : names) {
    const EditionBuild build = FindEditionBuild(LowerCase(name));
    if (build.product && build.product != product) return false;
    suits |= build.product && SuitsThisWindows(build, s.platform.system);
  }
  return suits;
}

}  // namespace

bool VerifyUpdate(Session& s) {
  if (HoldsThisProductsBuild(s)) return true;
  RegistryAccess registry(s.platform.registry, s.platform.codePage, s.platform.dialogs);
  registry.WriteRegValue(HKEY_CURRENT_USER_VALUE, s.run.gRegKey + s.run.gRegSubKey, "NEWVER", REG_SZ_TYPE,
                         std::string("0"));
  s.log.WriteLog("CL - Aktualizační soubor neobsahuje požadované soubory.");
  s.platform.dialogs.MessageBox("Aktualizační soubor neobsahuje požadované soubory.\r\nKontaktujte dodavatele programu",
                                "Update", MessageIcon::Exclamation);
  return false;
}

}  // namespace tyx
