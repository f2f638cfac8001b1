// probe_window TITLE CLASS RESULT [--count N] [--ignore-close | --prompt-on-close | --hang-on-close]
// [--exit-on FILE]: N (default 1) windows. Appends "ready" to RESULT, then "close" for each WM_CLOSE;
// exits with its last window, half a second after FILE appears, or after two minutes.
#include <windows.h>
#include <imm.h>

#include <string_view>

namespace {

const wchar_t* g_result = nullptr;
const wchar_t* g_exitOn = nullptr;
wchar_t g_onClose = 0;  // the option's 'i', 'p' or 'h'
int g_windows = 1;

void Append(const char* line) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  const HANDLE file = CreateFileW(g_result, FILE_APPEND_DATA, share, nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Append("close\r\n");
    if (!g_onClose) DestroyWindow(hwnd);
    if (g_onClose == L'p') MessageBoxW(hwnd, L"Save?", L"probe", MB_YESNOCANCEL);
    if (g_onClose == L'h') Sleep(120000);
    return 0;
  }
  if (message == WM_DESTROY && --g_windows == 0) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  g_result = argv[3];
  for (int i = 4; i < argc; ++i) {
    const std::wstring_view option = argv[i];
    if (option.ends_with(L"-close")) g_onClose = option[2];
    else if (option == L"--exit-on" && i + 1 < argc) g_exitOn = argv[++i];
    else if (option == L"--count" && i + 1 < argc) g_windows = _wtoi(argv[++i]);
    else return 2;
  }
  ImmDisableIME(static_cast<DWORD>(-1));  // no IME window: a close by process name reaches ours only
  WNDCLASSW wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = argv[2];
  if (!RegisterClassW(&wc)) return 4;
  for (int i = 0; i < g_windows; ++i) {
    const HWND w = CreateWindowExW(0, argv[2], argv[1], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240, 120,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 5;
  }
  SetTimer(nullptr, 0, 120000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(3); });
  // Gone between a run's snapshot, just after it opens its log, and its actions.
  if (g_exitOn) SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    if (GetFileAttributesW(g_exitOn) == INVALID_FILE_ATTRIBUTES) return;
    Sleep(500);
    ExitProcess(0);
  });
  Append("ready\r\n");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return static_cast<int>(msg.wParam);
}
