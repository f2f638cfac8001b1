#include "ui/shell.h"

#include <windows.h>
#include <shellapi.h>

namespace nagitome {

namespace {
ShellOpenHook& Hook() {
  static ShellOpenHook hook;
  return hook;
}
}  // namespace

void SetShellOpenHook(ShellOpenHook hook) { Hook() = std::move(hook); }

void ShellOpen(void* ownerWindow, const std::wstring& target) {
  if (Hook()) {
    Hook()(ownerWindow, target);
    return;
  }
  ShellExecuteW(static_cast<HWND>(ownerWindow), L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace nagitome
