// watch_bench NAGITOME PROBE_WINDOW WORKDIR [IDLE_SECONDS] [ROUNDS]: what the watcher (/w) costs
// and how fast it acts, under Wine. The windows are this program's own, so it sees each WM_CLOSE
// as it arrives:
//   idle     CPU time of the watcher (GetProcessTimes) over IDLE_SECONDS (60) with 50 windows
//            up and nothing appearing, as a share of one core (Wine 8 answers this for another
//            process with figures close to the caller's own: the script reads /proc beside it);
//   create   a window created with a matching title, to its WM_CLOSE (median of ROUNDS, 20);
//   rename   a window retitled into a match, to its WM_CLOSE;
//   process  a matching process started, to its end;
//   memory   the watcher's working set and private bytes before and after 1,000 windows created
//            and closed.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "probe_client.h"
#include "tasks/task_file_format.h"

namespace {

using nagitome::bench::Median;
using nagitome::bench::NowMs;
using namespace nagitome::probes;

double g_closedAt = 0;

LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) g_closedAt = NowMs();
  return DefWindowProcW(window, message, wParam, lParam);
}

// Pumps this thread's messages for ms, or until done() holds.
template <typename F>
void Pump(double ms, F done) {
  for (const double end = NowMs() + ms; NowMs() < end && !done();) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}
void Pump(double ms) {
  Pump(ms, [] { return false; });
}

HWND Window(const std::wstring& title) {
  return CreateWindowExW(0, L"NagitomeWatchBench", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                         100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// ms from start to this thread's window getting WM_CLOSE; -1 when it never came in 10 s.
double UntilClosed(double start) {
  Pump(10000, [] { return g_closedAt != 0; });
  return g_closedAt ? g_closedAt - start : -1;
}

double CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  const auto ms = [](FILETIME t) { return (ULONGLONG{t.dwHighDateTime} << 32 | t.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

void PrintMemory(HANDLE process, const char* when) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  std::printf("memory %s %zu %zu\n", when, counters.WorkingSetSize / 1024, counters.PrivateUsage / 1024);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  const std::wstring nagitome = argv[1], probe = argv[2], work = argv[3];
  const int idleSeconds = argc > 4 ? _wtoi(argv[4]) : 60, rounds = argc > 5 ? _wtoi(argv[5]) : 20;
  const std::wstring killed = L"watchbench-kill.exe";
  const std::wstring list = work + L"\\watch-list.txt";
  const std::vector<nagitome::TaskEntry> entries = {
      {.Keyword = L"WB hit*"},
      {nagitome::EndMethod::Taskkill, nagitome::MatchTarget::ProcessName, nagitome::MatchMethod::Wildcard, killed}};
  if (!WriteFileBytes(list, nagitome::EncodeTaskList(entries))) return 3;
  if (!CopyFileW(probe.c_str(), (work + L"\\" + killed).c_str(), FALSE)) return 3;
  WNDCLASSW wc{};
  wc.lpfnWndProc = BenchProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"NagitomeWatchBench";
  RegisterClassW(&wc);
  std::vector<HWND> idle;
  for (int i = 0; i < 50; ++i) idle.push_back(Window(L"WB idle " + std::to_wstring(i)));

  ChildProcess watcher;
  if (!watcher.Start(nagitome, L"/w " + Quote(list))) return 4;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, watcher.id());
  Pump(10000, [] { return FindWindowW(L"NagitomeWatcher", nullptr) != nullptr; });
  Pump(3000);  // its first run and first scans
  std::printf("idle-begin %lu\n", watcher.id());  // the script samples the watcher's /proc meanwhile
  std::fflush(stdout);
  const double cpu = CpuMs(process), wall = NowMs();
  Pump(idleSeconds * 1000.0);
  std::printf("idle %.3f %d\n", 100.0 * (CpuMs(process) - cpu) / (NowMs() - wall), idleSeconds);

  std::vector<double> create, rename, started;
  for (int i = 0; i < rounds; ++i) {
    g_closedAt = 0;
    const double start = NowMs();
    Window(L"WB hit " + std::to_wstring(i));
    create.push_back(UntilClosed(start));
  }
  for (int i = 0; i < rounds; ++i) {
    g_closedAt = 0;
    const HWND window = Window(L"WB plain " + std::to_wstring(i));
    Pump(300);  // tested once under its first title
    const double start = NowMs();
    SetWindowTextW(window, (L"WB hit renamed " + std::to_wstring(i)).c_str());
    rename.push_back(UntilClosed(start));
  }
  for (int i = 0; i < rounds; ++i) {
    ChildProcess child;
    const double start = NowMs();
    if (!child.Start(work + L"\\" + killed, L"x y " + Quote(work + L"\\kill.txt") + L" --count 0")) return 5;
    started.push_back(child.WaitForExit(10000) ? NowMs() - start : -1);
  }
  std::printf("create %.1f\nrename %.1f\nprocess %.1f\n", Median(create), Median(rename), Median(started));
  for (const auto* samples : {&create, &rename, &started}) {
    for (const double ms : *samples) std::fprintf(stderr, "%.0f ", ms);
    std::fprintf(stderr, "\n");
  }

  PrintMemory(process, "before");
  for (int batch = 0; batch < 20; ++batch) {
    std::vector<HWND> windows;
    for (int i = 0; i < 50; ++i) windows.push_back(Window(L"WB churn " + std::to_wstring(batch * 50 + i)));
    Pump(250);
    for (const HWND window : windows) DestroyWindow(window);
  }
  Pump(5000);  // two scans: every window is gone and forgotten
  PrintMemory(process, "after");
  ChildProcess stop;
  stop.Start(nagitome, L"/stop");
  stop.WaitForExit(10000);
  CloseHandle(process);
  return 0;
}
