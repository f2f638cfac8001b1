// What the main dialog and the command line decide, without a window: row texts, the editor's
// check marks, the rows an entry command changes, the start-up forms; and the run log's lines.
#include <gtest/gtest.h>

#include <tuple>

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
  const struct {
    TaskEntry entry;
    RowTexts texts;
    std::vector<int> checked;
  } cases[] = {
      {{E::CloseWindow, T::WindowTitle, M::Wildcard, L"k"},
       {L"ウィンドウを閉じる", L"ウィンドウタイトル", L"ワイルドカード", L"k"},
       {1010, 1012, 1017}},
      {{E::Taskkill, T::WindowClass, M::RegexCaseSensitive, L""},
       {L"taskkill", L"ウィンドウクラス名", L"正規表現（大小区別する）", L""},
       {1011, 1013, 1018, 1019}},
      {{E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L""},
       {L"ウィンドウを閉じる",
        L"ウィンドウタイトル（ウィンドウクラス名）",
        L"正規表現（大小区別しない）",
        L""},
       {1010, 1014, 1018}},
      {{E::Taskkill, T::ProcessName, M::Wildcard, L""},
       {L"taskkill", L"プロセス名", L"ワイルドカード", L""},
       {1011, 1015, 1017}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RowTextsOf(c.entry), c.texts);
    const EditorState state = EditorStateOf(c.entry);
    std::vector<int> checked;
    for (int i = 0; i < 10; ++i) {
      if (state.checks[i]) checked.push_back(kFirstEditorButton + i);
    }
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(state.caseEnabled, c.entry.MatchMethod != M::Wildcard);  // 1019 counts for a regex only
  }
  for (int i = 0; i < 24; ++i) {  // and back, every combination
    const TaskEntry entry{E(i / 12), T(i / 3 % 4), M(i % 3), L"k"};
    EXPECT_EQ(EntryOfEditor(EditorStateOf(entry).checks, L"k"), entry) << i;
  }
  EditorChecks checks{};  // never loaded: the first values
  EXPECT_EQ(EntryOfEditor(checks, L"x"), (TaskEntry{.Keyword = L"x"}));
  checks[7] = true;  // the wildcard radio wins; the case box is kept but does not count
  checks[8] = true;
  checks[9] = true;
  EXPECT_EQ(EntryOfEditor(checks, L"").MatchMethod, M::Wildcard);
}

// One entry per letter of rows, "_" standing for a blank keyword; `selected` reported by the view.
TaskList MakeList(const std::wstring& rows, int selected) {
  TaskList list;
  list.ClearEntries();
  for (const wchar_t k : rows) list.AppendEntry({.Keyword = std::wstring(1, k)});
  list.ResetSelection();
  list.SelectEntry(selected);
  return list;
}

std::wstring Rows(const TaskList& list) {
  std::wstring rows;
  for (const TaskEntry& e : list.Entries()) rows += e.Keyword.empty() ? L'_' : e.Keyword[0];
  return rows;
}

// A view that showed the list follows the command's row change: it must then show the model, with
// the row it selects reported back, which reloads the editor unless the model already has it (a
// move or an update keeps the edited entry). Without a selection, or on the only entry, nothing
// changes.
TEST(EditorModelTest, EntryCommandsLeaveTheViewShowingTheModel) {
  using C = EntryCommand;
  const struct {
    std::wstring before;
    int selected;
    C command;
    std::wstring after;
    int selectedAfter;
    bool reloaded;
  } cases[] = {
      {L"abc", 2, C::Insert, L"ab_c", 2, true},
      {L"abc", 0, C::Delete, L"bc", 0, true},
      {L"abc", 1, C::Delete, L"ac", 1, true},
      {L"abc", 2, C::Delete, L"ab", 1, true},
      {L"abc", 2, C::Up, L"acb", 1, false},
      {L"abc", 1, C::Down, L"acb", 2, false},
      {L"abc", 1, C::Update, L"adc", 1, false},
      {L"abc", 0, C::Up, L"abc", 0, false},
      {L"abc", 2, C::Down, L"abc", 2, false},
      {L"a", 0, C::Delete, L"a", 0, false},
      {L"abc", -1, C::Insert, L"abc", -1, false},
      {L"abc", -1, C::Delete, L"abc", -1, false},
      {L"abc", -1, C::Up, L"abc", -1, false},
      {L"abc", -1, C::Down, L"abc", -1, false},
      {L"abc", -1, C::Update, L"abc", -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.command) << " at " << c.selected);
    TaskList list = MakeList(c.before, c.selected);
    std::wstring view = c.before;
    int viewSelected = c.selected;
    bool reloaded = false;
    const RowChange change = ApplyEntryCommand(list, c.command, {.Keyword = L"d"});
    if (change.removed != kNoRow) view.erase(change.removed, 1);
    if (change.inserted != kNoRow) view.insert(change.inserted, 1, Rows(list)[change.inserted]);
    if (change.selected != kNoRow) {
      viewSelected = change.selected;
      reloaded = list.SelectEntry(change.selected);
    }
    EXPECT_EQ(std::tie(view, viewSelected), std::make_tuple(Rows(list), list.SelectedIndex()));
    EXPECT_EQ(std::tie(view, viewSelected, reloaded), std::tie(c.after, c.selectedAfter, c.reloaded));
  }
}

