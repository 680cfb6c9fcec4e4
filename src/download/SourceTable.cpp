#include "download/SourceTable.h"

namespace tyx {
namespace {

struct Row {
  const char* product;
  const char* host;
  const char* release;
  const char* beta;
};

// The host names come from the build (cmake/Hosts.cmake).
const Row kSources[] = {
    {"Norva", TYX_HOST_NORVA, "/tyx/norva/newverall/", "/tyx/norva/betaall/"},
    {"NorvaPro", TYX_HOST_NORVA, "/tyx/norvapro/newverall/", "/tyx/norvapro/betaall/"},
    {"NorvaLite", TYX_HOST_NORVA, "/tyx/norvalite/newverall/", "/tyx/norvalite/betaall/"},
    {"Talvik", TYX_HOST_TALVIK, "/tyx/talvik/newver/", "/tyx/talvik/beta/"},
    {"TalvikPro", TYX_HOST_TALVIK, "/tyx/talvikpro/newver/", "/tyx/talvikpro/beta/"},
    {"Bremo", TYX_HOST_BREMO, "/tyx/bremo/newver/", "/tyx/bremo/beta/"},
};

}  // namespace

bool FindWebSource(const std::string& product, bool beta, WebSource& source) {
  for (const Row& row : kSources) {
    if (product == row.product) {
      source = {row.host, beta ? row.beta : row.release};
      return true;
    }
  }
  return false;
}

}  // namespace tyx
