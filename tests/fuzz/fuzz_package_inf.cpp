// update.inf as it comes in a package: the parser either refuses it or reads
// back exactly the text it was given, and the check of a staging folder
// against it never crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/Fakes.h"
#include "package/PackageCheck.h"
#include "package/PackageInf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tyx::test::TempDir dir;
  static tyx::test::StdFileSystem files;
  static tyx::test::FakeCrypto crypto;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (auto inf = tyx::ParsePackageInf(text)) {
    if (tyx::ComposeFileList(inf->files) != inf->signedPart ||
        inf->signedPart + tyx::SignatureLine(inf->signature) != text)
      std::abort();
    dir.Write("stage/a.exe", "12");
    dir.Write("stage/sub/b.txt", "");
    dir.Write("stage/update.inf", text);
    tyx::CheckPackage(files, crypto, dir.Path("stage"));
  }
  return 0;
}
