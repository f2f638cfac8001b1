// The engine: keywords matched within their budgets, then runs and previews over a fake desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include "engine/keyword_matcher.h"
#include "engine/preview.h"
#include "engine/rule_set.h"
#include "engine/run_warning.h"
#include "engine/termination.h"
#include "tasks/texts.h"
#include "tests/support/fake_desktop.h"

namespace nagitome {
namespace {

using namespace std::chrono_literals;
constexpr MatchMethod kCase = MatchMethod::RegexCaseSensitive;

// Keywords lead with their method digit. A last star takes a non-empty rest; rejected patterns match
// nothing; full-width forms are plain; hostile cases give up at their budget.
TEST(KeywordMatcherTest, MatchesTheWholeTextByMethodWithinItsBudget) {
  enum Outcome { kNo, kYes, kGaveUp, kInvalid };
  const std::wstring as(1023, L'a');
  const std::wstring nested = L"1" + std::wstring(1000, L'(') + L"a*" + std::wstring(1000, L')');
  const struct {
    std::wstring keyword;
    std::wstring text;
    Outcome outcome;
    std::chrono::milliseconds budget = kRegexBudgetPerEntry;
  } cases[] = {
      {L"0note*", L"note", kNo},
      {L"0a**", L"a", kNo},
      {L"0a*", L"ab", kYes},
      {L"0*", L"", kNo},
      {L"0*", as, kYes},
      {L"1..", L"\xD83D\xDE00", kYes},
      {L"1(a)\\1", L"ab", kNo},
      {L"2(A)\\1", L"aA", kYes},
      {L"1[[:alpha:]1]x", L"ax", kYes},
      {L"1\\\\12345678901", L"\\12345678901", kYes},
      {L"1\\u0041b", L"Ab", kYes},
      {L"1[\\]a]x", L"]x", kYes},
      {L"2.*editor（class5.*", L"Doc - Editor（Class50）", kYes},
      {L"2a\uFF0A", L"aa", kNo},
      {L"1\\", L"\\", kInvalid},
      {L"2a{1,18446744073709551619}", L"a", kInvalid},
      {L"2(a)\\4294967297", L"a", kInvalid},
      {L"1(a*)*b", as, kNo},
      {nested, as, kYes, 10s},
      {L"1a{100000}", as, kInvalid, 50ms},
      {L"1(a*)*\\1[b]", as, kGaveUp, 50ms},
      {L"1(?:.{0,900}){0,50}\\d", as, kGaveUp, 50ms},
      {L"1()\\1=**a=***.************a*y*.*\\x1f", L"aa", kGaveUp, 50ms},  // repeats of nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.keyword.substr(0, 24)));
    KeywordMatcher matcher(c.keyword.substr(1), MatchMethod(c.keyword[0] - L'0'), c.budget);
    const bool matched = matcher.Matches(c.text);
    EXPECT_EQ(matched ? kYes : !matcher.IsValid() ? kInvalid : matcher.GaveUp() ? kGaveUp : kNo, c.outcome);
    EXPECT_EQ(matcher.Matches(c.text), matched) << "a prepared matcher answers again";
    EXPECT_TRUE(c.outcome < kGaveUp || !matcher.Matches(L"aab")) << "given up, nothing matches";
  }
}

// The budget is the entry's: cheap tests add up to it (one would have to stall for all of it to give
// up alone).
TEST(KeywordMatcherTest, TheBudgetIsSpentOverAllTestsOfAnEntry) {
  KeywordMatcher matcher(L".{0,100}\\d", kCase, 300ms);
  const auto end = std::chrono::steady_clock::now() + 1s;
  int tests = 0;
  for (; !matcher.GaveUp() && std::chrono::steady_clock::now() < end; ++tests) {
    ASSERT_FALSE(matcher.Matches(std::wstring(1000, L'a')));
  }
  EXPECT_TRUE(matcher.GaveUp());
  EXPECT_GT(tests, 1) << "one test alone must fit the budget";
}

// A backtracking test deeper than the stack gives up instead of overflowing it, and the entry
// answers nothing after, though its time is not spent.
TEST(KeywordMatcherTest, ATestDeeperThanTheStackGivesUp) {
  KeywordMatcher matcher(L"(a)\\1(?:a|b)*[c]", kCase, 60s);
  EXPECT_FALSE(matcher.Matches(std::wstring(4 << 20, L'a')));
  EXPECT_TRUE(matcher.GaveUp());
  EXPECT_FALSE(matcher.Matches(L"aac"));
}

// The actions as the fake desktop logs them, after what log holds.
std::string Asked(const std::vector<TerminationAction>& actions, std::string log = "") {
  for (const TerminationAction& a : actions) {
    const bool kill = a.endMethod == EndMethod::Taskkill;
    log += (kill ? " kill " : " close ") + std::to_string(kill ? a.processId : a.window);
  }
  return log;
}

std::string Joined(const std::vector<std::string>& actions) {
  std::string joined;
  for (const std::string& a : actions) joined += " " + a;
  return joined;
}

// Runs the list. Its preview, and the list tested one window or process at a time as a watcher
// does, ask for the same; the preview ends nothing and reports the same. Gives what was asked.
std::string RunAndPreview(const TaskList& list, FakeDesktop& desk, TerminationReport* report = nullptr) {
  FakeDesktop previewed = desk;
  const Plan plan = RunTermination(list, desk);
  const Plan preview = PreviewTermination(list, previewed);
  EXPECT_EQ(Asked(preview.actions), Joined(desk.actions));
  EXPECT_EQ(preview.report.invalidEntries, plan.report.invalidEntries);
  EXPECT_EQ(preview.report.gaveUpEntries, plan.report.gaveUpEntries);
  EXPECT_TRUE(previewed.actions.empty());
  RuleSet rules(list);
  std::vector<std::string> one;
  const auto test = [&](const auto& thing) {
    rules.BeginPass();
    for (const TerminationAction& a : ActionsFor(rules, thing)) one.push_back(Asked({a}).substr(1));
  };
  std::ranges::for_each(plan.snapshot->windows, test);
  std::ranges::for_each(plan.snapshot->processes, test);
  EXPECT_TRUE(std::ranges::is_permutation(one, desk.actions)) << testing::PrintToString(one);
  if (report) *report = plan.report;
  return Joined(desk.actions);
}

// Entries as file lines. Each end method and target picks its candidates, text and action; entries
// act in list order on one snapshot without merging; rejected entries and empty keywords are skipped.
TEST(TerminationTest, EntriesPickTheirCandidatesAndActInListOrder) {
  const struct {
    std::vector<std::wstring> entries;
    std::string log;
    std::vector<int> invalid = {};
  } cases[] = {
      {{L"000*"}, " close 1 close 2 close 4"},
      {{L"011.*"}, " close 1 close 2 close 3"},
      {{L"020*（*）"}, " close 1 close 2 close 3 close 4"},
      {{L"030notepad.exe"}, " close 1 close 3"},
      {{L"101Calc.*|memo.*"}, " kill 10 kill 20"},
      {{L"110Notepad"}, " kill 10 kill 10"},
      {{L"131.*"}, " kill 10 kill 20 kill 40"},
      {{L"010Calc*", L"021(Calc|memo).*", L"101(", L"121", L"000", L"132[z-a]", L"130*.exe"},
       " close 2 close 1 close 2 kill 10 kill 20 kill 40",  // window 2 again, though just closed
       {2, 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.entries[0]));
    FakeDesktop desk = SampleDesktop();
    TerminationReport report;
    EXPECT_EQ(RunAndPreview(ListOf(c.entries), desk, &report), c.log);
    EXPECT_EQ(report.invalidEntries, c.invalid);
    EXPECT_LE(desk.capacities.size(), 1u) << "one snapshot per run";
  }
}

// Rejected and cut-short entries do not stop the run; the warning names at most ten of each, shortened.
TEST(TerminationTest, RejectedAndCutShortEntriesAreReportedAndNamed) {
  FakeDesktop desk = SampleDesktop();
  desk.AddWindow(5, 20, std::wstring(40, L'a') + L"!", L"Slow");
  std::vector<std::wstring> entries(11, L"001(");
  entries[0] += std::wstring(60, L'x');
  entries.insert(entries.end(), {L"001(a*)*\\1[b]", L"010Slow"});
  const TaskList list = ListOf(entries);
  TerminationReport report;
  EXPECT_EQ(RunAndPreview(list, desk, &report), " close 5");
  EXPECT_EQ(report.invalidEntries, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  std::wstring expected = texts::kInvalidRegexHeader + (L"\n\n1 行目: (" + std::wstring(47, L'x')) + L"...";
  for (int row = 2; row <= 10; ++row) expected += L"\n" + std::to_wstring(row) + L" 行目: (";
  expected += L"\nほか 1 件\n\n" + std::wstring(texts::kRegexGaveUpHeader) + L"\n\n12 行目: (a*)*\\1[b]";
  EXPECT_EQ(RunWarningMessage(list, report), expected);
  EXPECT_EQ(RunWarningMessage(list, TerminationReport{}), L"");
}

// The id buffer grows until every id fits, up to a cap; a failed or endless enumeration lists none.
TEST(TerminationTest, ProcessEnumerationGrowsItsBufferUntilEveryIdFits) {
  const TaskList list = ListOf({L"130*", L"030calc.exe"});
  for (const std::uint32_t count : {1023u, 1024u}) {
    FakeDesktop desk;
    for (std::uint32_t pid = 1; pid <= count; ++pid) desk.AddProcess(pid * 4 + 4, L"p.exe");
    RunTermination(list, desk);
    EXPECT_EQ(desk.capacities, (count < 1024 ? std::vector{4096u} : std::vector{4096u, 8192u}));
    EXPECT_EQ(desk.actions.size(), count);
    EXPECT_EQ(desk.actions.back(), "kill " + std::to_string(count * 4 + 4));
  }
  FakeDesktop failing = SampleDesktop();  // the windows stay
  failing.enumerationFails = true;
  EXPECT_EQ(RunAndPreview(list, failing), " close 2");
  FakeDesktop full;  // ever more processes
  full.fillsEveryBuffer = true;
  EXPECT_TRUE(RunTermination(list, full).snapshot->processes.empty());
  ASSERT_EQ(full.capacities.size(), 15u);
  EXPECT_EQ(full.capacities.back(), kMaxProcessIdBytes);
}

// What keeps Windows running never gets a taskkill: ids 0 and 4, what the system calls critical,
// and where it cannot say, one of its own images in its own folder, or a process without an image.
TEST(TerminationTest, WhatKeepsWindowsRunningIsNeverKilled) {
  const std::wstring system = L"C:\\Windows\\System32\\";
  // The system's word first: 1 critical, 0 not, ? it cannot say.
  const std::tuple<std::uint32_t, std::wstring, bool> cases[] = {
      {0, L"?", true},
      {4, L"0", true},
      {8, L"1C:\\Tools\\app.exe", true},
      {8, L"0" + system + L"csrss.exe", false},
      {8, L"?c:\\windows\\SYSTEM32\\LsaIso.exe", true},
      {8, L"?C:\\Users\\me\\csrss.exe", false},
      {8, L"?" + system + L"drivers\\smss.exe", false},
      {8, L"?" + system + L"notepad.exe", false},
      {8, L"?Memory Compression", true},
      {8, L"?csrss.exe", false},
  };
  for (const auto& [pid, said, kept] : cases) {
    const auto critical = said[0] == L'?' ? std::nullopt : std::optional(said[0] == L'1');
    EXPECT_EQ(KeepsWindowsRunning(pid, critical, said.substr(1), system), kept) << pid << kept;
  }
  FakeDesktop desk = SampleDesktop();
  desk.critical[10] = true;
  desk.win32Paths[20] = system + L"winlogon.exe";
  desk.AddProcess(4, L"\\System");
  RunTermination(ListOf({L"130*", L"100Secret"}), desk);
  EXPECT_EQ(Joined(desk.actions), " kill 40 kill 30");
}

// Handles padded to eight hex digits or longer, texts escaped; a protected process, an entry cut
// short and a rejected one noted in row order.
TEST(PreviewTest, ReportHasOneEscapedLinePerActionThenTheSkippedRows) {
  FakeDesktop desk = SampleDesktop();
  desk.windows[0].handle = 0x1A2B;
  desk.windows[2].handle = 0x12345678ABC;
  desk.windows[1].title = L"Calc\tone\r\ntwo \\";
  desk.paths[40] = L"\\Device\\a\\svc\thost/x.exe";  // a name may hold a slash
  desk.critical[40] = true;
  desk.AddWindow(0x5, 20, std::wstring(1023, L'a'), L"Slow");
  const Plan preview = PreviewTermination(ListOf({L"030notepad.exe", L"122calc[\\s\\S]*", L"130svc*",
                                                  L"001(a*)*\\1[b]", L"001[b-a]"}),
                                          desk);
  EXPECT_EQ(FormatPreviewReport(preview),
            "row\tend\ttarget\tpid\tprocess\twindow\ttext\r\n"
            "1\t0\t3\t10\tnotepad.exe\t00001A2B\tnotepad.exe\r\n"
            "1\t0\t3\t10\tnotepad.exe\t12345678ABC\tnotepad.exe\r\n"
            "2\t1\t2\t20\tcalc.exe\t00000002\tCalc\\tone\\r\\ntwo \\\\（CalcFrame）\r\n"
            "3\t1\t3\t40\tsvc\\thost/x.exe\t\tsvc\\thost/x.exe\r\n"
            "# protected row 3 pid 40\r\n"
            "# gave-up row 4\r\n"
            "# invalid row 5\r\n");
  EXPECT_EQ(PreviewSummary(preview),
            L"ウィンドウを閉じる: 2 件、taskkill: 2 件"
            L"（まだ何も終了していません）\r\n"
            L"正規表現が不正な行: 5、時間切れで打ち切った行: 4");
}

}  // namespace
}  // namespace nagitome
