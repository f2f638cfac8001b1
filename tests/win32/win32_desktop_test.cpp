// Win32Desktop against real windows and processes: what the snapshots record, and that a
// posted close and a hidden taskkill reach their targets.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/snapshot.h"
#include "engine/termination.h"
#include "engine/win32/win32_desktop.h"
#include "probe_client.h"
#include "tasks/handle.h"

namespace nagitome {
namespace {

using probes::ChildProcess;
using probes::TempFolder;
using probes::UniqueSuffix;
using probes::WaitUntil;
using probes::WindowProbe;

std::vector<WindowInfo> SnapshotWindowsOf(DWORD processId, const std::wstring& className) {
  Win32Desktop desktop;
  ClearSnapshots();
  TakeWindowSnapshot(desktop);
  std::vector<WindowInfo> found;
  for (const WindowInfo& w : WindowSnapshot()) {
    if (w.processId == processId && w.className == className) found.push_back(w);
  }
  return found;
}

const ProcessInfo* FindProcess(DWORD processId) {
  for (const ProcessInfo& p : ProcessSnapshot()) {
    if (p.processId == processId) return &p;
  }
  return nullptr;
}

struct SnapshotCase {
  const char* name;
  std::wstring title;
  bool hidden;
};

TEST(Win32DesktopTest, WindowSnapshotRecordsProbeWindowsExactly) {
  const SnapshotCase cases[] = {
      {"plain", L"nagitome w32 plain", false},
      {"hidden", L"nagitome w32 hidden", true},
      {"japanese and a surrogate pair", L"なぎ止め テスト 😀 タイトル", false},
      {"title near the limit", std::wstring(1020, L'n'), false},
      {"title past the limit", std::wstring(1100, L'm'), false},
  };
  TempFolder folder;
  ASSERT_TRUE(folder.ok());
  for (const SnapshotCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring suffix = UniqueSuffix();
    const std::wstring title = c.title.size() > 1000 ? c.title : c.title + L" " + suffix;
    const std::wstring className = L"NagitomeW32Class" + suffix;
    WindowProbe probe;
    ASSERT_TRUE(StartWindowProbe(folder, probe, title, className, L"w32-snap-" + suffix + L".exe",
                                 {.hidden = c.hidden}));
    const std::vector<WindowInfo> found = SnapshotWindowsOf(probe.process.id(), className);
    ASSERT_EQ(found.size(), 1u);
    const std::wstring shownTitle = title.substr(0, 1023);
    EXPECT_EQ(found[0].title, shownTitle);
    EXPECT_EQ(found[0].className, className);
    EXPECT_EQ(found[0].combinedText, (shownTitle + L"（" + className + L"）").substr(0, 1023));
    EXPECT_EQ(found[0].processName, probe.imageName);
    EXPECT_EQ(IsWindowVisible(reinterpret_cast<HWND>(found[0].window)) != FALSE, !c.hidden);
  }
}

TEST(Win32DesktopTest, ProcessSnapshotNamesEveryProcessByItsImage) {
  TempFolder folder;
  ASSERT_TRUE(folder.ok());
  ChildProcess child;
  const std::wstring childName = L"w32-proc-" + UniqueSuffix() + L".exe";
  ASSERT_TRUE(StartProcessProbe(folder, child, childName));
  const std::map<DWORD, std::wstring> expected = {{child.id(), childName},
                                                  {GetCurrentProcessId(), probes::OwnExeName()}};
  Win32Desktop desktop;
  ClearSnapshots();
  TakeProcessSnapshot(desktop);
  for (const auto& [id, name] : expected) {
    const ProcessInfo* process = FindProcess(id);
    ASSERT_NE(process, nullptr) << id;
    EXPECT_EQ(process->processName, name);
  }
}

TEST(Win32DesktopTest, PostCloseReachesTheWindow) {
  TempFolder folder;
  ASSERT_TRUE(folder.ok());
  for (const bool ignoreClose : {false, true}) {
    SCOPED_TRACE(ignoreClose ? "ignores close" : "closes");
    const std::wstring suffix = UniqueSuffix();
    WindowProbe probe;
    ASSERT_TRUE(StartWindowProbe(folder, probe, L"w32 close " + suffix, L"W32Close" + suffix,
                                 L"w32-close-" + suffix + L".exe", {.ignoreClose = ignoreClose}));
    const std::vector<WindowInfo> found = SnapshotWindowsOf(probe.process.id(), probe.className);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(probe.Closes(), 0);
    Win32Desktop().PostClose(found[0].window);
    ASSERT_TRUE(WaitUntil([&] { return probe.Closes() == 1; }, 20000));
    // Only the probe decides what the close means; the one that ignores it keeps running.
    EXPECT_EQ(probe.process.WaitForExit(ignoreClose ? 300 : 20000), !ignoreClose);
  }
}

int ThreadsOfThisProcess() {
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));  // INVALID_HANDLE_VALUE on failure
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  }
  return count;
}

