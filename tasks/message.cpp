#include "tasks/message.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

#include "tasks/texts.h"

namespace nagitome {

namespace {
MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}
void* g_mainWindow = nullptr;
}  // namespace

void SetMessageSink(MessageSink sink) { Sink() = std::move(sink); }
void SetMainWindow(void* hwnd) { g_mainWindow = hwnd; }
void* MainWindow() { return g_mainWindow; }

void ShowMessage(std::wstring_view text, MessageIcon icon) {
  if (Sink()) {
    Sink()(text, icon);
    return;
  }
#ifdef _WIN32
  const UINT style = icon == MessageIcon::Error     ? MB_ICONERROR
                     : icon == MessageIcon::Warning ? MB_ICONWARNING
                                                    : MB_ICONINFORMATION;
  const std::wstring terminated(text);
  MessageBoxW(static_cast<HWND>(g_mainWindow), terminated.c_str(), texts::kCaption, MB_OK | style);
#else
  std::fprintf(stderr, "%ls\n", std::wstring(text).c_str());
  (void)icon;
#endif
}

}  // namespace nagitome
