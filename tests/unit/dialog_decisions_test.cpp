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

// Every combination: the texts of its values; its check marks come back as the same entry, the case
// box counting for a regex only.
TEST(EditorModelTest, RowTextsAndCheckMarksNameEveryValue) {
  const std::wstring ends[] = {L"ウィンドウを閉じる", L"taskkill"};
  const std::wstring targets[] = {L"ウィンドウタイトル", L"ウィンドウクラス名",
                                  L"ウィンドウタイトル（ウィンドウクラス名）",
                                  L"プロセス名"};
  const std::wstring methods[] = {L"ワイルドカード", L"正規表現（大小区別する）",
                                  L"正規表現（大小区別しない）"};
  for (int i = 0; i < 24; ++i) {
    const TaskEntry entry{E(i / 12), T(i / 3 % 4), M(i % 3), L"k"};
    EXPECT_EQ(RowTextsOf(entry), (RowTexts{ends[i / 12], targets[i / 3 % 4], methods[i % 3], L"k"}));
    const EditorState state = EditorStateOf(entry);
    EXPECT_EQ(EntryOfEditor(state.checks, L"k"), entry) << i;
    EXPECT_EQ(state.caseEnabled, entry.MatchMethod != M::Wildcard) << i;
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

// A view that follows the row change shows the model; the row it selects, reported back, reloads the
// editor unless the model has it already. Without a selection nothing changes.
TEST(EditorModelTest, EntryCommandsLeaveTheViewShowingTheModel) {
  using C = EntryCommand;
  struct Case {
    std::wstring before;
    int selected;
    C command;
    std::wstring after;
    int selectedAfter;
    bool reloaded;
  };
  std::vector<Case> cases = {
      {L"abc", 2, C::Insert, L"ab_c", 2, true},
      {L"abc", 0, C::Delete, L"bc", 0, true},
      {L"abc", 2, C::Delete, L"ab", 1, true},
      {L"abc", 2, C::Up, L"acb", 1, false},
      {L"abc", 1, C::Down, L"acb", 2, false},
      {L"abc", 1, C::Update, L"adc", 1, false},
      {L"abc", 0, C::Up, L"abc", 0, false},
      {L"abc", 2, C::Down, L"abc", 2, false},
      {L"a", 0, C::Delete, L"a", 0, false},
  };
  for (int command = 0; command < 5; ++command) cases.push_back({L"abc", -1, C(command), L"abc", -1, false});
  for (const Case& c : cases) {
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
    EXPECT_EQ(std::tie(view, viewSelected, reloaded), std::tie(c.after, c.selectedAfter, c.reloaded))
        << int(c.command) << " at " << c.selected;
  }
}

// An update cuts the keyword to what the editor holds; rows the view cannot have are ignored; a
// new list is one blank entry, shown from row 0.
TEST(TaskListTest, UpdateCutsTheKeywordAndANewListIsOneBlankEntry) {
  TaskList list = MakeList(L"abc", 0);
  ApplyEntryCommand(list, EntryCommand::Update, {.Keyword = std::wstring(1100, L'k')});
  EXPECT_EQ(list.At(0).Keyword, std::wstring(1023, L'k'));
  EXPECT_FALSE(list.SelectEntry(3));
  EXPECT_FALSE(list.SelectEntry(-1));
  EXPECT_EQ(list.NewTaskList(), 0);
  EXPECT_EQ(Rows(list), L"_");
}

TEST(StartFormTest, ArgumentsChooseTheAction) {
  using A = StartAction;
  const struct {
    std::vector<std::wstring> arguments;
    StartForm form;
    bool recentOn = false;
    std::wstring recent = L"";
  } cases[] = {
      {{}, {A::New}, false, L"r.txt"},
      {{}, {A::Open, L"r.txt"}, true, L"r.txt"},
      {{}, {A::New}, true},
      {{L"ok.txt"}, {A::Open, L"ok.txt"}, true, L"r.txt"},
      {{L"gone.txt"}, {A::BadPath, L"gone.txt"}},
      {{L"/E", L"gone.txt", L"x"}, {A::Run, L"gone.txt"}},
      {{L"/e", L"l.txt", L"/LOG", L"r.log"}, {A::Run, L"l.txt", L"", true, L"r.log"}},
      {{L"/e", L"l.txt", L"/log"}, {A::Run, L"l.txt", L"", true}},
      {{L"/e", L"l.txt", L"/logs", L"r.log"}, {A::Run, L"l.txt"}},
      {{L"/x", L"ok.txt"}, {A::BadArguments}},
      {{L"-e", L"ok.txt"}, {A::BadArguments}},
      {{L"/p", L"gone.txt"}, {A::Preview, L"gone.txt"}},
      {{L"/P", L"l.txt", L"r.txt"}, {A::Preview, L"l.txt", L"r.txt"}},
      {{L"/p"}, {A::Preview}},
      {{L"/E"}, {A::Run}},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> arguments = c.arguments;
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
