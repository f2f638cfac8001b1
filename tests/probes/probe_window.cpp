// probe_window TITLE CLASS RESULT [--ignore-close] [--hidden] [--count N]
// Creates N top-level windows (default 1) with exactly that title and class, appends "ready" to
// RESULT once they exist and "close" for every WM_CLOSE received. A window that is not told to
// ignore it is destroyed on WM_CLOSE; the probe exits when its last window is gone. It also
// exits on its own after two minutes, so that a failed test leaves nothing behind for long.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr UINT kLifetimeMs = 120000;

std::wstring g_resultPath;
bool g_ignoreClose = false;
int g_liveWindows = 0;

void AppendLine(const char* line) {
  HANDLE file = CreateFileW(g_resultPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = std::string(line) + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      AppendLine("close");
      if (!g_ignoreClose) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      if (--g_liveWindows == 0) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void CALLBACK LifetimeOver(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(3); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  const wchar_t* title = argv[1];
  const wchar_t* className = argv[2];
  g_resultPath = argv[3];
  bool hidden = false;
  int count = 1;
  for (int i = 4; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--ignore-close") == 0) g_ignoreClose = true;
    else if (std::wcscmp(argv[i], L"--hidden") == 0) hidden = true;
    else if (std::wcscmp(argv[i], L"--count") == 0 && i + 1 < argc) count = _wtoi(argv[++i]);
    else return 2;
  }
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = instance;
  wc.lpszClassName = className;
  if (!RegisterClassExW(&wc)) return 4;
  const DWORD style = WS_OVERLAPPEDWINDOW | (hidden ? 0 : WS_VISIBLE);
  for (int i = 0; i < count; ++i) {
    const int offset = 20 * (i % 20);
    if (!CreateWindowExW(0, className, title, style, offset, offset, 240, 120, nullptr, nullptr, instance, nullptr)) {
      return 5;
    }
    ++g_liveWindows;
  }
  SetTimer(nullptr, 0, kLifetimeMs, LifetimeOver);
  AppendLine("ready");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}
