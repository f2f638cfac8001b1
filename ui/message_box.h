// The real message box, owned by the main dialog; the shell hands it to SetMessageSink.
#pragma once

#include <windows.h>

#include <string_view>

#include "tasks/message.h"

namespace nagitome {

void ShowMessageBox(std::wstring_view text, MessageIcon icon);

// The main dialog, owner of every box and file dialog; null before it exists.
void SetMainWindow(HWND dialog);
HWND MainWindow();

}  // namespace nagitome
