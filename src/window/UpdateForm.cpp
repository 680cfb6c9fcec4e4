#include "window/UpdateForm.h"

namespace tyx {

void UpdateForm::ShowMainForm() {
  session_.log.SetPump([this] { session_.window.Pump(); });
  session_.window.EnableTimer(Timer::Main, true);
  const bool shown = session_.window.ShowModal(*this);
  session_.log.SetPump(nullptr);
  if (!shown) session_.log.WriteLog("Okno aktualizace nelze otevřít. Aktualizace nebude provedena.");
}

void UpdateForm::OnActivate() {
  session_.window.SetCaption(Label::App, "Aktualizace aplikace " + session_.run.gProduct);
}

void UpdateForm::OnMainTimer() {
  session_.window.EnableTimer(Timer::Main, false);
  session_.window.SetMousePointer(MousePointer::Hourglass);
  working_ = true;
  update_(session_);
  working_ = false;
  if (session_.form.mCloseRequested) session_.window.Unload();
}

void UpdateForm::OnEndTimer() { session_.window.Unload(); }

// Closing in the middle of a step would leave it half done: the download
// stops at its next chunk or pause, keeping what arrived for the next run;
// other steps end first. Then the window closes.
bool UpdateForm::OnCloseRequest() {
  if (working_) session_.form.mCloseRequested = true;
  return !working_;
}

}  // namespace tyx
