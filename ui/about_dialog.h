// The version dialog (template 101) with its web link.
#pragma once

#include <windows.h>

namespace nagitome {

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace nagitome
