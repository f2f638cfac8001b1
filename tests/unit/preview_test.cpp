#include "engine/preview.h"

#include <gtest/gtest.h>

#include "engine/snapshot.h"
#include "tests/support/fake_desktop.h"

namespace nagitome {
namespace {

using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;

// The sample desktop with a short handle (padded to eight hex digits) and a longer one, texts
// to escape, and a title long enough to cut a backtracking entry short.
FakeDesktop Desk() {
  FakeDesktop desk = SampleDesktop();
  desk.windows[0].handle = 0x1A2B;
  desk.windows[1].title = L"Calc\tone\r\ntwo \\";
  desk.windows[2].handle = 0x12345678ABC;
  desk.paths[40] = L"\\Device\\a\\svc\thost.exe";
  desk.AddWindow(0x5, 20, std::wstring(1023, L'a'), L"Slow");
  return desk;
}

TEST(PreviewTest, RecordsExactlyWhatTheRunAsksAndEndsNothing) {
  const std::vector<std::vector<TaskEntry>> lists = {
      {{E::CloseWindow, T::WindowTitle, M::Wildcard, L"*"}, {E::CloseWindow, T::WindowClass, M::RegexCaseSensitive, L".*e.*"},
       {E::CloseWindow, T::TitleAndClass, M::Wildcard, L"*（*）"}, {E::CloseWindow, T::ProcessName, M::Wildcard, L"notepad.exe"}},
      {{E::Taskkill, T::WindowTitle, M::RegexIgnoreCase, L"CALC.*|memo.*"}, {E::Taskkill, T::WindowClass, M::Wildcard, L"Notepad"},
       {E::Taskkill, T::TitleAndClass, M::Wildcard, L"*（）"}, {E::Taskkill, T::ProcessName, M::Wildcard, L"*.exe"}},
      {{E::Taskkill, T::ProcessName, M::Wildcard, L"*"}, {E::Taskkill, T::WindowTitle, M::RegexCaseSensitive, L"("},
       {E::CloseWindow, T::WindowTitle, M::Wildcard, L""}, {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(a*)*\\1[b]"},
       {E::Taskkill, T::ProcessName, M::Wildcard, L"*"}},
  };
  for (const auto& entries : lists) {
    TaskList list;
    list.ReplaceEntries(entries);
    FakeDesktop ran = Desk(), previewed = Desk();
    const TerminationReport report = RunTermination(list, ran);
    const Preview preview = PreviewTermination(list, previewed);
    std::vector<std::string> asked;
    for (const PreviewAction& a : preview.actions) {
      asked.push_back(a.endMethod == E::Taskkill ? "kill " + std::to_string(a.processId) : "close " + std::to_string(a.window));
    }
    EXPECT_EQ(asked, ran.actions);
    EXPECT_TRUE(previewed.actions.empty());
    EXPECT_EQ(preview.report.invalidEntries, report.invalidEntries);
    EXPECT_EQ(preview.report.gaveUpEntries, report.gaveUpEntries);
  }
}

TEST(PreviewTest, ReportHasOneEscapedLinePerActionThenTheSkippedRows) {
  TaskList list;
  list.ReplaceEntries({{E::CloseWindow, T::ProcessName, M::Wildcard, L"notepad.exe"},
                       {E::Taskkill, T::TitleAndClass, M::RegexIgnoreCase, L"calc[\\s\\S]*"},
                       {E::Taskkill, T::ProcessName, M::Wildcard, L"svc*"},
                       {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(a*)*\\1[b]"},
                       {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"[b-a]"}});
  FakeDesktop desk = Desk();
  const Preview preview = PreviewTermination(list, desk);
  ClearSnapshots();  // the next run's: the preview keeps the texts it shows
  EXPECT_EQ(FormatPreviewReport(preview),
            "row\tend\ttarget\tpid\tprocess\twindow\ttext\r\n"
            "1\t0\t3\t10\tnotepad.exe\t00001A2B\tnotepad.exe\r\n"
            "1\t0\t3\t10\tnotepad.exe\t12345678ABC\tnotepad.exe\r\n"
            "2\t1\t2\t20\tcalc.exe\t00000002\tCalc\\tone\\r\\ntwo \\\\\xEF\xBC\x88" "CalcFrame\xEF\xBC\x89\r\n"
            "3\t1\t3\t40\tsvc\\thost.exe\t\tsvc\\thost.exe\r\n"
            "# gave-up row 4\r\n"
            "# invalid row 5\r\n");
  EXPECT_EQ(PreviewSummary(preview), L"ウィンドウを閉じる: 2 件、taskkill: 2 件（まだ何も終了していません）\r\n"
                                     L"正規表現が不正な行: 5、時間切れで打ち切った行: 4");
}

}  // namespace
}  // namespace nagitome
