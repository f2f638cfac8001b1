// What the main dialog and the command line decide, without a window: row texts, the editor's
// check marks, the rows an entry command changes, the start-up forms.
#include <gtest/gtest.h>

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
  EXPECT_EQ(EntryOfEditor(checks, L"x"), (TaskEntry{E::CloseWindow, T::WindowTitle, M::Wildcard, L"x"}));
  checks[7] = checks[8] = checks[9] = true;  // the wildcard radio wins; its case box is kept but does not count
  EXPECT_EQ(EntryOfEditor(checks, L"").MatchMethod, M::Wildcard);
}

// The model changes, the rows the view must follow, and the edited entry after: -1 where the
// view's selection of the new row reloads the editor, the row itself where a move keeps it.
TEST(EditorModelTest, EntryCommandsNameTheRowsTheViewChanges) {
  const struct { int selected; EntryCommand command; Keys after; RowChange change; int selectedAfter; } cases[] = {
      {2, EntryCommand::Insert, {L"a", L"b", L"", L"c"}, {kNoRow, 2, 2}, -1},
      {0, EntryCommand::Delete, {L"b", L"c"}, {0, kNoRow, 0}, -1},
      {1, EntryCommand::Delete, {L"a", L"c"}, {1, kNoRow, 1}, -1},
      {2, EntryCommand::Delete, {L"a", L"b"}, {2, kNoRow, 1}, -1},
      {2, EntryCommand::Up, {L"a", L"c", L"b"}, {2, 1, 1}, 1},
      {0, EntryCommand::Up, {L"a", L"b", L"c"}, {}, 0},
      {1, EntryCommand::Down, {L"a", L"c", L"b"}, {1, 2, 2}, 2},
      {2, EntryCommand::Down, {L"a", L"b", L"c"}, {}, 2},
      {1, EntryCommand::Update, {L"a", L"draft", L"c"}, {1, 1, 1}, 1},
      {-1, EntryCommand::Update, {L"a", L"b", L"c"}, {}, -1},
      {-1, EntryCommand::Insert, {L"a", L"b", L"c"}, {}, -1},  // without a selection nothing changes
      {-1, EntryCommand::Delete, {L"a", L"b", L"c"}, {}, -1},
      {-1, EntryCommand::Up, {L"a", L"b", L"c"}, {}, -1},
      {-1, EntryCommand::Down, {L"a", L"b", L"c"}, {}, -1},
  };
  for (const auto& c : cases) {
    TaskList list;
    list.ReplaceEntries({{.Keyword = L"a"}, {.Keyword = L"b"}, {.Keyword = L"c"}});
    list.ResetSelection(), list.SelectEntry(c.selected);
    EXPECT_EQ(ApplyEntryCommand(list, c.command, {.Keyword = L"draft"}), c.change) << int(c.command) << " at " << c.selected;
    Keys keys;
    for (const TaskEntry& e : list.Entries()) keys.push_back(e.Keyword);
    EXPECT_EQ(keys, c.after);
    EXPECT_EQ(list.SelectedIndex(), c.selectedAfter);
  }
  TaskList one;  // the only entry stays
  EXPECT_EQ(ApplyEntryCommand(one, EntryCommand::Delete), RowChange{});
  EXPECT_EQ(one.Count(), 1);
}

TEST(StartFormTest, ArgumentsChooseTheAction) {
  using A = StartAction;
  const struct { Keys arguments; bool recentOn; std::wstring recent; StartForm form; } cases[] = {
      {{}, false, L"r.txt", {A::New}},
      {{}, true, L"r.txt", {A::Open, L"r.txt"}},
      {{}, true, L"", {A::New}},
      {{L"ok.txt"}, true, L"r.txt", {A::Open, L"ok.txt"}},
      {{L"gone.txt"}, false, L"", {A::BadPath, L"gone.txt"}},
      {{L"/e", L"ok.txt"}, false, L"", {A::Run, L"ok.txt"}},
      {{L"/E", L"ok.txt", L"x"}, false, L"", {A::Run, L"ok.txt"}},
      {{L"/e", L"gone.txt"}, false, L"", {A::Run, L"gone.txt"}},  // the run logs it
      {{L"/e", L"l.txt", L"/LOG", L"r.log"}, false, L"", {A::Run, L"l.txt", L"", true, L"r.log"}},
      {{L"/e", L"l.txt", L"/log"}, false, L"", {A::Run, L"l.txt", L"", true}},
      {{L"/e", L"l.txt", L"/logs", L"r.log"}, false, L"", {A::Run, L"l.txt"}},
      {{L"/x", L"ok.txt"}, false, L"", {A::BadArguments}},
      {{L"/ee", L"ok.txt"}, false, L"", {A::BadArguments}},
      {{L"ok.txt", L"ok.txt"}, false, L"", {A::BadArguments}},
      {{L"/p", L"gone.txt"}, false, L"", {A::Preview, L"gone.txt"}},
      {{L"/P", L"l.txt", L"r.txt"}, false, L"", {A::Preview, L"l.txt", L"r.txt"}},
      {{L"/p"}, false, L"", {A::BadPath, L"/p"}},
  };
  for (const auto& c : cases) {
    Keys arguments = c.arguments;
    arguments.insert(arguments.begin(), L"Nagitome.exe");
    const StartForm form = ReadStartForm(arguments, c.recentOn, c.recent, [](const std::wstring& p) { return p.starts_with(L"ok"); });
    EXPECT_EQ(form, c.form) << testing::PrintToString(c.arguments);
  }
}

}  // namespace
}  // namespace nagitome
