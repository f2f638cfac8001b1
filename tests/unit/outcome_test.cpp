// What became of each action: options that set the wait, exit codes, outcomes over a fake desktop.
#include <gtest/gtest.h>

#include <functional>

#include "app/run_log.h"
#include "app/start_form.h"
#include "engine/outcome.h"
#include "engine/run_warning.h"
#include "tasks/texts.h"
#include "tests/support/fake_desktop.h"

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
  const std::vector<std::wstring> arguments = {L"N.exe", L"/e", L"l", L"/force", L"2", L"/wait", L"x"};
  const StartForm form = ReadStartForm(arguments, false, L"", never);
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

// Window 1 of process 10 ("t"), one entry that closes or kills it: each outcome, with its taskkill's exit
// code, the fake clock when the wait ended and what was asked of the desktop.
TEST(OutcomeTest, EachActionIsJudgedWithinTheDeadline) {
  using D = FakeDesktop;
  const OutcomeTimes wait{5000, {}};
  const OutcomeTimes force{5000, 1000};
  const struct {
    const char* name;
    bool kill;
    OutcomeTimes times;
    std::function<void(D&)> script;
    std::string expected;
  } cases[] = {
      {"closes", false, wait, [](D& d) { d.closesAfter[1] = 30; }, "closed @40 close 1"},
      {"ignores", false, wait, [](D&) {}, "still open @5000 close 1"},
      {"prompts", false, wait, [](D& d) { d.promptsOnClose.insert(1); }, "prompting @5000 close 1"},
      {"hangs", false, wait, [](D& d) { d.hung.insert(1); }, "not responding @5000 close 1"},
      {"higher level", false, wait, [](D& d) { d.postResults[1] = PostResult::Denied; }, "denied @0 close 1"},
      {"window went", false, wait, [](D& d) { d.postResults[1] = PostResult::Gone; }, "gone @0 close 1"},
      {"process went", false, wait, [](D& d) { d.gone.insert(10); }, "gone @0"},
      {"process ends", false, wait, [](D& d) { d.endsAt[10] = 50; }, "closed @50 close 1"},
      {"not checked", false, {0, {}}, [](D&) {}, "not checked @0 close 1"},
      {"forced", false, force, [](D&) {}, "forced ended\t0 @1010 close 1 kill 10"},
      {"prompt kept", false, force, [](D& d) { d.promptsOnClose.insert(1); }, "prompting @5000 close 1"},
      {"force denied", false, force, [](D& d) { d.taskkillCodes[10] = 128; },
       "forced denied\t128 @1010 close 1 kill 10"},
      {"force fails", false, force, [](D& d) { d.survivesKill.insert(10); },
       "forced still running\t0 @5000 close 1 kill 10"},
      {"critical", false, force, [](D& d) { d.critical[10] = true; }, "still open @5000 close 1"},
      {"killed", true, wait, [](D&) {}, "ended\t0 @10 kill 10"},
      {"kill denied", true, wait, [](D& d) { d.taskkillCodes[10] = 128; }, "denied\t128 @10 kill 10"},
      {"ended first", true, wait, [](D& d) { d.endsAt[10] = 5; }, "ended @5 kill 10"},
      {"survives", true, wait, [](D& d) { d.survivesKill.insert(10); }, "still running\t0 @5000 kill 10"},
      {"no command", true, wait, [](D& d) { d.taskkillFails = true; }, "not started @0 kill 10"},
      {"kill went", true, wait, [](D& d) { d.gone.insert(10); }, "gone @0"},
      {"ended, held", true, wait, [](D& d) { d.endsAt[10] = 0; }, "gone @0"},
      {"guarded", true, wait, [](D& d) { d.critical[10] = true; }, "protected @0"},
  };
  for (const auto& c : cases) {
    FakeDesktop desk;
    desk.AddProcess(10, L"\\Device\\p.exe");
    desk.AddWindow(1, 10, L"t", L"C");
    c.script(desk);
    TaskList list;
    const EndMethod method = c.kill ? EndMethod::Taskkill : EndMethod::CloseWindow;
    list.ReplaceEntries({{method, MatchTarget::WindowTitle, MatchMethod::Wildcard, L"t"}});
    const Plan plan = PreviewTermination(list, desk);
    Outcomes outcomes = CarryOut(plan, desk, c.times);
    AwaitOutcomes(outcomes, desk);
    ASSERT_EQ(outcomes.Results().size(), 1u) << c.name;
    const ActionOutcome& result = outcomes.Results()[0];
    std::string got(OutcomeWord(result.outcome).begin(), OutcomeWord(result.outcome).end());
    if (result.exitCode) got += "\t" + std::to_string(*result.exitCode);
    got += " @" + std::to_string(desk.now);
    for (const std::string& action : desk.actions) got += " " + action;
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

// Two windows of one process, one closing: the wait lasts until the other's deadline, and a process
// that ends takes every action on it along.
TEST(OutcomeTest, ActionsOnOneProcessShareItsEnd) {
  FakeDesktop desk;
  desk.AddWindow(1, 10, L"t", L"C");
  desk.AddWindow(2, 10, L"t", L"C");
  desk.AddWindow(3, 20, L"t", L"C");
  desk.closesAfter[1] = 10;
  desk.endsAt[20] = 3000;
  TaskList list;
  list.ReplaceEntries({{EndMethod::CloseWindow, MatchTarget::WindowTitle, MatchMethod::Wildcard, L"t"},
                       {EndMethod::Taskkill, MatchTarget::WindowTitle, MatchMethod::Wildcard, L"t"}});
  const Plan plan = PreviewTermination(list, desk);
  desk.survivesKill.insert(10);
  desk.survivesKill.insert(20);
  Outcomes outcomes = CarryOut(plan, desk, {5000, {}});
  AwaitOutcomes(outcomes, desk);
  std::vector<Outcome> got;
  for (const ActionOutcome& result : outcomes.Results()) got.push_back(result.outcome);
  const std::vector<Outcome> expected = {Outcome::Closed,       Outcome::StillOpen,    Outcome::Closed,
                                         Outcome::StillRunning, Outcome::StillRunning, Outcome::Ended};
  EXPECT_EQ(got, expected);
  EXPECT_EQ(desk.now, 5000);
  EXPECT_TRUE(LeftRunning(Outcome::ForcedDenied));
  EXPECT_FALSE(LeftRunning(Outcome::Protected));
}

// The log's outcome and end lines, and the interactive run's group of what was left.
TEST(OutcomeTest, TheLogAndTheWarningNameWhatWasLeft) {
  const TerminationAction kill{.entryIndex = 1, .endMethod = EndMethod::Taskkill, .processId = 42};
  EXPECT_EQ(LogOutcomeLine(kill, L"denied", 128), L"outcome\t42\t2\tdenied\t128");
  RunCounts counts;
  counts.outcomes[static_cast<int>(Outcome::Closed)] = 2;
  counts.outcomes[static_cast<int>(Outcome::ForcedDenied)] = 1;
  const std::wstring end =
      L"end\tcloses 0\tkills 0\trejected 0\tcut short 0\tclosed 2\tforced denied 1\texit 4";
  EXPECT_EQ(LogEndLine(counts, 4), end);
  const std::vector<LeftTarget> left = {{0, L"memo", Outcome::Prompting}, {2, L"x.exe", Outcome::Denied}};
  const std::wstring expected = std::wstring(texts::kLeftRunningHeader) + L"\n\n1" + texts::kInvalidRegexRow +
                                L"memo（" + texts::kOutcomePrompting + L"）\n3" + texts::kInvalidRegexRow +
                                L"x.exe（" + texts::kOutcomeDenied + L"）";
  EXPECT_EQ(RunWarningMessage(TaskList(), {}, left), expected);
}

}  // namespace
}  // namespace nagitome
