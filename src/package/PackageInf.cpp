#include "package/PackageInf.h"

#include <set>

#include "cabinet/CabPaths.h"
#include "platform/Text.h"

namespace tyx {
namespace {

const char kHeader[] = "TyxUpdate package 1\r\n";
const char kSignature[] = "signature ";
const char kHex[] = "0123456789abcdef";

bool ParseSize(std::string_view digits, uint64_t& size) {
  if (digits.empty() || digits.size() > 19 || (digits.size() > 1 && digits[0] == '0')) return false;
  size = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    size = size * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

bool IsHex(std::string_view text) { return text.find_first_not_of(kHex) == std::string_view::npos; }

bool ParseLine(std::string_view line, PackageFile& file) {
  size_t first = line.find(' ');
  if (first == std::string_view::npos || !ParseSize(line.substr(0, first), file.size)) return false;
  std::string_view rest = line.substr(first + 1);
  if (rest.size() < 66 || rest[64] != ' ' || !IsHex(rest.substr(0, 64))) return false;
  file.sha256 = rest.substr(0, 64);
  file.name = rest.substr(65);
  for (unsigned char c : file.name)
    if (c < 0x20 || c == 0x7f || c == '/') return false;
  return IsSafeEntryName(file.name);
}

std::string Unhex(std::string_view hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::string_view(kHex).find(hex[i]) * 16 + std::string_view(kHex).find(hex[i + 1]));
  return bytes;
}

}  // namespace

std::optional<PackageInf> ParsePackageInf(std::string_view text) {
  if (text.size() > kMaxPackageInfSize || text.substr(0, sizeof kHeader - 1) != kHeader) return std::nullopt;
  PackageInf inf;
  std::set<std::string> seen;
  for (size_t start = sizeof kHeader - 1;;) {
    size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = text.substr(start, end - start);
    if (line.substr(0, sizeof kSignature - 1) == kSignature) {
      std::optional<std::string> signature = ParseSignatureLine(line);
      if (end + 2 != text.size() || !signature) return std::nullopt;
      inf.signedPart = text.substr(0, start);
      inf.signature = std::move(*signature);
      return inf;
    }
    PackageFile file;
    if (!ParseLine(line, file)) return std::nullopt;
    if (!seen.insert(LowerCase(file.name)).second) return std::nullopt;
    inf.files.push_back(std::move(file));
    start = end + 2;
  }
}

std::optional<std::string> ParseSignatureLine(std::string_view line) {
  if (line.substr(0, sizeof kSignature - 1) != kSignature) return std::nullopt;
  std::string_view hex = line.substr(sizeof kSignature - 1);
  if (hex.empty() || hex.size() % 2 || hex.size() > 1024 || !IsHex(hex)) return std::nullopt;
  return Unhex(hex);
}

std::string ComposeFileList(const std::vector<PackageFile>& files) {
  std::string text = kHeader;
  for (const PackageFile& f : files) text += std::to_string(f.size) + " " + f.sha256 + " " + f.name + "\r\n";
  return text;
}

std::string SignatureLine(const std::string& signature) {
  std::string line = kSignature;
  for (unsigned char c : signature) {
    line += kHex[c >> 4];
    line += kHex[c & 15];
  }
  return line + "\r\n";
}

}  // namespace tyx
