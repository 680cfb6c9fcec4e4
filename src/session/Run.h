#pragma once
#include <cstdint>
#include <string>

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
  std::string gTempPath;    // long form of the temporary folder
  std::string gNewVerPath;  // the staging folder
  bool gUpdated = false;
  bool gProxy = false;
  std::string gProxyAdr;
  std::string gLastError;
  int32_t gProgressPos = 0;  // the moving blocks of the byte counter
};

}  // namespace tyx
