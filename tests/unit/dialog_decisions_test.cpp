// What the main dialog and the command line decide, without a window: row texts, the editor's
// check marks, the rows an entry command changes, the start-up forms; and the run log's lines.
#include <gtest/gtest.h>

#include "app/run_log.h"
#include "app/start_form.h"
#include "ui/editor_model.h"

namespace nagitome {
namespace {

using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;
using Keys = std::vector<std::wstring>;

TEST(EditorModelTest, RowTextsAndCheckMarksNameEveryValue) {
  const struct { TaskEntry entry; RowTexts texts; std::vector<int> checked; } cases[] = {
      {{E::CloseWindow, T::WindowTitle, M::Wildcard, L"k"},
       {L"ウィンドウを閉じる", L"ウィンドウタイトル", L"ワイルドカード", L"k"}, {1010, 1012, 1017}},
      {{E::Taskkill, T::WindowClass, M::RegexCaseSensitive, L""},
       {L"taskkill", L"ウィンドウクラス名", L"正規表現（大小区別する）", L""}, {1011, 1013, 1018, 1019}},
      {{E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L""},
       {L"ウィンドウを閉じる", L"ウィンドウタイトル（ウィンドウクラス名）", L"正規表現（大小区別しない）", L""}, {1010, 1014, 1018}},
      {{E::Taskkill, T::ProcessName, M::Wildcard, L""}, {L"taskkill", L"プロセス名", L"ワイルドカード", L""}, {1011, 1015, 1017}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RowTextsOf(c.entry), c.texts);
    const EditorState state = EditorStateOf(c.entry);
    std::vector<int> checked;
    for (int i = 0; i < 10; ++i) if (state.checks[i]) checked.push_back(kFirstEditorButton + i);
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(state.caseEnabled, c.entry.MatchMethod != M::Wildcard);  // 1019 counts for a regex only
  }
  for (int i = 0; i < 24; ++i) {  // and back, every combination
    const TaskEntry entry{E(i / 12), T(i / 3 % 4), M(i % 3), L"k"};
    EXPECT_EQ(EntryOfEditor(EditorStateOf(entry).checks, L"k"), entry) << i;
  }
  EditorChecks checks{};  // never loaded: the first values
  EXPECT_EQ(EntryOfEditor(checks, L"x"), (TaskEntry{.Keyword = L"x"}));
  checks[7] = checks[8] = checks[9] = true;  // the wildcard radio wins; its case box is kept but does not count
  EXPECT_EQ(EntryOfEditor(checks, L"").MatchMethod, M::Wildcard);
}

// Entries named by their keywords, with `selected` reported by the view.
TaskList MakeList(const Keys& keywords, int selected) {
  TaskList list;
  list.ClearEntries();
  for (const std::wstring& k : keywords) list.AppendEntry({.Keyword = k});
  list.ResetSelection(), list.SelectEntry(selected);
  return list;
}

// The model change, the rows the view follows, the edited entry after (-1: the view's selection reloads
// the editor; a move keeps it). Without a selection, or on the only entry, nothing changes.
TEST(EditorModelTest, EntryCommandsNameTheRowsTheViewChanges) {
  using C = EntryCommand;
  const struct { int selected; C command; RowChange change; int selectedAfter; Keys after = {}; Keys before = {L"a", L"b", L"c"}; } cases[] = {
      {2, C::Insert, {kNoRow, 2, 2}, -1, {L"a", L"b", L"", L"c"}}, {0, C::Delete, {0, kNoRow, 0}, -1, {L"b", L"c"}},
      {1, C::Delete, {1, kNoRow, 1}, -1, {L"a", L"c"}},            {2, C::Delete, {2, kNoRow, 1}, -1, {L"a", L"b"}},
      {2, C::Up, {2, 1, 1}, 1, {L"a", L"c", L"b"}},                {1, C::Down, {1, 2, 2}, 2, {L"a", L"c", L"b"}},
      {1, C::Update, {1, 1, 1}, 1, {L"a", L"draft", L"c"}},        {0, C::Up, {}, 0}, {2, C::Down, {}, 2}, {0, C::Delete, {}, 0, {}, {L"a"}},
      {-1, C::Insert, {}, -1}, {-1, C::Delete, {}, -1}, {-1, C::Up, {}, -1}, {-1, C::Down, {}, -1}, {-1, C::Update, {}, -1},
  };
  for (const auto& c : cases) {
    TaskList list = MakeList(c.before, c.selected);
    EXPECT_EQ(ApplyEntryCommand(list, c.command, {.Keyword = L"draft"}), c.change) << int(c.command) << " at " << c.selected;
    Keys keys;
    for (const TaskEntry& e : list.Entries()) keys.push_back(e.Keyword);
    EXPECT_EQ(keys, c.after.empty() ? c.before : c.after);
    EXPECT_EQ(list.SelectedIndex(), c.selectedAfter);
  }
}

// An update overwrites every field; a selection reports only a change; a new list has one blank entry.
TEST(TaskListTest, UpdateSelectionAndNewList) {
  TaskList list = MakeList({L"a", L"b", L"c"}, 0);
  list.UpdateSelectedEntry(E::Taskkill, T::TitleAndClass, M::RegexCaseSensitive, std::wstring(1100, L'k'));
  EXPECT_EQ(list.Entries()[0], (TaskEntry{E::Taskkill, T::TitleAndClass, M::RegexCaseSensitive, std::wstring(1023, L'k')}));
  EXPECT_FALSE(list.SelectEntry(0));
  EXPECT_TRUE(list.SelectEntry(2));
  EXPECT_FALSE(list.SelectEntry(3) || list.SelectEntry(-1));  // rows the view cannot have are ignored
  EXPECT_EQ(list.SelectedIndex(), 2);
  list.ResetSelection();
  EXPECT_TRUE(list.SelectEntry(2));  // even the row selected before reloads the editor
  EXPECT_EQ(list.NewTaskList(), 0);
  EXPECT_EQ(list.Entries(), std::vector<TaskEntry>{MakeBlankEntry()});
}

TEST(StartFormTest, ArgumentsChooseTheAction) {
  using A = StartAction;
  const struct { Keys arguments; bool recentOn; std::wstring recent; StartForm form; } cases[] = {
      {{}, false, L"r.txt", {A::New}}, {{}, true, L"r.txt", {A::Open, L"r.txt"}}, {{}, true, L"", {A::New}},
      {{L"ok.txt"}, true, L"r.txt", {A::Open, L"ok.txt"}},
      {{L"gone.txt"}, false, L"", {A::BadPath, L"gone.txt"}},     {{L"/e", L"ok.txt"}, false, L"", {A::Run, L"ok.txt"}},
      {{L"/E", L"ok.txt", L"x"}, false, L"", {A::Run, L"ok.txt"}}, {{L"/e", L"gone.txt"}, false, L"", {A::Run, L"gone.txt"}},
      {{L"/e", L"l.txt", L"/LOG", L"r.log"}, false, L"", {A::Run, L"l.txt", L"", true, L"r.log"}},
      {{L"/e", L"l.txt", L"/log"}, false, L"", {A::Run, L"l.txt", L"", true}}, {{L"/e", L"l.txt", L"/logs", L"r.log"}, false, L"", {A::Run, L"l.txt"}},
      {{L"/x", L"ok.txt"}, false, L"", {A::BadArguments}},        {{L"/ee", L"ok.txt"}, false, L"", {A::BadArguments}},
      {{L"ok.txt", L"ok.txt"}, false, L"", {A::BadArguments}},    {{L"/p", L"gone.txt"}, false, L"", {A::Preview, L"gone.txt"}},
      {{L"/P", L"l.txt", L"r.txt"}, false, L"", {A::Preview, L"l.txt", L"r.txt"}}, {{L"/p"}, false, L"", {A::Preview}},
      {{L"/E"}, false, L"", {A::Run}},
  };
  for (const auto& c : cases) {
    Keys arguments = c.arguments;
    arguments.insert(arguments.begin(), L"Nagitome.exe");
    const StartForm form = ReadStartForm(arguments, c.recentOn, c.recent, [](const std::wstring& p) { return p.starts_with(L"ok"); });
    EXPECT_EQ(form, c.form) << testing::PrintToString(c.arguments);
  }
}

// West of UTC and at UTC: the Wine tests run east of it.
TEST(RunLogTest, TimeStampsCarryTheOffsetInIso8601) {
  EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, -210}, L"x"), "2026-01-02T03:04:05.006-03:30\tx\r\n");  // Newfoundland
  EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, 0}, L"x"), "2026-01-02T03:04:05.006+00:00\tx\r\n");
}

}  // namespace
}  // namespace nagitome
