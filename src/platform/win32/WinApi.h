#pragma once
// windows.h for the Win32 layer. Its A/W macros would rename the platform
// interfaces' methods of the same names, so they go; the layer calls the W
// or A functions by their full names.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef MessageBox
#undef GetLongPathName
#undef ReplaceFile
#undef GetVersionEx
#undef GetTempPath
#undef CreateWindow
#undef FindWindow
#undef PostMessage
#undef CreateFont
#undef DrawText
