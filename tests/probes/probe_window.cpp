// probe_window TITLE CLASS RESULT [--ignore-close] [--count N] [--rename MS NEW]: N (default 1, or
// none) windows of that title and class, the first retitled NEW after MS ms. Appends "ready" to
// RESULT once they exist, "close" for each WM_CLOSE (then destroys the window unless told not
// to); exits with its last window or after two minutes.
#include <windows.h>
#include <imm.h>

#include <cwchar>

namespace {

const wchar_t* g_result = nullptr;
bool g_ignoreClose = false;
int g_windows = 1;
HWND g_first = nullptr;
const wchar_t* g_newTitle = nullptr;

void Append(const char* line) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE file = CreateFileW(g_result, FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Append("close\r\n");
    if (!g_ignoreClose) DestroyWindow(hwnd);
    return 0;
  }
  if (message == WM_DESTROY && --g_windows == 0) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  g_result = argv[3];
  int renameMs = 0;
  for (int i = 4; i < argc; ++i) {
    if (!std::wcscmp(argv[i], L"--ignore-close")) g_ignoreClose = true;
    else if (!std::wcscmp(argv[i], L"--count") && i + 1 < argc) g_windows = _wtoi(argv[++i]);
    else if (!std::wcscmp(argv[i], L"--rename") && i + 2 < argc) {
      renameMs = _wtoi(argv[++i]);
      g_newTitle = argv[++i];
    }
    else return 2;
  }
  ImmDisableIME(static_cast<DWORD>(-1));  // no IME window: a close by process name reaches ours only
  WNDCLASSW wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = argv[2];
  if (!RegisterClassW(&wc)) return 4;
  for (int i = 0; i < g_windows; ++i) {
    const int at = 20 * (i % 20);
    const HWND window = CreateWindowExW(0, argv[2], argv[1], WS_OVERLAPPEDWINDOW | WS_VISIBLE, at, at, 240,
                                        120, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return 5;
    if (!g_first) g_first = window;
  }
  if (g_newTitle) SetTimer(nullptr, 0, renameMs, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetWindowTextW(g_first, g_newTitle);
  });
  SetTimer(nullptr, 0, 120000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(3); });
  Append("ready\r\n");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return static_cast<int>(msg.wParam);
}
