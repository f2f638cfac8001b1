// window_tool: small hands for scripts that drive the program under Wine.
//   window_tool rect TITLE       prints "x y width height" of the visible top-level dialog TITLE
//   window_tool click TITLE ID   posts a click to the dialog's button ID
//   window_tool command TITLE ID posts WM_COMMAND ID to the dialog (a menu command)
// Waits up to ten seconds for the window; exit code 1 if it never came.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  SetProcessDPIAware();  // rectangles in screen pixels, as the screenshot cuts them, at any DPI
  HWND window = nullptr;
  for (int i = 0; i < 1000 && !window; ++i) {
    window = FindWindowW(L"#32770", argv[2]);
    if (window && !IsWindowVisible(window)) window = nullptr;
    if (!window) Sleep(10);
  }
  if (!window) return 1;
  if (std::wcscmp(argv[1], L"rect") == 0) {
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
  }
  if (std::wcscmp(argv[1], L"click") == 0 && argc > 3) {
    HWND button = GetDlgItem(window, _wtoi(argv[3]));
    return button && PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (std::wcscmp(argv[1], L"command") == 0 && argc > 3) {
    return PostMessageW(window, WM_COMMAND, _wtoi(argv[3]), 0) ? 0 : 1;
  }
  return 2;
}