std::uint64_t CpuTimeOfThisProcess() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto units = [](FILETIME t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
  return units(kernel) + units(user);  // 100 ns units
}

// A catastrophic pattern gives up within its budget, and nothing of its test runs on after the
// run returned: no thread is left and the process goes idle.
TEST(Win32DesktopTest, ACutShortEntryLeavesNothingRunning) {
  TempFolder folder;
  ASSERT_TRUE(folder.ok());
  const std::wstring suffix = UniqueSuffix();
  WindowProbe probe;
  ASSERT_TRUE(StartWindowProbe(folder, probe, std::wstring(40, L'a') + L" " + suffix, L"W32Slow" + suffix,
                               L"w32-slow-" + suffix + L".exe"));
  TaskList list;
  list.ReplaceEntries({{EndMethod::CloseWindow, MatchTarget::WindowTitle, MatchMethod::RegexCaseSensitive,
                        L"(a*)*\\1[b].*" + suffix}});
  const int threads = ThreadsOfThisProcess();
  Win32Desktop desktop;
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(RunTermination(list, desktop).gaveUpEntries, std::vector<int>{0});
  }
  const std::uint64_t cpu = CpuTimeOfThisProcess();
  Sleep(500);
  EXPECT_EQ(ThreadsOfThisProcess(), threads);
  EXPECT_LT(CpuTimeOfThisProcess() - cpu, 1000000u) << "under 100 ms of CPU in 500 ms of idling";
  EXPECT_EQ(probe.Closes(), 0);
}

// Image names of the processes that could show a console while taskkill runs.
bool IsCommandProcess(DWORD processId, std::map<DWORD, std::wstring>& names) {
  auto it = names.find(processId);
  if (it == names.end()) it = names.emplace(processId, probes::ImageNameOf(processId)).first;
  std::wstring name = it->second;
  std::transform(name.begin(), name.end(), name.begin(), ::towlower);
  return name == L"cmd.exe" || name == L"conhost.exe" || name == L"taskkill.exe";
}

TEST(Win32DesktopTest, StartTaskkillEndsTheProcessWithoutShowingAWindow) {
  TempFolder folder;
  ASSERT_TRUE(folder.ok());
  for (const bool withWindow : {false, true}) {
    SCOPED_TRACE(withWindow ? "a window that ignores close" : "a windowless process");
    const std::wstring suffix = UniqueSuffix();
    WindowProbe windowProbe;
    ChildProcess windowless;
    if (withWindow) {
      ASSERT_TRUE(StartWindowProbe(folder, windowProbe, L"w32 kill " + suffix, L"W32Kill" + suffix,
                                   L"w32-killw-" + suffix + L".exe", {.ignoreClose = true}));
    } else {
      ASSERT_TRUE(StartProcessProbe(folder, windowless, L"w32-kill-" + suffix + L".exe"));
    }
    const ChildProcess& target = withWindow ? windowProbe.process : windowless;
    std::set<HWND> before;
    for (const auto& w : probes::TopLevelWindows()) before.insert(w.hwnd);
    std::map<DWORD, std::wstring> names;
    std::vector<std::wstring> shown;
    Win32Desktop().StartTaskkill(target.id());
    // Watched until the target is gone and the command processes have finished too.
    WaitUntil([&] {
      for (const auto& w : probes::TopLevelWindows()) {
        if (w.visible && !before.count(w.hwnd) && IsCommandProcess(w.processId, names)) {
          shown.push_back(names[w.processId] + L": " + probes::ClassOf(w.hwnd));
          before.insert(w.hwnd);
        }
      }
      if (target.Running()) return false;
      const std::vector<DWORD> ids = probes::ProcessIds();
      return std::none_of(ids.begin(), ids.end(), [&](DWORD id) { return IsCommandProcess(id, names); });
    }, 20000, 5);
    EXPECT_FALSE(target.Running());
    EXPECT_TRUE(shown.empty()) << "visible: " << testing::PrintToString(shown);
    if (withWindow) {
      EXPECT_EQ(windowProbe.Closes(), 0);
    }
  }
}

}  // namespace
}  // namespace nagitome
