#pragma once
#include <string>
#include <string_view>

// Texts are UTF-8 inside the program.
namespace tyx {

std::string LowerCase(std::string_view text);
std::string Trim(std::string_view text);  // blanks only, as the command line wants
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace tyx
