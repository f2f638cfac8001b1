// The run log's time stamps west of UTC and at UTC (the Wine tests run east of it).
#include <gtest/gtest.h>

#include "app/run_log.h"

namespace nagitome {
namespace {

TEST(RunLogTest, TimeStampsCarryTheOffsetInIso8601) {
  const struct { int offset; const char* text; } cases[] = {
      {-210, "2026-01-02T03:04:05.006-03:30\tx\r\n"},  // Newfoundland
      {0, "2026-01-02T03:04:05.006+00:00\tx\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, c.offset}, L"x"), c.text);
  }
}

}  // namespace
}  // namespace nagitome
