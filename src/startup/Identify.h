#pragma once
#include "log/UpdateLog.h"
#include "platform/FileSystem.h"
#include "platform/RegistryAccess.h"
#include "session/Run.h"

namespace tyx {

// Sets cApp, gProduct and gRegKey from the application folder, else from the
// exe and type values under Software\Tyx\. False (with the reason logged)
// when neither names a product.
bool IdentifyProduct(IFileSystem& files, RegistryAccess& registry, UpdateLog& log, Run& run);

}  // namespace tyx
