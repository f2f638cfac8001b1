// The version dialog (template 101) with its web link.
#pragma once

#include <windows.h>

namespace nagitome {

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The link's current text colour (blue normally, red under the pointer), for tests.
COLORREF LinkColor();

}  // namespace nagitome
