#include "platform/win32/Win32Dialogs.h"

#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {

void Win32Dialogs::MessageBox(const std::string& text, const std::string& title, MessageIcon icon) {
  UINT style = MB_OK | (icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONEXCLAMATION);
  MessageBoxW(static_cast<HWND>(owner_), Wide(text).c_str(), Wide(title).c_str(), style);
}

}  // namespace tyx::win32
