#pragma once
#include "window/Session.h"

namespace tyx {

// frmAktualizace: shows the product, runs the whole update in the main
// timer's one tick and closes itself through the end timer.
class UpdateForm : public IWindowEvents {
 public:
  explicit UpdateForm(Session& session) : session_(session) {}

  // Returns once the window has been unloaded.
  void ShowMainForm();

  void OnActivate() override;
  void OnMainTimer() override;
  void OnEndTimer() override;
  bool OnCloseRequest() override;

 private:
  Session& session_;
  bool working_ = false;
};

}  // namespace tyx
