// Entry names of update.cab and of the nested pack.cab, one per line: the
// extraction either fails or writes only below the staging folder, and never
// into a device.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cabinet/ExtractStep.h"
#include "fakes/SessionHarness.h"

namespace {

using Entry = tyx::test::FakeCabinet::Entry;

// Windows' devices: in any folder, with any extension, trailing dots or blanks.
const std::regex kDevice(R"((^|[\\/])(con|prn|aux|nul|conin\$|conout\$|(com|lpt)([0-9]|¹|²|³)) *(\.[^\\/]*)?([\\/]|$))",
                         std::regex::icase);

bool Below(const std::filesystem::path& path, const std::filesystem::path& folder) {
  auto relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tyx::test::SessionHarness h;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<Entry> outer, inner;
  bool nested = !text.empty() && text[0] == '+';
  for (size_t start = nested ? 1 : 0; start <= text.size() && outer.size() + inner.size() < 8;) {
    size_t end = std::min(text.find('\n', start), text.size());
    (nested ? inner : outer).push_back({text.substr(start, end - start), "x"});
    start = end + 1;
  }
  if (nested) {
    outer.push_back({"pack.cab", "MSCF"});
    outer.push_back({"pack.lst", ""});
    h.cabinet.cabinets[h.run.gNewVerPath + "\\pack.cab"] = inner;
  }
  h.MakeCabinet("temp/update.cab", outer);
  const auto root = std::filesystem::weakly_canonical(h.dir.Native());
  const auto staging = root / "temp" / "TyxNewVer";
  // Where a name joined unchecked would land, when that is outside the staging folder.
  std::vector<std::filesystem::path> escapes;
  for (const std::vector<Entry>* entries : {&outer, &inner}) {
    for (const Entry& e : *entries) {
      std::string name = e.name;
      for (char& c : name)
        if (c == '\\') c = '/';
      auto target = (staging / std::filesystem::path(name).relative_path()).lexically_normal();
      if (!Below(target, staging) && !std::filesystem::exists(target)) escapes.push_back(target);
    }
  }
  if (tyx::ExtractUpdate(h.session) == 0)
    for (const std::vector<Entry>* entries : {&outer, &inner})
      for (const Entry& e : *entries)
        if (std::regex_search(e.name, kDevice)) std::abort();
  for (const auto& target : escapes)
    if (std::filesystem::exists(target)) std::abort();

  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    const auto path = item.path();
    if (Below(path, staging) || path == staging) continue;
    const auto relative = path.lexically_relative(root).generic_string();
    if (relative != "own" && relative != "own/TyxUpdate.exe" && relative != "own/Update.log" && relative != "temp" &&
        relative != "temp/.keep" && relative != "temp/update.cab" && relative != "app" && relative != "app/.keep" &&
        relative != "data" && relative != "data/.keep")
      std::abort();
  }
  std::filesystem::remove_all(staging);
  std::filesystem::remove(h.dir.Native("own/Update.log"));
  return 0;
}
