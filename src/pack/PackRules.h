#pragma once
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace tyx {

struct PackRequest {
  std::string product;
  std::vector<std::string> files;      // names in the package folder
  std::vector<std::string> packFiles;  // names in the folder for pack.cab
  bool dataFiles = false;              // the engineer means to ship a database
};

// The package must not surprise the updater: the product's two edition builds,
// names the extraction accepts that fit the staging path, no name twice, no
// file the installation skips, a count its counters hold. Refusals, and
// warnings that do not stop the package, in plain words.
void CheckPackRequest(const PackRequest& request, ICodePage& codePage, std::vector<std::string>& refusals,
                      std::vector<std::string>& warnings);

}  // namespace tyx
