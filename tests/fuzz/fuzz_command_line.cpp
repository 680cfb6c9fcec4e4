// The command line: any text the product (or anyone) passes must give four
// trimmed fields that hold no separator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "startup/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tyx::Run run;
  tyx::ReadCommandLine(std::string(reinterpret_cast<const char*>(data), size), run);
  for (const std::string* field : {&run.gDataPath, &run.gAppPath, &run.cApp, &run.gChannel}) {
    if (field->find(',') != std::string::npos) std::abort();
    if (!field->empty() && (field->front() == ' ' || field->back() == ' ')) std::abort();
  }
  return 0;
}
