#include "tasks/task_list.h"

#include <gtest/gtest.h>

namespace nagitome {
namespace {
TEST(TaskListTest, StartsWithOneBlankSelectedEntry) {
  TaskList list;
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.SelectedIndex(), 0);
  EXPECT_EQ(list.At(0), MakeBlankEntry());
}
}  // namespace
}  // namespace nagitome
