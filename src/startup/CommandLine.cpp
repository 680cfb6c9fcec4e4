#include "startup/CommandLine.h"

#include "platform/Text.h"
#include "startup/StrTok.h"

namespace tyx {

void ReadCommandLine(const std::string& arguments, Run& run) {
  run.gCmdLine = LowerCase(arguments);
  StrTok tok;
  tok(run.gCmdLine, ",");
  run.gDataPath = Trim(tok("", ","));
  run.gAppPath = Trim(tok("", ","));
  run.cApp = Trim(tok("", ","));
  run.gChannel = Trim(tok("", ","));
}

}  // namespace tyx
