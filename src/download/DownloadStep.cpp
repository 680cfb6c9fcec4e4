#include "download/DownloadStep.h"

namespace tyx {

// Placeholder until the HTTPS download is built: says so and ends the run
// normally, so the application is started again.
void DownloadUpdate(Session& s) {
  if (!s.form.mNewVerType) return;
  s.log.WriteLog("Doména " + s.form.mHost + ", cesta " + s.form.mPath + "update.cab");
  s.ShowStatus("Aktualizace z internetu zatím není k dispozici.");
  s.Pump();
  s.window.SetMousePointer(MousePointer::Default);
  s.window.EnableTimer(Timer::End, true);
}

}  // namespace tyx
