#pragma once
#include "session/Session.h"

namespace tyx {

// frmAktualizace: shows the product, runs the update it is given in the main
// timer's one tick and closes itself through the end timer.
class UpdateForm : public IWindowEvents {
 public:
  using Update = void (*)(Session&);
  UpdateForm(Session& session, Update update) : session_(session), update_(update) {}

  // Returns once the window has been unloaded.
  void ShowMainForm();

  void OnActivate() override;
  void OnMainTimer() override;
  void OnEndTimer() override;
  bool OnCloseRequest() override;

 private:
  Session& session_;
  Update update_;
  bool working_ = false;
};

}  // namespace tyx
