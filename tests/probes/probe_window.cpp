// probe_window TITLE CLASS RESULT [--count N] [--ignore-close | --prompt-on-close | --hang-on-close]
// [--exit-on FILE] [--rename MS NEW]: N (default 1) windows, one retitled NEW after MS ms. Appends
// "ready" to RESULT, then "close" for each WM_CLOSE and destroys the window, or leaves it, asks, or
// hangs; exits with its last window, half a second after FILE holds "start", or after two minutes.
#include <windows.h>
#include <imm.h>

#include <cstring>
#include <cwchar>
#include <string_view>

namespace {

const wchar_t* g_result = nullptr;
const wchar_t* g_exitOn = nullptr;
const wchar_t* g_onClose = L"";
int g_windows = 1;
const wchar_t* g_newTitle = nullptr;

HANDLE Open(const wchar_t* path, DWORD access, DWORD how) {
  return CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, how, 0, nullptr);
}

void Append(const char* line) {
  const HANDLE file = Open(g_result, FILE_APPEND_DATA, OPEN_ALWAYS);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Append("close\r\n");
    if (!*g_onClose) DestroyWindow(hwnd);
    if (!std::wcscmp(g_onClose, L"--prompt-on-close")) MessageBoxW(hwnd, L"Save?", L"probe", MB_YESNOCANCEL);
    if (!std::wcscmp(g_onClose, L"--hang-on-close")) Sleep(120000);
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
    const std::wstring_view option = argv[i];
    if (option.ends_with(L"-close")) g_onClose = argv[i];
    else if (option == L"--exit-on" && i + 1 < argc) g_exitOn = argv[++i];
    else if (option == L"--count" && i + 1 < argc) g_windows = _wtoi(argv[++i]);
    else if (option == L"--rename" && i + 2 < argc) {
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
  HWND first = nullptr;
  for (int i = g_windows - 1; i >= 0; --i) {
    const int at = 20 * (i % 20);
    first = CreateWindowExW(0, argv[2], argv[1], WS_OVERLAPPEDWINDOW | WS_VISIBLE, at, at, 240, 120, nullptr,
                            nullptr, wc.hInstance, nullptr);
    if (!first) return 5;
  }
  if (g_newTitle) SetTimer(first, 1, renameMs, [](HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    SetWindowTextW(window, g_newTitle);
  });
  SetTimer(nullptr, 0, 120000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(3); });
  // Gone between a run's snapshot, just after its log's start line, and its actions.
  if (g_exitOn) SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    const HANDLE file = Open(g_exitOn, GENERIC_READ, OPEN_EXISTING);
    char text[4096] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    if (!std::strstr(text, "\tstart\t")) return;
    Sleep(500);
    ExitProcess(0);
  });
  Append("ready\r\n");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return static_cast<int>(msg.wParam);
}