// An update overwrites every field, its keyword cut to what the editor holds; the view's rows that
// cannot be are ignored; a new list is one blank entry, shown from row 0.
TEST(TaskListTest, UpdateSelectionAndNewList) {
  TaskList list = MakeList(L"abc", 0);
  list.UpdateSelectedEntry(E::Taskkill, T::TitleAndClass, M::RegexCaseSensitive, std::wstring(1100, L'k'));
  const TaskEntry cut{E::Taskkill, T::TitleAndClass, M::RegexCaseSensitive, std::wstring(1023, L'k')};
  EXPECT_EQ(list.At(0), cut);
  EXPECT_FALSE(list.SelectEntry(3));
  EXPECT_FALSE(list.SelectEntry(-1));
  EXPECT_EQ(list.SelectedIndex(), 0);
  EXPECT_EQ(list.NewTaskList(), 0);
  EXPECT_EQ(Rows(list), L"_");
}

TEST(StartFormTest, ArgumentsChooseTheAction) {
  using A = StartAction;
  const struct {
    Keys arguments;
    bool recentOn;
    std::wstring recent;
    StartForm form;
  } cases[] = {
      {{}, false, L"r.txt", {A::New}},
      {{}, true, L"r.txt", {A::Open, L"r.txt"}},
      {{}, true, L"", {A::New}},
      {{L"ok.txt"}, true, L"r.txt", {A::Open, L"ok.txt"}},
      {{L"gone.txt"}, false, L"", {A::BadPath, L"gone.txt"}},
      {{L"/E", L"ok.txt", L"x"}, false, L"", {A::Run, L"ok.txt"}},
      {{L"/e", L"gone.txt"}, false, L"", {A::Run, L"gone.txt"}},
      {{L"/e", L"l.txt", L"/LOG", L"r.log"}, false, L"", {A::Run, L"l.txt", L"", true, L"r.log"}},
      {{L"/e", L"l.txt", L"/log"}, false, L"", {A::Run, L"l.txt", L"", true}},
      {{L"/e", L"l.txt", L"/logs", L"r.log"}, false, L"", {A::Run, L"l.txt"}},
      {{L"/x", L"ok.txt"}, false, L"", {A::BadArguments}},
      {{L"/ee", L"ok.txt"}, false, L"", {A::BadArguments}},
      {{L"ok.txt", L"ok.txt"}, false, L"", {A::BadArguments}},
      {{L"/p", L"gone.txt"}, false, L"", {A::Preview, L"gone.txt"}},
      {{L"/P", L"l.txt", L"r.txt"}, false, L"", {A::Preview, L"l.txt", L"r.txt"}},
      {{L"/p"}, false, L"", {A::Preview}},
      {{L"/E"}, false, L"", {A::Run}},
  };
  for (const auto& c : cases) {
    Keys arguments = c.arguments;
    arguments.insert(arguments.begin(), L"Nagitome.exe");
    const auto exists = [](const std::wstring& path) { return path.starts_with(L"ok"); };
    const StartForm form = ReadStartForm(arguments, c.recentOn, c.recent, exists);
    EXPECT_EQ(form, c.form) << testing::PrintToString(c.arguments);
  }
}

// The fields of the lines the Wine tests do not show; the time west of UTC and at it (the Wine tests
// run east of it).
TEST(RunLogTest, LinesAreStampedTabSeparatedFields) {
  EXPECT_EQ(LogNotLoadedLine(L"m\n\nC:\\l"), L"not loaded\tm\\n\\nC:\\\\l");
  EXPECT_EQ(LogEndLine({1, 2, 3, 4}, 1), L"end\tcloses 1\tkills 2\trejected 3\tcut short 4\texit 1");
  EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, -210}, L"x"), "2026-01-02T03:04:05.006-03:30\tx\r\n");
  EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, 0}, L"パ"), "2026-01-02T03:04:05.006+00:00\tパ\r\n");
}

}  // namespace
}  // namespace nagitome
