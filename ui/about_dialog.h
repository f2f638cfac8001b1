// The version dialog (template 101) with its web link.
#pragma once

#include <windows.h>

namespace nagitome {

// Runs the dialog modally over owner (may be null) until OK or the close button.
void ShowAboutDialog(HINSTANCE instance, HWND owner);

}  // namespace nagitome
