// The run log's time stamps west of UTC and at UTC (the Wine tests run east of it).
#include <gtest/gtest.h>

#include "app/run_log.h"

namespace nagitome {
namespace {

TEST(RunLogTest, TimeStampsCarryTheOffsetInIso8601) {
  EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, -210}, L"x"), "2026-01-02T03:04:05.006-03:30\tx\r\n");  // Newfoundland
  EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, 0}, L"x"), "2026-01-02T03:04:05.006+00:00\tx\r\n");
}

}  // namespace
}  // namespace nagitome
