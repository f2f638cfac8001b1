// What became of each action: the options that set the wait, exit codes, outcomes on a fake clock.
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

TEST(RunOptionsTest, SwitchesFollowTheListInAnyOrderAndCase) {
  const struct {
    std::vector<std::wstring> arguments;
    RunOptions options;
    int wait;
  } cases[] = {
      {{}, {}, 5},
      {{L"/WAIT", L"0", L"x"}, {false, L"", 0}, 0},
      {{L"/force", L"60", L"/Log", L"r.log"}, {true, L"r.log", {}, 60}, 65},
      {{L"/log", L"/wait", L"60", L"/force", L"1"}, {true, L"", 60, 1}, 60},
      {{L"/Force", L"0"}, {false, L"", {}, {}, L"/Force"}, 5},
      {{L"/wait", L"61", L"/wait", L"007"}, {false, L"", 7, {}, L"/wait"}, 7},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> arguments = {L"N.exe", L"/e", L"l"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const RunOptions options = ReadRunOptions(arguments, 3);
    EXPECT_EQ(std::make_tuple(options, WaitSeconds(options)), std::tie(c.options, c.wait)) << c.wait;
  }
  EXPECT_EQ(RunExitCode(true, true, true, true), 2);
  EXPECT_EQ(RunExitCode(false, true, true, true), 1);
  EXPECT_EQ(RunExitCode(false, false, true, true), 4);
  EXPECT_EQ(RunExitCode(false, false, false, true), 3);
}

// Window 1 of process 10, closed or killed after a wait (w), a force (f) or no check (0): its outcome,
// the fake clock when the wait ended, and what was asked of the desktop.
TEST(OutcomeTest, EachActionIsJudgedWithinTheDeadline) {
  using D = FakeDesktop;
  const OutcomeTimes w{5000, {}}, f{5000, 1000};
  const struct {
    bool kill;
    OutcomeTimes times;
    std::function<void(D&)> script;
    std::string expected;
  } cases[] = {
      {false, w, [](D& d) { d.closesAt[1] = 30; }, "closed @40 close 1"},
      {false, w, [](D&) {}, "still open @5000 close 1"},
      {false, w, [](D& d) { d.promptsOnClose.insert(1); }, "prompting @5000 close 1"},
      {false, w, [](D& d) { d.hung.insert(1); }, "not responding @5000 close 1"},
      {false, w, [](D& d) { d.dialogs.emplace_back(9, 10); }, "still open @5000 close 1"},
      {false, w, [](D& d) { d.postResults[1] = PostResult::Denied; }, "denied @0 close 1"},
      {false, w, [](D& d) { d.postResults[1] = PostResult::Gone; }, "gone @0 close 1"},
      {false, w, [](D& d) { d.endsAt[10] = 50; }, "closed @50 close 1"},
      {false, {0, {}}, [](D&) {}, "not checked @0 close 1"},
      {false, f, [](D&) {}, "forced ended\t0 @1010 close 1 kill 10"},
      {false, f, [](D& d) { d.promptsOnClose.insert(1); }, "prompting @5000 close 1"},
      {false, f, [](D& d) { d.critical[10] = true; }, "still open @5000 close 1"},
      {true, w, [](D&) {}, "ended\t0 @10 kill 10"},
      {true, w, [](D& d) { d.taskkillCodes[10] = 128; }, "denied\t128 @10 kill 10"},
      {true, w, [](D& d) { d.survivesKill.insert(10); }, "still running\t0 @5000 kill 10"},
      {true, w, [](D& d) { d.taskkillFails = true; }, "not started @0 kill 10"},
      {true, w, [](D& d) { d.gone.insert(10); }, "gone @0"},
      {true, w, [](D& d) { d.endsAt[10] = 0; }, "gone @0"},
  };
  for (const auto& c : cases) {
    FakeDesktop desk;
    desk.AddWindow(1, 10, L"t", L"C");
    c.script(desk);
    const Plan plan = PreviewTermination(ListOf({c.kill ? L"100t" : L"000t"}), desk);
    Outcomes outcomes = CarryOut(plan, desk, c.times);
    AwaitOutcomes(outcomes, desk);
    const ActionOutcome& result = outcomes.Results().at(0);
    std::string got(OutcomeWord(result.outcome).begin(), OutcomeWord(result.outcome).end());
    if (result.exitCode) got += '\t';
    if (result.exitCode) got += std::to_string(*result.exitCode);
    got += " @" + std::to_string(desk.now);
    for (const std::string& action : desk.actions) got += " " + action;
    EXPECT_EQ(got, c.expected);
  }
}

// The log's outcome line with the taskkill's exit code; the warning's group of what was left.
TEST(OutcomeTest, TheLogAndTheWarningNameWhatWasLeft) {
  TerminationAction kill;  // field by field: MinGW warns of the fields a designated list leaves out
  kill.entryIndex = 1;
  kill.endMethod = EndMethod::Taskkill;
  kill.processId = 42;
  EXPECT_EQ(LogOutcomeLine(kill, L"denied", 128), L"outcome\t42\t2\tdenied\t128");
  const std::wstring expected = std::wstring(texts::kLeftRunningHeader) + L"\n\n3" + texts::kInvalidRegexRow +
                                L"memo（" + texts::kOutcomePrompting + L"）";
  EXPECT_EQ(RunWarningMessage(TaskList(), {}, {{2, L"memo", Outcome::Prompting}}), expected);
}

}  // namespace
}  // namespace nagitome
