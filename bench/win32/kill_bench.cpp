// kill_bench NAGITOME PROBE_WINDOW WORKDIR [ROUNDS]: how long "Nagitome.exe /e" takes to end a
// process it finds by name, against doing the same by hand. Each round starts a fresh probe
// under a unique image name and times, until the probe's handle is signalled:
//   run    "Nagitome.exe /e list" with one entry: taskkill by that process name;
//   limit  "Nagitome.exe /e" with a list that matches nothing, to its exit, then a hidden
//          "cmd.exe /c taskkill /f /pid N" started directly (the two costs the run is made of);
//   im     "taskkill /f /im NAME" started directly.
// The three alternate, in rotating order. Prints the median of each in ms and the ratios; the
// probes and lists are left in WORKDIR for the caller to remove.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "probe_client.h"
#include "tasks/task_file_format.h"

namespace {

using nagitome::bench::Median;
using nagitome::bench::NowMs;
using nagitome::probes::WindowsPath;

std::wstring SystemExe(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
}

// Starts "exe arguments"; the process handle, or null. Hidden with a console of its own when
// asked, as a console program started by a windowed one gets; otherwise on this console with
// its output thrown away, so that only the figures reach ours.
HANDLE Start(const std::wstring& exe, const std::wstring& arguments, bool newHiddenConsole = false) {
  static const HANDLE nul = [] {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       OPEN_EXISTING, 0, nullptr);
  }();
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (newHiddenConsole) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
  } else {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
  }
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, !newHiddenConsole,
                      newHiddenConsole ? CREATE_NEW_CONSOLE : 0, nullptr, nullptr, &si, &pi)) {
    return nullptr;
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

bool RunToEnd(const std::wstring& exe, const std::wstring& arguments, bool newHiddenConsole = false) {
  HANDLE process = Start(exe, arguments, newHiddenConsole);
  if (!process) return false;
  const bool ended = WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

bool WriteList(const std::wstring& path, const std::wstring& processName) {
  using namespace nagitome;
  return probes::WriteFileBytes(
      path, EncodeTaskList({{EndMethod::Taskkill, MatchTarget::ProcessName, MatchMethod::Wildcard, processName}}));
}

struct Probe {
  HANDLE process = nullptr;
  DWORD id = 0;
  std::wstring name;
};

std::wstring g_probeExe, g_work, g_nagitome;
int g_serial = 0;

// A windowless probe under a new name, started and known to be running (it has written its
// result file).
bool StartProbe(Probe& probe) {
  probe.name = L"kill-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++g_serial) + L".exe";
  const std::wstring exe = g_work + L"\\" + probe.name;
  const std::wstring resultFile = exe + L".txt";
  if (!CopyFileW(g_probeExe.c_str(), exe.c_str(), FALSE)) return false;
  probe.process = Start(exe, L"- - \"" + resultFile + L"\" --count 0");
  if (!probe.process) return false;
  probe.id = GetProcessId(probe.process);
  return nagitome::probes::WaitUntil([&] { return GetFileAttributesW(resultFile.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000, 1);
}

// Milliseconds from the start of the method until the probe is gone; -1 on failure.
double TimeKill(const std::function<bool(const Probe&)>& method) {
  Probe probe;
  if (!StartProbe(probe)) return -1;
  const double start = NowMs();
  double elapsed = -1;
  if (method(probe) && WaitForSingleObject(probe.process, 30000) == WAIT_OBJECT_0) elapsed = NowMs() - start;
  TerminateProcess(probe.process, 1);
  WaitForSingleObject(probe.process, 10000);
  CloseHandle(probe.process);
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: kill_bench NAGITOME PROBE_WINDOW WORKDIR [ROUNDS]\n");
    return 2;
  }
  g_nagitome = WindowsPath(argv[1]);
  g_probeExe = WindowsPath(argv[2]);
  g_work = WindowsPath(argv[3]);
  const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 15;
  const std::wstring list = g_work + L"\\kill.txt";
  const std::wstring nothing = g_work + L"\\nothing.txt";
  if (!WriteList(nothing, L"kill-bench-matches-nothing-" + std::to_wstring(GetCurrentProcessId()) + L".exe")) return 3;
  HANDLE nagitome = nullptr;  // the run's own process, waited for after the probe is gone

  const std::vector<std::function<bool(const Probe&)>> methods = {
      [&](const Probe& p) {
        if (!WriteList(list, p.name)) return false;
        nagitome = Start(g_nagitome, L"/e \"" + list + L"\"");
        return nagitome != nullptr;
      },
      [&](const Probe& p) {
        return RunToEnd(g_nagitome, L"/e \"" + nothing + L"\"") &&
               RunToEnd(SystemExe(L"cmd.exe"), L"/c taskkill /f /pid " + std::to_wstring(p.id), true);
      },
      [&](const Probe& p) { return RunToEnd(SystemExe(L"taskkill.exe"), L"/f /im " + p.name); },
  };
  const char* labels[] = {"run", "limit", "im"};
  std::vector<std::vector<double>> times(methods.size());
  for (int round = -1; round < rounds; ++round) {  // round -1 warms up and is not counted
    for (std::size_t k = 0; k < methods.size(); ++k) {
      const std::size_t m = (k + static_cast<std::size_t>(round + 1)) % methods.size();
      const double t = TimeKill(methods[m]);
      if (nagitome) {
        WaitForSingleObject(nagitome, 30000);
        CloseHandle(nagitome);
        nagitome = nullptr;
      }
      if (t < 0) {
        std::fprintf(stderr, "%s failed in round %d\n", labels[m], round);
        return 1;
      }
      if (round >= 0) times[m].push_back(t);
    }
  }
  const double run = Median(times[0]), limit = Median(times[1]), im = Median(times[2]);
  std::printf("%.1f %.1f %.1f %.3f %.3f\n", run, limit, im, run / limit, run / im);
  return 0;
}
