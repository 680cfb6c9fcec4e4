#include "download/SourceDecision.h"

#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "product/Catalogue.h"

namespace tyx {
namespace {

void SetSource(Session& s, bool beta) {
  WebSource source;
  if (FindWebSource(s.run.gProduct, beta, source)) {
    s.form.mHost = source.host;
    s.form.mPath = source.path;
  }
}

}  // namespace

void SetReleaseSource(Session& session) { SetSource(session, false); }
void SetBetaSource(Session& session) { SetSource(session, true); }

UpdateSource DecideSource(Session& s) {
  RegistryAccess registry(s.platform.registry, s.platform.codePage, s.platform.dialogs);
  const std::string key = s.run.gRegKey + s.run.gRegSubKey;
  const Product* product = FindProduct(s.run.gProduct);
  std::string type = "1";
  // A Norva-family product started without arguments always updates from the web.
  if (!(Trim(s.run.gCmdLine).empty() && product && product->norvaFamily))
    registry.ReadText(key, "NEWVERTYPE", type);
  s.form.mNewVerType = type;
  s.log.WriteLog("Typ aktualizace: " + type);

  std::string proxy;
  registry.ReadText(key, "Proxy", proxy);
  s.run.gProxy = proxy == "1";
  s.run.gProxyAdr.clear();
  registry.ReadText(key, "ProxyAdr", s.run.gProxyAdr);

  if (type == "0") return UpdateSource::Local;
  if (LowerCase(s.run.gChannel) == "beta")
    SetBetaSource(s);
  else
    SetReleaseSource(s);
  return UpdateSource::Web;
}

}  // namespace tyx
