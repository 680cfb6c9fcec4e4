#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Cabinet.h"
#include "platform/CodePage.h"
#include "platform/ErrorRecord.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

namespace tyx {

struct CabEntry {
  std::string name;  // with its folders, "\\" between them
  uint32_t size = 0;
};

constexpr int32_t kNoCabNameError = static_cast<int32_t>(0x800407A4u);

struct CabServices {
  ICabinet& cabinet;
  IFileSystem& files;
  ICodePage& codePage;
  ISystem& system;
};

// clsCABFile: lists and unpacks one cabinet through the platform's cabinet
// iteration. Failures are thrown as ErrorRecord.
class CabFile {
 public:
  explicit CabFile(CabServices services) : services_(services) {}

  std::string CabName;

  int32_t FileCount();
  bool Extract(const std::string& fileToExtract, const std::string& outputPath, const std::string& outputFile);
  // Collects the full names of the entries whose name matches (all when
  // empty); with a name it stops at the first match.
  bool GetInfo(const std::string& fileToInvestigate);
  std::string GetXML(const std::string& fileToInvestigate);
  const std::vector<CabEntry>& Entries() const { return entries_; }

 private:
  enum class Operation { Count, Info, Extract, Xml };
  void Iterate(Operation op, const char* source);
  uint32_t CabZpet(Operation op, uint32_t notification, CabinetNotice& notice);
  uint32_t InfoFileInCabinet(const CabinetNotice& notice);
  uint32_t XmlFileInCabinet(const CabinetNotice& notice);
  uint32_t ExtractFileInCabinet(CabinetNotice& notice);
  std::string TargetPath(const std::string& fullName) const;
  std::string DateText(uint16_t dosDate, uint16_t dosTime);

  CabServices services_;
  std::string mFilter, mOutputPath, mOutputFile, mXml;
  int32_t mCount = 0;
  std::vector<CabEntry> entries_;
  bool matched_ = false;
  std::optional<ErrorRecord> failure_;
};

std::string Win32ErrorText(uint32_t code);
std::string CabErrorText(int32_t number);
std::string XmlElement(const std::string& content, const std::string& tag, const std::string& attributeName = "",
                       const std::string& attributeValue = "");

}  // namespace tyx
