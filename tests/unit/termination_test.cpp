#include "engine/termination.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/run_warning.h"
#include "engine/snapshot.h"
#include "tests/support/fake_desktop.h"

namespace nagitome {
namespace {

using Log = std::vector<std::string>;
constexpr EndMethod kClose = EndMethod::CloseWindow, kKill = EndMethod::Taskkill;
constexpr MatchTarget kTitle = MatchTarget::WindowTitle, kClass = MatchTarget::WindowClass,
                      kBoth = MatchTarget::TitleAndClass, kName = MatchTarget::ProcessName;
constexpr MatchMethod kWild = MatchMethod::Wildcard, kCase = MatchMethod::RegexCaseSensitive,
                      kNoCase = MatchMethod::RegexIgnoreCase;

TaskList ListOf(const std::vector<TaskEntry>& entries) {
  TaskList list;
  list.ReplaceEntries(entries);
  return list;
}

FakeDesktop Desk() { return SampleDesktop(); }

TEST(TerminationTest, EachEndMethodAndTargetPicksItsCandidatesTextAndAction) {
  const struct { EndMethod end; MatchTarget target; MatchMethod method; const wchar_t* keyword; Log log; } cases[] = {
      {kClose, kTitle, kWild, L"*", {"close 1", "close 2", "close 4"}},
      {kClose, kClass, kCase, L".*", {"close 1", "close 2", "close 3"}},
      {kClose, kBoth, kWild, L"*（*）", {"close 1", "close 2", "close 3", "close 4"}},
      {kClose, kName, kWild, L"notepad.exe", {"close 1", "close 3"}},
      {kClose, kName, kCase, L".*", {"close 1", "close 2", "close 3"}},
      {kKill, kTitle, kCase, L"Calc.*|memo.*", {"kill 10", "kill 20"}},
      {kKill, kClass, kWild, L"Notepad", {"kill 10", "kill 10"}},
      {kKill, kBoth, kNoCase, L"secret（）|（notepad）", {"kill 10", "kill 30"}},
      {kKill, kName, kCase, L".*", {"kill 10", "kill 20", "kill 40"}},
      {kKill, kName, kWild, L"calc.exe", {"kill 20"}},
      {kClose, kTitle, kWild, L"Calculator*", {}},
  };
  for (const auto& c : cases) {
    FakeDesktop desk = Desk();
    const TerminationReport report = RunTermination(ListOf({{c.end, c.target, c.method, c.keyword}}), desk);
    EXPECT_EQ(desk.actions, c.log) << testing::PrintToString(std::wstring(c.keyword));
    EXPECT_TRUE(report.invalidEntries.empty());
  }
}

TEST(TerminationTest, EntriesActInListOrderOnOneSnapshotWithoutMerging) {
  FakeDesktop desk = Desk();
  const TerminationReport report = RunTermination(
      ListOf({{kClose, kClass, kWild, L"Calc*"},
              {kClose, kBoth, kCase, L"(Calc|memo).*"},   // window 2 again, though just closed
              {kKill, kTitle, kCase, L"("},               // rejected: the run goes on
              {kKill, kBoth, kCase, L""},                 // empty keyword: passed over
              {kClose, kTitle, kWild, L""},
              {kKill, kName, kNoCase, L"[z-a]"},
              {kKill, kName, kWild, L"*.exe"}}),
      desk);
  EXPECT_EQ(desk.actions, (Log{"close 2", "close 1", "close 2", "kill 10", "kill 20", "kill 40"}));
  EXPECT_EQ(report.invalidEntries, (std::vector<int>{2, 5}));
  EXPECT_EQ(desk.capacities.size(), 1u) << "one snapshot per run";
}

// Rejected entries and an entry cut short by its budget do not stop the run; the warning names
// them in two groups of at most ten rows, long keywords shortened.
TEST(TerminationTest, RejectedAndCutShortEntriesAreReportedAndNamed) {
  FakeDesktop desk = Desk();
  desk.AddWindow(5, 20, std::wstring(40, L'a') + L"!", L"Slow");
  std::vector<TaskEntry> entries(11, TaskEntry{kClose, kTitle, kCase, L"("});
  entries[0].Keyword = L"(" + std::wstring(60, L'x');
  entries.push_back({kClose, kTitle, kCase, L"(a*)*\\1[b]"});
  entries.push_back({kClose, kClass, kWild, L"Slow"});
  const TaskList list = ListOf(entries);
  const TerminationReport report = RunTermination(list, desk);
  EXPECT_EQ(desk.actions, (Log{"close 5"}));
  EXPECT_EQ(report.invalidEntries, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(report.gaveUpEntries, (std::vector<int>{11}));
  std::wstring expected = L"次のエントリは正規表現が不正なため、何も終了しませんでした。\n\n1 行目: (" +
                          std::wstring(47, L'x') + L"...";
  for (int row = 2; row <= 10; ++row) expected += L"\n" + std::to_wstring(row) + L" 行目: (";
  expected += L"\nほか 1 件\n\n";
  expected += L"次のエントリは正規表現の照合に時間がかかりすぎたため、途中で打ち切りました。"
              L"終了されずに残ったものがあるかもしれません。\n\n12 行目: (a*)*\\1[b]";
  EXPECT_EQ(RunWarningMessage(list, report), expected);
  EXPECT_EQ(RunWarningMessage(list, TerminationReport{}), L"");
}

TEST(TerminationTest, WindowSnapshotCombinesAndCutsTexts) {
  const std::wstring as(1023, L'a');
  const struct { std::wstring title, className, combined; } cases[] = {
      {L"memo", L"Notepad", L"memo（Notepad）"},
      {L"", L"Notepad", L"（Notepad）"},
      {L"memo", L"", L"memo（）"},
      {as, L"C", as},
      {as.substr(0, 1020), L"CC", as.substr(0, 1020) + L"（CC"},
      {as.substr(0, 1019), L"CC", as.substr(0, 1019) + L"（CC）"},
  };
  FakeDesktop desk = Desk();
  desk.windows.clear();
  for (const auto& c : cases) desk.AddWindow(desk.windows.size() + 100, 20, c.title, c.className);
  ClearSnapshots();
  TakeWindowSnapshot(desk);
  ASSERT_EQ(WindowSnapshot().size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const WindowInfo& w = WindowSnapshot()[i];
    EXPECT_EQ(w.window, i + 100);
    EXPECT_EQ(w.processId, 20u);
    EXPECT_EQ(w.title, cases[i].title);
    EXPECT_EQ(w.className, cases[i].className);
    EXPECT_EQ(w.combinedText, cases[i].combined) << i;
    EXPECT_EQ(w.processName, L"calc.exe");
  }
}

TEST(TerminationTest, ProcessNameIsThePathAfterItsLastBackslash) {
  const struct { std::wstring path, name; } cases[] = {
      {L"\\Device\\HarddiskVolume2\\Windows\\notepad.exe", L"notepad.exe"},
      {L"notepad.exe", L"notepad.exe"},
      {L"C:/Tools/calc.exe", L"C:/Tools/calc.exe"},
      {L"\\Device\\Tools\\", L""},
      {L"\\Device\\" + std::wstring(1030, L'x'), std::wstring(1023, L'x')},
      {L"", L""},
  };
  for (const auto& c : cases) {
    FakeDesktop desk;
    desk.AddProcess(7, c.path);
    EXPECT_EQ(ProcessImageName(desk, 7), c.name) << testing::PrintToString(c.path);
  }
}

TEST(TerminationTest, ProcessEnumerationGrowsItsBufferUntilEveryIdFits) {
  const struct { std::uint32_t processes; std::vector<std::uint32_t> capacities; } cases[] = {
      {0, {4096}}, {1023, {4096}}, {1024, {4096, 8192}}, {3000, {4096, 8192, 16384}},
  };
  for (const auto& c : cases) {
    FakeDesktop desk;
    for (std::uint32_t pid = 1; pid <= c.processes; ++pid) desk.AddProcess(pid * 4, pid % 7 ? L"\\D\\p.exe" : L"");
    RunTermination(ListOf({{kKill, kName, kWild, L"p.exe"}}), desk);
    EXPECT_EQ(desk.capacities, c.capacities) << c.processes;
    ASSERT_EQ(ProcessSnapshot().size(), c.processes);
    Log expected;
    for (std::uint32_t pid = 1; pid <= c.processes; ++pid) {
      EXPECT_EQ(ProcessSnapshot()[pid - 1].processId, pid * 4);
      EXPECT_EQ(ProcessSnapshot()[pid - 1].processName, pid % 7 ? L"p.exe" : L"");
      if (pid % 7) expected.push_back("kill " + std::to_string(pid * 4));
    }
    EXPECT_EQ(desk.actions, expected);
  }
  FakeDesktop full;  // ever more processes: the growth stops at its cap, and no process is listed
  full.fillsEveryBuffer = true;
  RunTermination(ListOf({{kKill, kName, kWild, L"*"}}), full);
  EXPECT_EQ(full.capacities.size(), 15u);
  EXPECT_EQ(full.capacities.back(), kMaxProcessIdBytes);
  EXPECT_TRUE(ProcessSnapshot().empty());
}

TEST(TerminationTest, AFailedEnumerationLeavesNoProcessesAndTheWindowsAlone) {
  FakeDesktop desk = Desk();
  RunTermination(ListOf({{kKill, kName, kWild, L"*"}}), desk);
  ASSERT_EQ(ProcessSnapshot().size(), 4u);
  desk.enumerationFails = true;
  desk.actions.clear();
  RunTermination(ListOf({{kKill, kName, kWild, L"*"}, {kClose, kName, kWild, L"calc.exe"}}), desk);
  EXPECT_TRUE(ProcessSnapshot().empty()) << "nothing of the last run survives";
  EXPECT_EQ(WindowSnapshot().size(), 4u);
  EXPECT_EQ(desk.actions, (Log{"close 2"}));
}

}  // namespace
}  // namespace nagitome
