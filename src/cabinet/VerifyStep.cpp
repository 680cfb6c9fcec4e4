#include "cabinet/VerifyStep.h"

#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "product/EditionBuilds.h"

namespace tyx {

bool VerifyUpdate(Session& s) {
  ISystem& system = s.platform.system;
  IFileSystem& files = s.platform.files;
  if (const Product* p = FindProduct(s.run.gProduct)) {
    for (const char* buildFile : {p->xpBuild, p->vBuild}) {
      const EditionBuild build = FindEditionBuild(LowerCase(buildFile));
      if (files.FileExists(s.run.gNewVerPath + "\\" + buildFile) && SuitsThisWindows(build, system)) return true;
    }
  }
  RegistryAccess registry(s.platform.registry, s.platform.codePage, s.platform.dialogs);
  registry.WriteRegValue(HKEY_CURRENT_USER_VALUE, s.run.gRegKey + s.run.gRegSubKey, "NEWVER", REG_SZ_TYPE,
                         std::string("0"));
  s.log.WriteLog("CL - Aktualizační soubor neobsahuje požadované soubory.");
  s.platform.dialogs.MessageBox("Aktualizační soubor neobsahuje požadované soubory.\r\nKontaktujte dodavatele programu",
                                "Update", MessageIcon::Exclamation);
  return false;
}

}  // namespace tyx
