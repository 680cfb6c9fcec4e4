// update.inf and TyxRelease.inf as they come in a package: each parser either
// refuses the text or reads back exactly what it was given, and the checks of
// a staging folder and a cabinet's listing against the list never crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/Fakes.h"
#include "package/CabinetListing.h"
#include "package/PackageCheck.h"
#include "package/PackageInf.h"
#include "release/ReleaseInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tyx::test::TempDir dir;
  static tyx::test::StdFileSystem files;
  static tyx::test::FakeCrypto crypto;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (auto release = tyx::ParseReleaseInfo(text))
    if (tyx::ComposeReleaseInfo(*release) != text) std::abort();
  if (auto inf = tyx::ParsePackageInf(text)) {
    if (tyx::ComposeFileList(inf->files) != inf->signedPart ||
        inf->signedPart + tyx::SignatureLine(inf->signature) != text)
      std::abort();
    dir.Write("stage/a.exe", "12");
    dir.Write("stage/sub/b.txt", "");
    tyx::CheckPackageFiles(files, crypto, dir.Path("stage"), *inf);
    tyx::CheckCabinetListing(*inf, {{"a.exe", 2}, {"pack.cab", 5000}, {"SUB\\b.txt", 0}, {"pack.lst", 20}});
  }
  return 0;
}
