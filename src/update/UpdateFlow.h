#pragma once
#include "delta/DeltaDownload.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "session/Session.h"

namespace tyx {

// The whole run: start-up, the update window, the end of the run. Returns the
// process's exit code.
int Main(Platform& platform, IWindow& window);

// The main timer's one tick: the source decision, then the local or the web path.
void UpdateProduct(Session& session);
// The package from the data folder: checked, installed; the window closes in
// every case.
void LocalUpdate(Session& session);
// From mHost and mPath, after the host's release descriptor: a delta or the
// whole package.
void WebUpdate(Session& session);
// The delta from the installed release, when the host lists one, in place of
// the package: Used when it took the run to its end (installed or refused),
// NotUsed when the package must follow, Stopped when the user closed the window.
DeltaUse UpdateFromDelta(Session& session);
// The whole package: downloaded, checked, shared, installed. False when the
// download failed: the window stays open with the message.
bool PackageUpdate(Session& session);
// The package in gWorkPath unpacked into the staging folder, and all that the
// installation needs proven: the maker's signature, this product's release,
// its edition build.
bool UnpackAndCheck(Session& session);
// Its two halves: the signed list and the release checked, the package
// unpacked; then the staging folder held to the list, and the edition build.
bool UnpackPackage(Session& session);
bool CheckUnpacked(Session& session);

}  // namespace tyx
