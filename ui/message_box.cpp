#include "ui/message_box.h"

#include <string>

#include "tasks/texts.h"

namespace nagitome {

namespace {
HWND g_mainWindow = nullptr;
}  // namespace

void SetMainWindow(HWND dialog) { g_mainWindow = dialog; }
HWND MainWindow() { return g_mainWindow; }

void ShowMessageBox(std::wstring_view text, MessageIcon icon) {
  const UINT style = icon == MessageIcon::Error     ? MB_ICONERROR
                     : icon == MessageIcon::Warning ? MB_ICONWARNING
                                                    : MB_ICONINFORMATION;
  MessageBoxW(g_mainWindow, std::wstring(text).c_str(), texts::kCaption, MB_OK | style);
}

}  // namespace nagitome
