#pragma once
#include <string>

#include "platform/SystemInfo.h"

namespace tyx {

// Windows NT 5.x (2000, XP, Server 2003).
bool IsWinNT5(ISystem& system);
// Windows NT 6.x and every later version: a program that declares
// compatibility with Windows 10 is told 10.0 there, which must still count.
bool IsWinNT6(ISystem& system);

}  // namespace tyx
