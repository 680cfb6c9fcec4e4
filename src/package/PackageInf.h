#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tyx {

// update.inf, the signed list of a package's files:
//   TyxUpdate package 1<CR LF>
//   <size> <SHA-256, 64 lower-case hex digits> <name><CR LF>   one line per file
//   signature <RSA signature in hex, as OpenSSL writes it><CR LF>
// Names are UTF-8 and relative to the staging folder ("\" between folders).
// The signature covers every byte before the signature line.
struct PackageFile {
  std::string name;
  uint64_t size = 0;
  std::string sha256;
};

struct PackageInf {
  std::vector<PackageFile> files;
  std::string signedPart;
  std::string signature;  // raw bytes
};

// Larger than any honest list of the at most 32 766 files a package may hold.
inline constexpr size_t kMaxPackageInfSize = 8u << 20;

// nullopt for anything but a well-formed list: one line per file, no name twice
// (case ignored), every name one the extraction accepts.
std::optional<PackageInf> ParsePackageInf(std::string_view text);
// The signed part for these files, in this order.
std::string ComposeFileList(const std::vector<PackageFile>& files);
std::string SignatureLine(const std::string& signature);
// The signature's bytes from a signature line (without CR LF); nullopt for
// anything else.
std::optional<std::string> ParseSignatureLine(std::string_view line);

}  // namespace tyx
