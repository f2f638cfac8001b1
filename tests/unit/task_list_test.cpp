#include "tasks/task_list.h"

#include <gtest/gtest.h>


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

}  // namespace
}  // namespace nagitome
