#include "tasks/task_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace nagitome {
namespace {

// A list of entries named by their keywords, with `selected` selected through the view.
TaskList MakeList(const std::vector<std::wstring>& keywords, int selected) {
  TaskList list;
  list.ClearEntries();
  for (const std::wstring& k : keywords) {
    TaskEntry e = MakeBlankEntry();
    e.Keyword = k;
    list.AppendEntry(e);
  }
  list.ResetSelection();
  list.SelectEntry(selected);
  return list;
}

std::vector<std::wstring> Keywords(const TaskList& list) {
  std::vector<std::wstring> out;
  for (const TaskEntry& e : list.Entries()) out.push_back(e.Keyword);
  return out;
}

TEST(TaskListTest, StartsWithOneBlankSelectedEntry) {
  TaskList list;
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.SelectedIndex(), 0);
  EXPECT_EQ(list.At(0), MakeBlankEntry());
  const TaskEntry blank = MakeBlankEntry();
  EXPECT_EQ(blank.EndMethod, EndMethod::CloseWindow);
  EXPECT_EQ(blank.MatchTarget, MatchTarget::WindowTitle);
  EXPECT_EQ(blank.MatchMethod, MatchMethod::Wildcard);
  EXPECT_TRUE(blank.Keyword.empty());
  EXPECT_EQ(&TheTaskList(), &TheTaskList());
}

enum class Op { Insert, Delete, Up, Down, Update, New };

TEST(TaskListTest, OperationsChangeTheListAndNameTheRowToSelect) {
  const struct {
    const char* name;
    std::vector<std::wstring> before;
    int selected;
    Op op;
    std::vector<std::wstring> after;
    int row;             // returned row to select
    int selectedAfter;   // SelectedIndex right after the operation
  } cases[] = {
      {"insert before the selected", {L"a", L"b", L"c"}, 1, Op::Insert, {L"a", L"", L"b", L"c"}, 1, -1},
      {"insert at the top", {L"a"}, 0, Op::Insert, {L"", L"a"}, 0, -1},
      {"insert before the last", {L"a", L"b"}, 1, Op::Insert, {L"a", L"", L"b"}, 1, -1},
      {"delete selects the follower", {L"a", L"b", L"c"}, 1, Op::Delete, {L"a", L"c"}, 1, -1},
      {"delete the first", {L"a", L"b"}, 0, Op::Delete, {L"b"}, 0, -1},
      {"delete the last selects the new last", {L"a", L"b", L"c"}, 2, Op::Delete, {L"a", L"b"}, 1, -1},
      {"delete the only entry is refused", {L"a"}, 0, Op::Delete, {L"a"}, kNoRow, 0},
      {"up", {L"a", L"b", L"c"}, 2, Op::Up, {L"a", L"c", L"b"}, 1, 1},
      {"up at the top does nothing", {L"a", L"b"}, 0, Op::Up, {L"a", L"b"}, kNoRow, 0},
      {"down", {L"a", L"b", L"c"}, 0, Op::Down, {L"b", L"a", L"c"}, 1, 1},
      {"down at the bottom does nothing", {L"a", L"b"}, 1, Op::Down, {L"a", L"b"}, kNoRow, 1},
      {"down with one entry does nothing", {L"a"}, 0, Op::Down, {L"a"}, kNoRow, 0},
      {"update in place", {L"a", L"b"}, 1, Op::Update, {L"a", L"new"}, 1, 1},
      {"new", {L"a", L"b", L"c"}, 2, Op::New, {L""}, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TaskList list = MakeList(c.before, c.selected);
    ASSERT_EQ(list.SelectedIndex(), c.selected);
    int row = kNoRow;
    switch (c.op) {
      case Op::Insert: row = list.InsertBlankEntry(); break;
      case Op::Delete: row = list.DeleteSelectedEntry(); break;
      case Op::Up: row = list.MoveSelectedEntryUp(); break;
      case Op::Down: row = list.MoveSelectedEntryDown(); break;
      case Op::Update:
        row = list.UpdateSelectedEntry(EndMethod::Taskkill, MatchTarget::ProcessName,
                                       MatchMethod::RegexIgnoreCase, L"new");
        break;
      case Op::New: row = list.NewTaskList(); break;
    }
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(list.SelectedIndex(), c.selectedAfter);
    EXPECT_EQ(Keywords(list), c.after);
  }
}

TEST(TaskListTest, UpdateOverwritesAllFieldsAndCutsTheKeyword) {
  TaskList list = MakeList({L"a", L"b"}, 0);
  list.UpdateSelectedEntry(EndMethod::Taskkill, MatchTarget::TitleAndClass,
                           MatchMethod::RegexCaseSensitive, std::wstring(1100, L'k'));
  const TaskEntry& e = list.At(0);
  EXPECT_EQ(e.EndMethod, EndMethod::Taskkill);
  EXPECT_EQ(e.MatchTarget, MatchTarget::TitleAndClass);
  EXPECT_EQ(e.MatchMethod, MatchMethod::RegexCaseSensitive);
  EXPECT_EQ(e.Keyword, std::wstring(kMaxTextUnits, L'k'));
  EXPECT_EQ(list.At(1).Keyword, L"b");
}

TEST(TaskListTest, SelectEntryReportsOnlyAChange) {
  TaskList list = MakeList({L"a", L"b", L"c"}, 0);
  EXPECT_FALSE(list.SelectEntry(0));
  EXPECT_TRUE(list.SelectEntry(2));
  EXPECT_EQ(list.SelectedIndex(), 2);
  // A move sets the index itself, so the view's confirmation does not reload the editor.
  EXPECT_EQ(list.MoveSelectedEntryUp(), 1);
  EXPECT_FALSE(list.SelectEntry(1));
  // Rows the view cannot have are ignored.
  EXPECT_FALSE(list.SelectEntry(3));
  EXPECT_FALSE(list.SelectEntry(-1));
  EXPECT_EQ(list.SelectedIndex(), 1);
}

TEST(TaskListTest, EditingWithoutSelectionDoesNothing) {
  TaskList list = MakeList({L"a", L"b", L"c"}, 1);
  list.ResetSelection();
  EXPECT_EQ(list.InsertBlankEntry(), kNoRow);
  EXPECT_EQ(list.DeleteSelectedEntry(), kNoRow);
  EXPECT_EQ(list.MoveSelectedEntryUp(), kNoRow);
  EXPECT_EQ(list.MoveSelectedEntryDown(), kNoRow);
  EXPECT_EQ(list.UpdateSelectedEntry(EndMethod::Taskkill, MatchTarget::WindowClass,
                                     MatchMethod::Wildcard, L"x"),
            kNoRow);
  EXPECT_EQ(Keywords(list), (std::vector<std::wstring>{L"a", L"b", L"c"}));
  EXPECT_EQ(list.SelectedIndex(), -1);
  // The view's next report reloads the editor, even for the row that was selected before.
  EXPECT_TRUE(list.SelectEntry(1));
}

TEST(TaskListTest, ReplaceEntriesNeverLeavesTheListEmpty) {
  TaskList list = MakeList({L"a", L"b"}, 1);
  list.ReplaceEntries({});
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.At(0), MakeBlankEntry());
  TaskEntry e = MakeBlankEntry();
  e.Keyword = L"x";
  list.ReplaceEntries({e, e});
  EXPECT_EQ(Keywords(list), (std::vector<std::wstring>{L"x", L"x"}));
}

