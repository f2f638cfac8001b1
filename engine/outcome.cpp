#include "engine/outcome.h"

#include <algorithm>

namespace nagitome {

namespace {

// A window's end signals nothing: how often a window that was asked to close is looked for.
constexpr std::int64_t kWindowPollMs = 20;
constexpr std::size_t kNoProcess = static_cast<std::size_t>(-1);

constexpr std::wstring_view kWords[kOutcomeCount] = {
    L"", L"closed", L"ended", L"prompting", L"not responding", L"still open", L"still running", L"denied", L"gone",
    L"not started", L"protected", L"not checked", L"forced ended", L"forced still running", L"forced denied"};

}  // namespace

std::wstring_view OutcomeWord(Outcome outcome) { return kWords[static_cast<int>(outcome)]; }

bool LeftRunning(Outcome outcome) {
  switch (outcome) {
    case Outcome::Prompting:
    case Outcome::NotResponding:
    case Outcome::StillOpen:
    case Outcome::StillRunning:
    case Outcome::Denied:
    case Outcome::NotStarted:
    case Outcome::ForcedStillRunning:
    case Outcome::ForcedDenied:
      return true;
    default:
      return false;
  }
}

Outcomes::~Outcomes() {
  for (const Process& p : processes_) {
    if (p.held.token) desktop_->Release(p.held.token);
    if (p.force) desktop_->Release(p.force);
  }
  for (const Action& a : actions_) {
    if (a.command) desktop_->Release(a.command);
  }
}

std::size_t Outcomes::ProcessOf(std::uint32_t processId) {
  const auto [known, added] = processIndex_.try_emplace(processId, processes_.size());
  if (!added) return known->second;
  Process process{processId, {}, false, false, 0};
  if (Checking()) {
    process.held = desktop_->HoldProcess(processId);
    // Ended, but still held open by someone: gone all the same.
    if (process.held.token && desktop_->EndedWith(process.held.token)) process.held.gone = true;
  }
  processes_.push_back(process);
  return processes_.size() - 1;
}

void Outcomes::Take(const TerminationAction& action) {
  Action a{kNoProcess, action.endMethod == EndMethod::CloseWindow, action.window, {}};
  if (Checking()) a.className = action.className;  // only a window that is looked for again needs it
  ActionOutcome result;
  if (action.protectedProcess) {
    result.outcome = Outcome::Protected;
  } else {
    // Unchecked actions hold nothing: a run may take thousands of them.
    if (Checking()) a.process = ProcessOf(action.processId);
    // What the process showed before it was asked: a dialog that appears later is its answer.
    if (a.close && Checking() && !dialogsTaken_) {
      dialogsBefore_ = desktop_->VisibleDialogs();
      dialogsTaken_ = true;
    }
    if (Checking() && processes_[a.process].held.gone) {
      result.outcome = Outcome::Gone;
    } else if (a.close) {
      const PostResult posted = desktop_->PostClose(action.window);
      if (posted == PostResult::Denied) result.outcome = Outcome::Denied;
      if (posted == PostResult::Gone) result.outcome = Outcome::Gone;
      // The program's own windows end with the run, which has to return first.
      const bool own = action.processId == ownProcessId_;
      if (posted == PostResult::Posted && own) result.outcome = Outcome::Closed;
    } else {
      a.command = desktop_->StartTaskkill(action.processId);
      if (!a.command) result.outcome = Outcome::NotStarted;
    }
    if (result.outcome == Outcome::Pending && !Checking()) result.outcome = Outcome::NotChecked;
  }
  actions_.push_back(std::move(a));
  results_.push_back(result);
  if (Checking()) start_ = desktop_->Now();
}

bool Outcomes::Done() const {
  return std::none_of(results_.begin(), results_.end(),
                      [](const ActionOutcome& r) { return r.outcome == Outcome::Pending; });
}

bool Outcomes::Prompting(std::uint32_t processId, Dialogs& now) {
  if (!now) now = desktop_->VisibleDialogs();
  for (const auto& dialog : *now) {
    const bool isNew = std::find(dialogsBefore_.begin(), dialogsBefore_.end(), dialog) == dialogsBefore_.end();
    if (dialog.second == processId && isNew) return true;
  }
  return false;
}

// A window still there at the force time has its process ended, unless it is asking the user
// (a prompt usually guards unsaved work) or the process keeps Windows running.
void Outcomes::Force(Process& process, Dialogs& dialogs) {
  process.forced = true;
  if (Prompting(process.id, dialogs)) return;
  const std::optional<bool> critical = desktop_->ProcessCritical(process.id);
  const std::wstring path = critical ? std::wstring() : desktop_->ProcessWin32Path(process.id);
  if (KeepsWindowsRunning(process.id, critical, path, desktop_->SystemFolder())) return;
  process.force = desktop_->StartTaskkill(process.id);
  for (std::size_t i = 0; i < actions_.size(); ++i) {
    Action& a = actions_[i];
    if (results_[i].outcome != Outcome::Pending || &processes_[a.process] != &process) continue;
    a.forced = true;
    if (!process.force) results_[i].outcome = Outcome::NotStarted;
  }
}

// A taskkill, or a forced one: ended comes from the process alone; its command's exit code is a
// detail, and a failure only once every command on the process has failed.
void Outcomes::JudgeTaskkill(std::size_t i, bool deadline) {
  const Action& a = actions_[i];
  const Process& p = processes_[a.process];
  const std::optional<std::uint32_t> code = desktop_->EndedWith(a.forced ? p.force : a.command);
  bool allFailed = true;
  for (const Action& b : actions_) {
    if (b.process != a.process || b.close != a.close || b.forced != a.forced) continue;
    const std::optional<std::uint32_t> other = desktop_->EndedWith(b.forced ? p.force : b.command);
    allFailed = allFailed && other && *other != 0;
  }
  ActionOutcome& result = results_[i];
  result.exitCode = code;
  if (!p.held.token && code && *code == 0) {
    result.outcome = a.forced ? Outcome::ForcedEnded : Outcome::Ended;  // not watchable: its command's word
  } else if ((code && *code != 0 && allFailed) || (deadline && code && *code != 0)) {
    result.outcome = a.forced ? Outcome::ForcedDenied : Outcome::Denied;
  } else if (deadline) {
    result.outcome = a.forced ? Outcome::ForcedStillRunning : Outcome::StillRunning;
  }
}

void Outcomes::Poll() {
  if (Done()) return;
  const std::int64_t now = desktop_->Now();
  const bool deadline = now >= start_ + times_.waitMs;
  Dialogs dialogs;  // read once per poll, when needed
  for (Process& p : processes_) {
    if (!p.ended && p.held.token) p.ended = desktop_->EndedWith(p.held.token).has_value();
  }
  for (std::size_t i = 0; i < actions_.size(); ++i) {
    if (results_[i].outcome != Outcome::Pending) continue;
    const Action& a = actions_[i];
    const Process& p = processes_[a.process];
    if (p.ended) {
      results_[i].outcome = a.forced ? Outcome::ForcedEnded : a.close ? Outcome::Closed : Outcome::Ended;
      if (!a.close || a.forced) results_[i].exitCode = desktop_->EndedWith(a.forced ? p.force : a.command);
    } else if (a.close && !a.forced) {
      if (!desktop_->WindowStillThere(a.window, p.id, a.className)) results_[i].outcome = Outcome::Closed;
    } else {
      JudgeTaskkill(i, deadline);
    }
  }
  if (times_.forceMs && now >= start_ + *times_.forceMs && !deadline) {
    for (std::size_t i = 0; i < actions_.size(); ++i) {
      if (results_[i].outcome != Outcome::Pending || !actions_[i].close) continue;
      Process& p = processes_[actions_[i].process];
      if (!p.forced) Force(p, dialogs);
    }
  }
  if (!deadline) return;
  for (std::size_t i = 0; i < actions_.size(); ++i) {
    if (results_[i].outcome != Outcome::Pending) continue;
    const Action& a = actions_[i];  // a window still there: every taskkill is judged by now
    if (Prompting(processes_[a.process].id, dialogs)) {
      results_[i].outcome = Outcome::Prompting;
    } else {
      results_[i].outcome = desktop_->Responds(a.window) ? Outcome::StillOpen : Outcome::NotResponding;
    }
  }
}

std::int64_t Outcomes::NextDeadline() const {
  std::int64_t next = start_ + times_.waitMs;
  for (std::size_t i = 0; i < actions_.size(); ++i) {
    const Action& a = actions_[i];
    if (results_[i].outcome != Outcome::Pending || !a.close || a.forced) continue;
    // Looked for often enough that the force time needs no deadline of its own.
    next = std::min(next, desktop_->Now() + kWindowPollMs);
  }
  return next;
}

std::vector<ProcessToken> Outcomes::WaitTokens() const {
  std::vector<ProcessToken> tokens;
  const auto add = [&](ProcessToken token) {
    if (token && std::find(tokens.begin(), tokens.end(), token) == tokens.end()) tokens.push_back(token);
  };
  for (std::size_t i = 0; i < actions_.size(); ++i) {
    if (results_[i].outcome != Outcome::Pending) continue;
    const Action& a = actions_[i];
    const Process& p = processes_[a.process];
    add(p.held.token);
    const ProcessToken command = a.forced ? p.force : a.command;
    if (command && !desktop_->EndedWith(command)) add(command);
  }
  return tokens;
}

Outcomes CarryOut(const Plan& plan, Desktop& desktop, OutcomeTimes times, const ActionObserver& observe) {
  Outcomes outcomes(desktop, times);
  outcomes.Reserve(plan.actions.size());
  for (const TerminationAction& action : plan.actions) {
    if (observe) observe(action);
    outcomes.Take(action);
  }
  return outcomes;
}

void AwaitOutcomes(Outcomes& outcomes, Desktop& desktop) {
  for (outcomes.Poll(); !outcomes.Done(); outcomes.Poll()) desktop.Wait(outcomes.WaitTokens(), outcomes.NextDeadline());
}

}  // namespace nagitome
