// Win32Desktop in this process. What it records and ends, the end-to-end run shows through the
// report and the log.
#include <gtest/gtest.h>
#include <windows.h>

#include <bit>
#include <string>
#include <vector>

#include "engine/termination.h"
#include "engine/win32/win32_desktop.h"
#include "probe_client.h"

namespace nagitome {
namespace {

std::uint64_t CpuTimeOfThisProcess() {  // 100 ns units
  FILETIME unused, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &unused, &unused, &kernel, &user);
  return std::bit_cast<std::uint64_t>(kernel) + std::bit_cast<std::uint64_t>(user);
}

// A catastrophic pattern gives up within its budget, and nothing of its test runs on after the
// run returned: no thread is left and the process goes idle.
TEST(Win32DesktopTest, ACutShortEntryLeavesNothingRunning) {
  probes::TempFolder folder;
  const std::wstring suffix = probes::UniqueSuffix();
  probes::WindowProbe probe;
  ASSERT_TRUE(StartWindowProbe(folder, probe, std::wstring(40, L'a') + L" " + suffix, L"W32Slow" + suffix, L"w32-slow-" + suffix + L".exe"));
  TaskList list;
  list.ReplaceEntries({{EndMethod::CloseWindow, MatchTarget::WindowTitle, MatchMethod::RegexCaseSensitive, L"(a*)*\\1[b].*" + suffix}});
  const DWORD threads = probes::TakeCensus().ownThreads;
  Win32Desktop desktop;
  for (int run = 0; run < 2; ++run) EXPECT_EQ(RunTermination(list, desktop).gaveUpEntries, std::vector<int>{0});
  const std::uint64_t cpu = CpuTimeOfThisProcess();
  Sleep(500);
  EXPECT_EQ(probes::TakeCensus().ownThreads, threads);
  EXPECT_LT(CpuTimeOfThisProcess() - cpu, 1000000u) << "under 100 ms of CPU in 500 ms of idling";
  EXPECT_EQ(probe.Closes(), 0);
}

}  // namespace
}  // namespace nagitome
