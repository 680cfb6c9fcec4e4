#pragma once
#include <array>
#include <string>
#include <string_view>

namespace tyx {

struct Product {
  const char* name;
  const char* executable;
  const char* regKey;
  const char* xpBuild;
  const char* vBuild;
  bool norvaFamily;
};

// The six products, in the order the folder probe tries them.
extern const std::array<Product, 6> kCatalogue;

// Exact, case-sensitive match of the product name; nullptr when none.
const Product* FindProduct(std::string_view name);

}  // namespace tyx
