#include "ui/dpi.h"

#include <commctrl.h>

namespace nagitome {

UINT WindowDpi(HWND window) {
  // Looked up at run time: the program still starts on systems older than Windows 10 1607.
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  }
  int dpi = 0;
  if (const HDC dc = GetDC(window)) {
    dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(window, dc);
  }
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

void SetColumnWidths(HWND listView, std::span<const int> widths96, UINT dpi) {
  for (std::size_t i = 0; i < widths96.size(); ++i) {
    SendMessageW(listView, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(ScaleToDpi(widths96[i], dpi), 0));
  }
}

void PlaceOver(HWND window, HWND placeholder) {
  RECT rect{};
  GetWindowRect(placeholder, &rect);
  MapWindowPoints(nullptr, GetParent(placeholder), reinterpret_cast<POINT*>(&rect), 2);
  SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(placeholder, SW_HIDE);
}

}  // namespace nagitome
