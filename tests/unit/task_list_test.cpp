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

TEST(TaskListTest, UpdateOverwritesAllFieldsAndALoadNeverEmptiesTheList) {
  TaskList list = MakeList({L"a", L"b"}, 0);
  list.UpdateSelectedEntry(EndMethod::Taskkill, MatchTarget::TitleAndClass, MatchMethod::RegexCaseSensitive, std::wstring(1100, L'k'));
  const TaskEntry updated{EndMethod::Taskkill, MatchTarget::TitleAndClass, MatchMethod::RegexCaseSensitive, std::wstring(1023, L'k')};
  EXPECT_EQ(list.Entries(), (std::vector<TaskEntry>{updated, {.Keyword = L"b"}}));
  list.ReplaceEntries({});
  EXPECT_EQ(list.Entries(), std::vector<TaskEntry>{MakeBlankEntry()});
  list.ReplaceEntries({{.Keyword = L"a"}, {.Keyword = L"b"}});
  EXPECT_EQ(list.NewTaskList(), 0);
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
  EXPECT_EQ(list.SelectedIndex(), -1);
  EXPECT_TRUE(list.SelectEntry(1));  // even the row selected before reloads the editor
}

}  // namespace
}  // namespace nagitome
