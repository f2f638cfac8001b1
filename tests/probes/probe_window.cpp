// probe_window TITLE CLASS RESULT [--count N] [--ignore-close | --prompt-on-close | --hang-on-close]
// [--exit-on FILE] [--rename MS NEW]: N (default 1, or none) windows of that title and class, the first
// retitled NEW after MS ms. Appends "ready" to RESULT once they exist, "close" for each WM_CLOSE, then
// destroys the window, or leaves it, asks in a message box, or stops pumping messages; exits with its
// last window, half a second after FILE holds "start", or after two minutes.
#include <windows.h>
#include <imm.h>

#include <cstring>
#include <cwchar>

namespace {

enum class OnClose { Destroy, Ignore, Prompt, Hang };

const wchar_t* g_result = nullptr;
const wchar_t* g_exitOn = nullptr;
OnClose g_onClose = OnClose::Destroy;
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
    if (g_onClose == OnClose::Destroy) DestroyWindow(hwnd);
    if (g_onClose == OnClose::Prompt) MessageBoxW(hwnd, L"Save changes?", L"probe", MB_YESNOCANCEL);
    if (g_onClose == OnClose::Hang) Sleep(120000);
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
    if (!std::wcscmp(argv[i], L"--ignore-close")) g_onClose = OnClose::Ignore;
    else if (!std::wcscmp(argv[i], L"--prompt-on-close")) g_onClose = OnClose::Prompt;
    else if (!std::wcscmp(argv[i], L"--hang-on-close")) g_onClose = OnClose::Hang;
    else if (!std::wcscmp(argv[i], L"--exit-on") && i + 1 < argc) g_exitOn = argv[++i];
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
  // Gone between a run's snapshot, just after its log's start line, and its actions.
  if (g_exitOn) {
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
      const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      HANDLE file = CreateFileW(g_exitOn, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
      char text[4096] = {};
      DWORD read = 0;
      if (file != INVALID_HANDLE_VALUE) ReadFile(file, text, sizeof text - 1, &read, nullptr);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      if (!std::strstr(text, "\tstart\t")) return;
      Sleep(500);
      ExitProcess(0);
    });
  }
  Append("ready\r\n");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return static_cast<int>(msg.wParam);
}
