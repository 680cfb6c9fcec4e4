#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "descriptor/ReleaseDescriptor.h"
#include "package/PackageInf.h"

namespace tyx {

// The state of one run of the updater, built by start-up and handed to
// every step.
struct Run {
  std::string gCmdLine;     // the arguments, lower-cased
  std::string gDataPath;    // may hold a shared copy of update.cab
  std::string gAppPath;     // where the installation works
  std::string cApp;         // the application's executable, as installed
  std::string gChannel;     // "beta" selects the beta channel
  std::string gProduct;
  std::string gRegKey;
  std::string gRegSubKey;   // "\" & gAppPath with "/" for "\"
  // OldVer below the application folder: whoever may replace the application,
  // and only they, can write there, also when the updater runs elevated.
  std::string gWorkPath;    // update.cab as it is checked and installed
  std::string gNewVerPath;  // the staging folder, below gWorkPath
  std::optional<PackageInf> signedList;  // update.inf, once its signature was verified
  std::optional<ReleaseDescriptor> descriptor;  // the web host's, once accepted
  std::optional<DeltaPackage> delta;            // what update.cab holds instead of the package
  bool gUpdated = false;
  bool gProxy = false;
  std::string gProxyAdr;
  std::string gLastError;
  int32_t gProgressPos = 0;  // the moving blocks of the byte counter
};

}  // namespace tyx
