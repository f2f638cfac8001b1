// What became of each action of a run: judged from the process held before the action, the
// window's fate and the taskkill's exit, within one deadline shared by every action. Nothing
// here blocks: the owner polls it from its own loop (AwaitOutcomes is the run's).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/desktop.h"
#include "engine/termination.h"

namespace nagitome {

enum class Outcome {
  Pending, Closed, Ended, Prompting, NotResponding, StillOpen, StillRunning, Denied, Gone, NotStarted, Protected,
  NotChecked, ForcedEnded, ForcedStillRunning, ForcedDenied,
};
inline constexpr int kOutcomeCount = static_cast<int>(Outcome::ForcedDenied) + 1;

// "closed", "not responding", "forced ended", ...; empty for Pending.
std::wstring_view OutcomeWord(Outcome outcome);
// The target did not end: a run that leaves one exits with 4.
bool LeftRunning(Outcome outcome);

struct ActionOutcome {
  Outcome outcome = Outcome::Pending;
  std::optional<std::uint32_t> exitCode;  // the taskkill's (the forced one's), once it has ended
};

struct OutcomeTimes {
  std::int64_t waitMs = 5000;          // 0: outcomes are not checked
  std::optional<std::int64_t> forceMs;  // a window still there then has its process ended
};

class Outcomes {
 public:
  Outcomes(Desktop& desktop, OutcomeTimes times)
      : desktop_(&desktop), times_(times), ownProcessId_(desktop.OwnProcessId()) {}
  Outcomes(Outcomes&&) = default;
  Outcomes& operator=(Outcomes&&) = delete;
  ~Outcomes();

  // Holds the action's process (one hold per process), then asks the desktop for the action. The
  // deadline counts from the last action taken.
  void Take(const TerminationAction& action);
  void Reserve(std::size_t actions) {
    actions_.reserve(actions);
    results_.reserve(actions);
  }
  // Judges what can be judged now; starts the forced taskkills whose time has come; at the
  // deadline judges the rest as they stand.
  void Poll();
  bool Done() const;
  // When Poll has something new to look at, and what to wait for until then.
  std::int64_t NextDeadline() const;
  std::vector<ProcessToken> WaitTokens() const;
  // One per action taken, in order.
  const std::vector<ActionOutcome>& Results() const { return results_; }

 private:
  struct Process {
    std::uint32_t id = 0;
    HeldProcess held;
    bool ended = false;
    bool forced = false;
    ProcessToken force = 0;
  };
  struct Action {
    std::size_t process = 0;
    bool close = false;
    WindowHandle window = 0;
    std::wstring className;
    ProcessToken command = 0;
    bool forced = false;
  };
  using Dialogs = std::optional<std::vector<std::pair<WindowHandle, std::uint32_t>>>;
  bool Checking() const { return times_.waitMs > 0; }
  std::size_t ProcessOf(std::uint32_t processId);
  bool Prompting(std::uint32_t processId, Dialogs& now);
  void Force(Process& process, Dialogs& dialogs);
  void JudgeTaskkill(std::size_t i, bool deadline);

  Desktop* desktop_;
  OutcomeTimes times_;
  std::uint32_t ownProcessId_;
  std::vector<Process> processes_;
  std::unordered_map<std::uint32_t, std::size_t> processIndex_;  // a run may take thousands of actions
  std::vector<Action> actions_;
  std::vector<ActionOutcome> results_;
  std::vector<std::pair<WindowHandle, std::uint32_t>> dialogsBefore_;
  bool dialogsTaken_ = false;
  std::int64_t start_ = 0;
};

// Each action is shown to observe (when set), then taken; a protected one is only shown.
Outcomes CarryOut(const Plan& plan, Desktop& desktop, OutcomeTimes times = {}, const ActionObserver& observe = {});

// Waits on the desktop until every action has its outcome.
void AwaitOutcomes(Outcomes& outcomes, Desktop& desktop);

}  // namespace nagitome