// Random sessions against a plain model of the list: the view re-selects every returned row.
TEST(TaskListTest, RandomSessionsKeepTheInvariants) {
  std::mt19937 rng(7);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  int next = 0;
  TaskList list;
  std::vector<std::wstring> model{L""};
  int selected = 0;
  for (int step = 0; step < 5000; ++step) {
    SCOPED_TRACE(step);
    const int count = static_cast<int>(model.size());
    int row = kNoRow, expectedRow = kNoRow;
    const bool pending = selected < 0;
    switch (pick(pending ? 8 : 7)) {
      case 0:
        row = list.InsertBlankEntry();
        if (!pending) {
          model.insert(model.begin() + selected, L"");
          expectedRow = selected;
          selected = -1;
        }
        break;
      case 1:
        row = list.DeleteSelectedEntry();
        if (!pending && count > 1) {
          model.erase(model.begin() + selected);
          expectedRow = selected == count - 1 ? selected - 1 : selected;
          selected = -1;
        }
        break;
      case 2:
        row = list.MoveSelectedEntryUp();
        if (!pending && selected > 0) {
          std::swap(model[selected], model[selected - 1]);
          expectedRow = --selected;
        }
        break;
      case 3:
        row = list.MoveSelectedEntryDown();
        if (!pending && selected < count - 1) {
          std::swap(model[selected], model[selected + 1]);
          expectedRow = ++selected;
        }
        break;
      case 4: {
        const std::wstring keyword = L"k" + std::to_wstring(next++);
        row = list.UpdateSelectedEntry(EndMethod::CloseWindow, MatchTarget::WindowTitle,
                                       MatchMethod::Wildcard, keyword);
        if (!pending) {
          model[selected] = keyword;
          expectedRow = selected;
        }
        break;
      }
      case 5:
        if (pick(20) == 0) {
          row = list.NewTaskList();
          model = {L""};
          expectedRow = 0;
          selected = -1;
        }
        break;
      case 6:
        list.ResetSelection();  // a whole refresh; the view then reports a row
        selected = -1;
        break;
      case 7: {
        const int r = pick(count);
        EXPECT_TRUE(list.SelectEntry(r));
        selected = r;
        break;
      }
    }
    ASSERT_EQ(row, expectedRow);
    if (row != kNoRow) {
      const bool differs = list.SelectedIndex() != row;
      EXPECT_EQ(list.SelectEntry(row), differs);
      selected = row;
    }
    ASSERT_GE(list.Count(), 1);
    ASSERT_EQ(Keywords(list), model);
    ASSERT_EQ(list.SelectedIndex(), selected);
    if (selected >= 0) {
      ASSERT_LT(selected, list.Count());
    }
  }
}

TEST(TaskListTest, DisplayTexts) {
  EXPECT_STREQ(EndMethodText(EndMethod::CloseWindow), L"ウィンドウを閉じる");
  EXPECT_STREQ(EndMethodText(EndMethod::Taskkill), L"taskkill");
  EXPECT_STREQ(MatchTargetText(MatchTarget::WindowTitle), L"ウィンドウタイトル");
  EXPECT_STREQ(MatchTargetText(MatchTarget::WindowClass), L"ウィンドウクラス名");
  EXPECT_STREQ(MatchTargetText(MatchTarget::TitleAndClass),
               L"ウィンドウタイトル\xFF08ウィンドウクラス名\xFF09");
  EXPECT_STREQ(MatchTargetText(MatchTarget::ProcessName), L"プロセス名");
  EXPECT_STREQ(MatchMethodText(MatchMethod::Wildcard), L"ワイルドカード");
  EXPECT_STREQ(MatchMethodText(MatchMethod::RegexCaseSensitive), L"正規表現\xFF08大小区別する\xFF09");
  EXPECT_STREQ(MatchMethodText(MatchMethod::RegexIgnoreCase), L"正規表現\xFF08大小区別しない\xFF09");
}

}  // namespace
}  // namespace nagitome
