// snapshot_bench [RUNS]: a window snapshot of the real desktop against its floor, a bare walk
// over the top-level windows that reads each one's title and class and nothing else. The two
// alternate; prints both medians in ms and the number of windows.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench_timing.h"
#include "engine/snapshot.h"
#include "engine/win32/win32_desktop.h"

namespace {

// The real windows, and no process list: the snapshot of windows alone.
class WindowsOnly final : public nagitome::Desktop {
 public:
  void EnumerateWindows(const std::function<void(nagitome::RawWindow&&)>& visit) override {
    real_.EnumerateWindows(visit);
  }
  bool EnumerateProcessIds(std::uint32_t*, std::uint32_t, std::uint32_t&) override { return false; }
  std::wstring ProcessImagePath(std::uint32_t processId) override { return real_.ProcessImagePath(processId); }
  nagitome::PostResult PostClose(nagitome::WindowHandle) override { return nagitome::PostResult::Posted; }
  nagitome::ProcessToken StartTaskkill(std::uint32_t) override { return 0; }

 private:
  nagitome::Win32Desktop real_;
};

BOOL CALLBACK ReadTexts(HWND hwnd, LPARAM count) {
  wchar_t title[1024];
  wchar_t className[1024];
  GetWindowTextW(hwnd, title, 1024);
  GetClassNameW(hwnd, className, 1024);
  ++*reinterpret_cast<std::size_t*>(count);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using nagitome::bench::NowMs;
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
  WindowsOnly windowsOnly;
  std::vector<double> snapshot, bare;
  std::size_t windows = 0;
  for (int i = 0; i < runs; ++i) {
    double start = NowMs();
    // The windows alone: a desktop that lists no process.
    nagitome::TakeSnapshot(windowsOnly);
    snapshot.push_back(NowMs() - start);

    windows = 0;
    start = NowMs();
    EnumWindows(ReadTexts, reinterpret_cast<LPARAM>(&windows));
    bare.push_back(NowMs() - start);
  }
  std::printf("%.3f %.3f %zu\n", nagitome::bench::Median(snapshot), nagitome::bench::Median(bare), windows);
  return 0;
}
