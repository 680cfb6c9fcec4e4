// Entry names of update.cab ("+" first: of the nested pack.cab), one per line: the extraction refuses the
// package, before writing any of its entries, exactly when a name could reach outside the staging folder or into
// a device, and otherwise writes only below the staging folder.
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "cabinet/ExtractStep.h"
#include "fakes/Fakes.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Absolute or drive paths, streams, ".." however dotted, and Windows' devices in any folder, with any
  // extension, trailing dots or blanks.
  static const std::regex kUnsafe(
      R"(^$|^[\\/]|:|(^|[\\/])[. ]*\.\.[. ]*([\\/]|$)|(^|[\\/])(con|prn|aux|nul|conin\$|conout\$|(com|lpt)([0-9]|¹|²|³)) *(\.[^\\/]*)?([\\/]|$))",
      std::regex::icase);
  static tyx::test::Harness h;
  static const std::set<std::string> kHarness = {"own/TyxUpdate.exe", "own/Update.log", "temp/update.cab",
                                                 "temp/.keep", "app/.keep", "data/.keep"};
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<tyx::test::FakeCabinet::Entry> outer, inner;
  h.cabinet.cabinets.clear();
  h.run.gLastError.clear();
  const bool nested = !text.empty() && text[0] == '+';
  for (size_t start = nested, end; start <= text.size() && outer.size() + inner.size() < 8; start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    (nested ? inner : outer).push_back({text.substr(start, end - start), "x"});
  }
  if (nested) {
    outer.insert(outer.end(), {{"pack.cab", "MSCF"}, {"pack.lst", ""}});
    h.cabinet.cabinets[h.run.gNewVerPath + "\\pack.cab"] = inner;
  }
  h.Cabinet("temp/update.cab", outer);
  const bool extracted = tyx::ExtractUpdate(h.session) == 0;
  const bool refused = h.run.gLastError == "The filename, directory name, or volume label syntax is incorrect.";
  const auto& names = nested ? inner : outer;
  const bool unsafe =
      std::any_of(names.begin(), names.end(), [](auto& e) { return std::regex_search(e.name, kUnsafe); });
  if ((extracted && unsafe) || (refused && !unsafe)) std::abort();
  const auto staging = h.dir.Native("temp/TyxNewVer");
  for (const auto& item : fs::recursive_directory_iterator(h.dir.Native())) {
    const auto inStaging = item.path().lexically_relative(staging);
    const bool outside = *inStaging.begin() == "..";
    if (item.is_regular_file() && (outside ? !kHarness.count(item.path().lexically_relative(h.dir.Native()))
                                           : refused && inStaging != "pack.cab" && inStaging != "pack.lst"))
      std::abort();
  }
  fs::remove_all(staging);
  fs::remove(h.dir.Native("own/Update.log"));
  return 0;
}
