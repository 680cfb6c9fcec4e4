#pragma once
#include <string>

namespace tyx {

struct WebSource {
  std::string host;  // bare host name
  std::string path;  // begins and ends with "/"
};

// The product's web host and channel folder; false for a name not in the table.
bool FindWebSource(const std::string& product, bool beta, WebSource& source);

}  // namespace tyx
