// Entry names of update.cab ("+" first: of the nested pack.cab), one per line: the extraction either fails or
// writes only below the staging folder, and never into a device.
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "cabinet/ExtractStep.h"
#include "fakes/Fakes.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Windows' devices: in any folder, with any extension, trailing dots or blanks.
  static const std::regex kDevice(
      R"((^|[\\/])(con|prn|aux|nul|conin\$|conout\$|(com|lpt)([0-9]|¹|²|³)) *(\.[^\\/]*)?([\\/]|$))", std::regex::icase);
  static tyx::test::Harness h;
  static const std::set<std::string> kHarness = {"own/TyxUpdate.exe", "own/Update.log", "temp/update.cab",
                                                 "temp/.keep", "app/.keep", "data/.keep"};
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<tyx::test::FakeCabinet::Entry> outer, inner;
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
  for (const auto& e : nested ? inner : outer)
    if (extracted && std::regex_search(e.name, kDevice)) std::abort();
  const auto staging = h.dir.Native("temp/TyxNewVer");
  for (const auto& item : fs::recursive_directory_iterator(h.dir.Native())) {
    const auto relative = item.path().lexically_relative(h.dir.Native()).generic_string();
    if (item.is_regular_file() && *item.path().lexically_relative(staging).begin() == ".." && !kHarness.count(relative))
      std::abort();
  }
  fs::remove_all(staging);
  fs::remove(h.dir.Native("own/Update.log"));
  return 0;
}
