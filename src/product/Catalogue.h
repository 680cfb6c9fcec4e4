#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tyx {

// Which Windows an edition build is meant for (by the major version).
enum class WindowsRule {
  Nt6,       // 6.x
  Nt5,       // 5.x
  BelowNt6,  // anything before 6
};

// Everything the updater knows about one product.
struct Product {
  const char* name;
  const char* executable;
  const char* regKey;
  const char* xpBuild;
  const char* vBuild;
  WindowsRule xpRule;  // the V build always needs Windows 6.x
  bool norvaFamily;
  const char* host;  // bare host name of the web source
  const char* releasePath;
  const char* betaPath;
  std::array<const char*, 2> windowsToClose;  // titles, in order; unused ones are nullptr
};

// The six products, in the order the folder probe tries them.
extern const std::array<Product, 6> kCatalogue;

// Exact, case-sensitive match of the product name; nullptr when none.
const Product* FindProduct(std::string_view name);

struct WebSource {
  std::string host;  // bare host name
  std::string path;  // begins and ends with "/"
};

// The product's web host and channel folder; false for a name not in the table.
bool FindWebSource(const std::string& product, bool beta, WebSource& source);

// The titles of the windows to close before the product's executable is replaced.
std::vector<std::string> WindowsToClose(const Product& product);

}  // namespace tyx
