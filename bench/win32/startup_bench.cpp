// startup_bench EXE LIST ROWS RUNS: median time from starting "EXE LIST" until its main dialog
// is visible with ROWS rows in its task list view; the program is then closed.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_timing.h"

namespace {

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMain(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && IsWindowVisible(hwnd) && GetDlgItem(hwnd, 2000)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// One start; -1 when the window did not come up filled within 30 s.
double StartOnce(const std::wstring& exe, const std::wstring& list, LRESULT rows) {
  std::wstring command = L"\"" + exe + L"\" \"" + list + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double start = nagitome::bench::NowMs();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  double elapsed = -1;
  while (nagitome::bench::NowMs() - start < 30000) {
    Search search{pi.dwProcessId, nullptr};
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&search));
    if (search.found && SendMessageW(GetDlgItem(search.found, 2000), LVM_GETITEMCOUNT, 0, 0) == rows) {
      elapsed = nagitome::bench::NowMs() - start;
      PostMessageW(search.found, WM_CLOSE, 0, 0);
      break;
    }
    Sleep(1);
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: startup_bench EXE LIST ROWS RUNS\n");
    return 2;
  }
  const LRESULT rows = std::wcstol(argv[3], nullptr, 10);
  const int runs = static_cast<int>(std::wcstol(argv[4], nullptr, 10));
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double t = StartOnce(argv[1], argv[2], rows);
    if (t < 0) {
      std::fprintf(stderr, "start %d failed\n", i);
      return 1;
    }
    times.push_back(t);
  }
  std::printf("%.1f\n", nagitome::bench::Median(times));
  return 0;
}
