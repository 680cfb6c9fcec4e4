#include "cabinet/CabFile.h"

#include <exception>

#include "cabinet/CabPaths.h"
#include "platform/DateText.h"
#include "platform/Text.h"

namespace tyx {
namespace {

constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorCannotMake = 82;
constexpr size_t kMaxTargetBytes = 259;

}  // namespace

std::string Win32ErrorText(uint32_t code) {
  switch (code) {
    case 2: return "The system cannot find the file specified.";
    case 3: return "The system cannot find the path specified.";
    case 4: return "The system cannot open the file.";
    case 5: return "Access is denied.";
    case 8: return "Not enough storage is available to process this command.";
    case 13: return "Invalid data.";
    case 14: return "Not enough storage is available to complete this operation.";
    case 15: return "The system cannot find the drive specified.";
    case 19: return "The media is write protected.";
    case 20: return "The system cannot find the device specified.";
    case 21: return "The device is not ready.";
    case 23: return "Data error (cyclic redundancy check).";
    case 25: return "The drive cannot locate a specific area or track on the disk.";
    case 26: return "The specified disk or diskette cannot be accessed.";
    case 27: return "The drive cannot find the sector requested.";
    case 29: return "The system cannot write to the specified device.";
    case 30: return "The system cannot read from the specified device.";
    case 31: return "A device attached to the system is not functioning.";
    case 32: return "The process cannot access the file because it is being used by another process.";
    case 33: return "The process cannot access the file because another process has locked a portion of the file.";
    case 39: return "The disk is full.";
    case 82: return "The directory or file cannot be created.";
    case 111: return "The file name is too long.";
    case 112: return "There is not enough space on the disk.";
    case 123: return "The filename, directory name, or volume label syntax is incorrect.";
    default: return "Unknown error.";
  }
}

std::string CabErrorText(int32_t number) {
  return number == kNoCabNameError
             ? "You must set the CabName property before taking any action on the CabFile object."
             : "Unknown error.";
}

std::string XmlElement(const std::string& content, const std::string& tag, const std::string& attributeName,
                       const std::string& attributeValue) {
  std::string attribute = attributeName.empty() ? "" : " " + attributeName + " = '" + attributeValue + "'";
  return "<" + tag + attribute + ">" + content + "</" + tag + ">";
}

void CabFile::Iterate(Operation op, const char* source) {
  if (CabName.empty())
    throw ErrorRecord(kNoCabNameError, source ? source : "CabFile", CabErrorText(kNoCabNameError));
  failure_.reset();
  matched_ = false;
  uint32_t lastError = 0;
  // Nothing may be thrown through the platform's callback: a failure is
  // kept, the iteration aborted, and the failure raised here.
  bool ok = services_.cabinet.IterateCabinet(
      CabName,
      [&](uint32_t notification, CabinetNotice& notice) -> uint32_t {
        try {
          return CabZpet(op, notification, notice);
        } catch (const ErrorRecord& e) {
          failure_ = ErrorRecord(e.number, "CabFile.CabZpet", e.Description());
        } catch (const std::exception& e) {
          failure_ = ErrorRecord(5, "CabFile.CabZpet", e.what());
        } catch (...) {
          failure_ = ErrorRecord(5, "CabFile.CabZpet", "Unknown error.");
        }
        return notification == SPFILENOTIFY_FILEEXTRACTED ? kErrorCannotMake : FILEOP_ABORT;
      },
      lastError);
  if (failure_) {
    ErrorRecord e = *failure_;
    throw ErrorRecord(e.number, source ? source : e.source, e.Description());
  }
  // Stopping at the first match of a name is not a failure.
  if (!ok && !matched_)
    throw ErrorRecord(static_cast<int32_t>(lastError), source ? source : "CabFile", Win32ErrorText(lastError));
}

uint32_t CabFile::CabZpet(Operation op, uint32_t notification, CabinetNotice& notice) {
  switch (notification) {
    case SPFILENOTIFY_FILEINCABINET:
      switch (op) {
        case Operation::Count: ++mCount; return FILEOP_SKIP;
        case Operation::Info: return InfoFileInCabinet(notice);
        case Operation::Extract: return ExtractFileInCabinet(notice);
        case Operation::Xml: return XmlFileInCabinet(notice);
      }
      return FILEOP_ABORT;
    case SPFILENOTIFY_FILEEXTRACTED: return notice.win32Error;
    // A package is one cabinet: one that goes on in another is cut off, and
    // answering "go on" would have the platform ask again for ever.
    case SPFILENOTIFY_NEEDNEWCABINET: return kErrorInvalidData;
    default: return 0;
  }
}

int32_t CabFile::FileCount() {
  mCount = 0;
  Iterate(Operation::Count, nullptr);
  return mCount;
}

bool CabFile::Extract(const std::string& fileToExtract, const std::string& outputPath, const std::string& outputFile) {
  mFilter = fileToExtract;
  mOutputPath = outputPath;
  mOutputFile = outputFile;
  Iterate(Operation::Extract, nullptr);
  return true;
}

bool CabFile::GetInfo(const std::string& fileToInvestigate) {
  mFilter = fileToInvestigate;
  Iterate(Operation::Info, "CabFile.GetInfo");
  return true;
}

std::string CabFile::GetXML(const std::string& fileToInvestigate) {
  mFilter = fileToInvestigate;
  mXml.clear();
  Iterate(Operation::Xml, "CabFile.GetXML");
  return "<?xml version=\"1.0\"?>" + XmlElement(XmlElement(mXml, "FILES"), "CABFILE", "CABFILENAME", CabName);
}

uint32_t CabFile::InfoFileInCabinet(const CabinetNotice& notice) {
  std::string full = services_.codePage.FromAnsi(notice.nameInCabinet);
  SplitName split = SplitPath(full);
  if (!mFilter.empty()) {
    if (!EqualsNoCase(split.name, mFilter)) return FILEOP_SKIP;
    matched_ = true;
  }
  entries_.push_back({split.folder + split.name, notice.fileSize});
  return matched_ ? FILEOP_ABORT : FILEOP_SKIP;
}

uint32_t CabFile::XmlFileInCabinet(const CabinetNotice& notice) {
  std::string full = services_.codePage.FromAnsi(notice.nameInCabinet);
  SplitName split = SplitPath(full);
  if (!mFilter.empty()) {
    if (!EqualsNoCase(split.name, mFilter)) return FILEOP_SKIP;
    matched_ = true;
  }
  mXml += XmlElement(XmlElement(full, "FULLNAME") + XmlElement(split.name, "NAME") +
                         XmlElement(DateText(notice.dosDate, notice.dosTime), "DATE") +
                         XmlElement(std::to_string(notice.fileSize), "SIZE") + XmlElement(split.folder, "PATH"),
                     "FILE") +
          "\r\n";
  return matched_ ? FILEOP_ABORT : FILEOP_SKIP;
}

uint32_t CabFile::ExtractFileInCabinet(CabinetNotice& notice) {
  std::string full = services_.codePage.FromAnsi(notice.nameInCabinet);
  if (!mFilter.empty() && !EqualsNoCase(full, mFilter)) return FILEOP_SKIP;
  // An entry may name only a place below the output folder.
  if (!IsSafeEntryName(full)) throw ErrorRecord(kErrorInvalidName, "CabFile", Win32ErrorText(kErrorInvalidName));
  std::string target = TargetPath(full);
  // A folder that cannot be made fails the extraction instead of losing the file.
  if (!MakePath(services_.files, SplitPath(target).folder))
    throw ErrorRecord(kErrorCannotMake, "CabFile", Win32ErrorText(kErrorCannotMake));
  std::string ansi = services_.codePage.ToAnsi(target);
  if (ansi.size() > kMaxTargetBytes) throw ErrorRecord(111, "CabFile", Win32ErrorText(111));
  notice.fullTargetName = ansi;
  return FILEOP_DOIT;
}

std::string CabFile::TargetPath(const std::string& fullName) const {
  std::string folder = mOutputPath.empty() ? SplitPath(CabName).folder : mOutputPath;
  return AddBackslash(folder) + (mOutputFile.empty() ? fullName : mOutputFile);
}

std::string CabFile::DateText(uint16_t dosDate, uint16_t dosTime) {
  LocalTime t;  // the zero date when the conversion fails
  if (!services_.cabinet.DosDateTimeToTime(dosDate, dosTime, t)) t = LocalTime{};
  return GeneralDate(services_.system, t);
}

}  // namespace tyx
