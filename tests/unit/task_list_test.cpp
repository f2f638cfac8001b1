#include "tasks/task_list.h"

#include <gtest/gtest.h>

#include <random>

namespace nagitome {
namespace {

using Keys = std::vector<std::wstring>;

// Entries named by their keywords, with `selected` reported by the view.
TaskList MakeList(const Keys& keywords, int selected) {
  TaskList list;
  list.ClearEntries();
  for (const std::wstring& k : keywords) list.AppendEntry({.Keyword = k});
  list.ResetSelection(), list.SelectEntry(selected);
  return list;
}

Keys Keywords(const TaskList& list) {
  Keys out;
  for (const TaskEntry& e : list.Entries()) out.push_back(e.Keyword);
  return out;
}

enum class Op { Insert, Delete, Up, Down, Update, New };

int Apply(TaskList& list, Op op, const std::wstring& keyword = L"new") {
  return op == Op::Insert ? list.InsertBlankEntry()
         : op == Op::Delete ? list.DeleteSelectedEntry()
         : op == Op::Up     ? list.MoveSelectedEntryUp()
         : op == Op::Down   ? list.MoveSelectedEntryDown()
         : op == Op::New    ? list.NewTaskList()
                            : list.UpdateSelectedEntry(EndMethod::CloseWindow, MatchTarget::WindowTitle,
                                                       MatchMethod::Wildcard, keyword);
}

TEST(TaskListTest, StartsWithOneBlankSelectedEntry) {
  const TaskList list;
  EXPECT_EQ(list.Entries(), (std::vector<TaskEntry>{{EndMethod::CloseWindow, MatchTarget::WindowTitle, MatchMethod::Wildcard, L""}}));
  EXPECT_EQ(list.SelectedIndex(), 0);
  EXPECT_EQ(MakeBlankEntry(), list.At(0));
}

TEST(TaskListTest, OperationsChangeTheListAndNameTheRowToSelect) {
  // row: the one returned to select; selectedAfter: SelectedIndex right after.
  const struct { const char* name; Keys before; int selected; Op op; Keys after; int row, selectedAfter; } cases[] = {
      {"insert before the selected", {L"a", L"b", L"c"}, 1, Op::Insert, {L"a", L"", L"b", L"c"}, 1, -1},
      {"insert at the top", {L"a"}, 0, Op::Insert, {L"", L"a"}, 0, -1},
      {"delete selects the follower", {L"a", L"b", L"c"}, 1, Op::Delete, {L"a", L"c"}, 1, -1},
      {"delete the first", {L"a", L"b"}, 0, Op::Delete, {L"b"}, 0, -1},
      {"delete the last selects the new last", {L"a", L"b", L"c"}, 2, Op::Delete, {L"a", L"b"}, 1, -1},
      {"delete the only entry is refused", {L"a"}, 0, Op::Delete, {L"a"}, kNoRow, 0},
      {"up", {L"a", L"b", L"c"}, 2, Op::Up, {L"a", L"c", L"b"}, 1, 1},
      {"up at the top does nothing", {L"a", L"b"}, 0, Op::Up, {L"a", L"b"}, kNoRow, 0},
      {"down", {L"a", L"b", L"c"}, 0, Op::Down, {L"b", L"a", L"c"}, 1, 1},
      {"down at the bottom does nothing", {L"a", L"b"}, 1, Op::Down, {L"a", L"b"}, kNoRow, 1},
      {"update in place", {L"a", L"b"}, 1, Op::Update, {L"a", L"new"}, 1, 1},
      {"new", {L"a", L"b", L"c"}, 2, Op::New, {L""}, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TaskList list = MakeList(c.before, c.selected);
    EXPECT_EQ(Apply(list, c.op), c.row);
    EXPECT_EQ(list.SelectedIndex(), c.selectedAfter);
    EXPECT_EQ(Keywords(list), c.after);
  }
}

TEST(TaskListTest, UpdateOverwritesAllFieldsAndALoadNeverEmptiesTheList) {
  TaskList list = MakeList({L"a", L"b"}, 0);
  list.UpdateSelectedEntry(EndMethod::Taskkill, MatchTarget::TitleAndClass, MatchMethod::RegexCaseSensitive, std::wstring(1100, L'k'));
  const TaskEntry updated{EndMethod::Taskkill, MatchTarget::TitleAndClass, MatchMethod::RegexCaseSensitive, std::wstring(1023, L'k')};
  EXPECT_EQ(list.Entries(), (std::vector<TaskEntry>{updated, {.Keyword = L"b"}}));
  list.ReplaceEntries({});
  EXPECT_EQ(list.Entries(), std::vector<TaskEntry>{MakeBlankEntry()});
}

TEST(TaskListTest, SelectionReportsOnlyAChangeAndEditsNeedOne) {
  TaskList list = MakeList({L"a", L"b", L"c"}, 0);
  EXPECT_FALSE(list.SelectEntry(0));
  EXPECT_TRUE(list.SelectEntry(2));
  // A move sets the index itself, so the view's confirmation does not reload the editor.
  EXPECT_EQ(list.MoveSelectedEntryUp(), 1);
  EXPECT_FALSE(list.SelectEntry(1));
  EXPECT_FALSE(list.SelectEntry(3));  // rows the view cannot have are ignored
  EXPECT_FALSE(list.SelectEntry(-1));
  EXPECT_EQ(list.SelectedIndex(), 1);
  list.ResetSelection();
  for (Op op : {Op::Insert, Op::Delete, Op::Up, Op::Down, Op::Update}) EXPECT_EQ(Apply(list, op), kNoRow);
  EXPECT_EQ(Keywords(list), (Keys{L"a", L"c", L"b"}));
  EXPECT_EQ(list.SelectedIndex(), -1);
  EXPECT_TRUE(list.SelectEntry(1));  // even the row selected before reloads the editor
}

// Random sessions against a plain model of the list.
TEST(TaskListTest, RandomSessionsKeepTheInvariants) {
  std::mt19937 rng(7);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  TaskList list;
  Keys model{L""};
  int selected = 0;
  for (int step = 0; step < 5000; ++step) {
    SCOPED_TRACE(step);
    const int count = static_cast<int>(model.size()), choice = pick(selected < 0 ? 8 : 7);
    const std::wstring keyword = L"k" + std::to_wstring(step);
    int expected = kNoRow, row = kNoRow;  // the view selects the returned row
    if (choice == 6) {
      list.ResetSelection();  // a whole refresh; the view then reports a row
      selected = -1;
    } else if (choice == 7) {
      selected = pick(count);
      EXPECT_TRUE(list.SelectEntry(selected));
    } else if (choice < 5 || pick(20) == 0) {
      const Op op = static_cast<Op>(choice);
      row = Apply(list, op, keyword);
      if (op == Op::New) {
        model = {L""}, expected = 0, selected = -1;
      } else if (selected >= 0) {
        if (op == Op::Insert) model.insert(model.begin() + selected, L""), expected = selected, selected = -1;
        if (op == Op::Delete && count > 1)
          model.erase(model.begin() + selected), expected = selected - (selected == count - 1), selected = -1;
        if (op == Op::Up && selected > 0) std::swap(model[selected], model[selected - 1]), expected = --selected;
        if (op == Op::Down && selected < count - 1) std::swap(model[selected], model[selected + 1]), expected = ++selected;
        if (op == Op::Update) model[selected] = keyword, expected = selected;
      }
    }
    ASSERT_EQ(row, expected);
    if (row != kNoRow) {
      const bool differs = list.SelectedIndex() != row;
      EXPECT_EQ(list.SelectEntry(row), differs);
      selected = row;
    }
    ASSERT_EQ(Keywords(list), model);  // never empty: the model never is
    ASSERT_EQ(list.SelectedIndex(), selected);
  }
}

TEST(TaskListTest, DisplayTexts) {
  const std::pair<const wchar_t*, const wchar_t*> texts[] = {
      {EndMethodText(EndMethod::CloseWindow), L"ウィンドウを閉じる"}, {EndMethodText(EndMethod::Taskkill), L"taskkill"},
      {MatchTargetText(MatchTarget::WindowTitle), L"ウィンドウタイトル"}, {MatchTargetText(MatchTarget::WindowClass), L"ウィンドウクラス名"},
      {MatchTargetText(MatchTarget::TitleAndClass), L"ウィンドウタイトル\xFF08ウィンドウクラス名\xFF09"},
      {MatchTargetText(MatchTarget::ProcessName), L"プロセス名"}, {MatchMethodText(MatchMethod::Wildcard), L"ワイルドカード"},
      {MatchMethodText(MatchMethod::RegexCaseSensitive), L"正規表現\xFF08大小区別する\xFF09"},
      {MatchMethodText(MatchMethod::RegexIgnoreCase), L"正規表現\xFF08大小区別しない\xFF09"},
  };
  for (const auto& [text, expected] : texts) EXPECT_STREQ(text, expected);
}

}  // namespace
}  // namespace nagitome
