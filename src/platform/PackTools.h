#pragma once
#include <string>
#include <utility>
#include <vector>

namespace tyx {

// What the packaging tool needs beyond the updater's platform.
class IPackTools {
 public:
  virtual ~IPackTools() = default;
  // Writes an MSZIP-compressed cabinet of (entry name in the ANSI code page,
  // source file) pairs; false with the reason in `error`.
  virtual bool WriteCabinet(const std::string& cabinet, const std::vector<std::pair<std::string, std::string>>& entries,
                            std::string& error) = 0;
  // RSA PKCS#1 v1.5 over SHA-256 with the private key of a PEM file; the
  // signature's bytes in OpenSSL's order.
  virtual bool Sign(const std::string& keyFile, const std::string& data, std::string& signature, std::string& error) = 0;
};

}  // namespace tyx
