#pragma once
#include "platform/Platform.h"
#include "platform/Window.h"
#include "session/Session.h"

namespace tyx {

// The whole run: start-up, the update window, the end of the run. Returns the
// process's exit code.
int Main(Platform& platform, IWindow& window);

// The main timer's one tick: the source decision, then the local or the web path.
void UpdateProduct(Session& session);
// The package from the data folder: extracted, verified, installed; the
// window closes in every case.
void LocalUpdate(Session& session);
// The package from mHost and mPath: downloaded, extracted, installed; after a
// failed download the window stays open with the message.
void WebUpdate(Session& session);

}  // namespace tyx
