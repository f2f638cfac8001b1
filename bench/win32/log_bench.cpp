// log_bench NAGITOME LIST LOG [ROUNDS]: what "/log" costs a run. Times "Nagitome.exe /e LIST"
// and "Nagitome.exe /e LIST /log LOG" from start to exit, alternating which goes first, and
// prints the median of each in ms, their ratio, and the median of the rounds' own ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "probe_client.h"

namespace {

// Milliseconds from start to exit; -1 when it did not start or end within 60 s.
double TimeRun(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double start = nagitome::bench::NowMs();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
  const double elapsed = nagitome::bench::NowMs() - start;
  if (!ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ended ? elapsed : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: log_bench NAGITOME LIST LOG [ROUNDS]\n");
    return 2;
  }
  using nagitome::probes::WindowsPath;
  const std::wstring exe = WindowsPath(argv[1]), list = WindowsPath(argv[2]), log = WindowsPath(argv[3]);
  const std::wstring runs[] = {L"/e \"" + list + L"\"", L"/e \"" + list + L"\" /log \"" + log + L"\""};
  const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 21;
  std::vector<double> times[2];
  for (int round = -1; round < rounds; ++round) {  // round -1 warms up and is not counted
    for (int k = 0; k < 2; ++k) {
      const int which = (k + round + 1) % 2;
      // The target windows first handle the last run's close messages: a snapshot reading their
      // titles would otherwise wait for them, and charge that to whichever run comes next.
      Sleep(400);
      const double t = TimeRun(exe, runs[which]);
      if (t < 0) {
        std::fprintf(stderr, "run %d failed in round %d\n", which, round);
        return 1;
      }
      if (round >= 0) times[which].push_back(t);
    }
  }
  const double plain = nagitome::bench::Median(times[0]), logged = nagitome::bench::Median(times[1]);
  // Each round's two runs side by side as well: the machine's load drifts less within a round.
  std::vector<double> paired;
  for (std::size_t i = 0; i < times[0].size(); ++i) paired.push_back(times[1][i] / times[0][i]);
  std::printf("%.1f %.1f %.3f %.3f\n", plain, logged, logged / plain, nagitome::bench::Median(paired));
  return 0;
}
