// What became of each action: options that set the wait, exit codes, outcomes over a fake desktop.
#include <gtest/gtest.h>

#include "app/start_form.h"

namespace nagitome {
namespace {

TEST(RunOptionsTest, SwitchesAfterTheListInAnyOrderAndCase) {
  const struct {
    std::vector<std::wstring> arguments;
    RunOptions options;
    int waitSeconds;
  } cases[] = {
      {{}, {}, 5},
      {{L"/WAIT", L"0"}, {false, L"", 0}, 0},
      {{L"/force", L"60", L"x", L"/Log", L"r.log"}, {true, L"r.log", {}, 60}, 65},
      {{L"/log", L"/wait", L"60", L"/force", L"1"}, {true, L"", 60, 1}, 60},
      {{L"/wait", L"61"}, {false, L"", {}, {}, L"/wait"}, 5},
      {{L"/wait", L"-1"}, {false, L"", {}, {}, L"/wait"}, 5},
      {{L"/Force", L"0"}, {false, L"", {}, {}, L"/Force"}, 5},
      {{L"/force"}, {false, L"", {}, {}, L"/force"}, 5},
      {{L"/force", L"1s", L"/wait", L"007"}, {false, L"", 7, {}, L"/force"}, 7},
      {{L"/waits", L"9"}, {}, 5},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> arguments = {L"Nagitome.exe", L"/e", L"l.txt"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const RunOptions options = ReadRunOptions(arguments, 3);
    EXPECT_EQ(options, c.options) << testing::PrintToString(c.arguments);
    EXPECT_EQ(WaitSeconds(options), c.waitSeconds) << testing::PrintToString(c.arguments);
  }
  const auto never = [](const std::wstring&) { return false; };
  const StartForm form = ReadStartForm({L"N.exe", L"/e", L"l", L"/force", L"2", L"/wait", L"x"}, false, L"", never);
  EXPECT_EQ(form, (StartForm{StartAction::Run, L"l", L"", false, L"", {}, 2, L"/wait"}));
}

TEST(RunOptionsTest, ExitCodesTakeTheirPrecedence) {
  const struct {
    bool notLoaded, entryFailed, targetLeft, logFailed;
    int code;
  } cases[] = {
      {false, false, false, false, 0}, {true, true, true, true, 2}, {false, true, true, true, 1},
      {false, false, true, true, 4},   {false, false, false, true, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunExitCode(c.notLoaded, c.entryFailed, c.targetLeft, c.logFailed), c.code) << c.code;
  }
}

}  // namespace
}  // namespace nagitome
