#pragma once
#include "platform/PackTools.h"

namespace tyx::win32 {

// FCI of cabinet.dll for writing cabinets; CryptoAPI for signing.
class Win32PackTools : public IPackTools {
 public:
  bool WriteCabinet(const std::string& cabinet, const std::vector<std::pair<std::string, std::string>>& entries,
                    std::string& error) override;
  bool Sign(const std::string& keyFile, const std::string& data, std::string& signature, std::string& error) override;
};

}  // namespace tyx::win32
