#include "engine/termination.h"

namespace nagitome {

namespace {

const std::wstring& WindowText(const WindowInfo& window, MatchTarget target) {
  switch (target) {
    case MatchTarget::WindowClass: return window.className;
    case MatchTarget::TitleAndClass: return window.combinedText;
    case MatchTarget::ProcessName: return window.processName;
    case MatchTarget::WindowTitle: break;
  }
  return window.title;
}

bool KillsByProcessName(const TaskEntry& entry) {
  return entry.EndMethod == EndMethod::Taskkill && entry.MatchTarget == MatchTarget::ProcessName;
}

void TestWindow(RuleSet& rules, int index, const WindowInfo& window, std::vector<TerminationAction>& actions) {
  const TaskEntry& entry = rules.Entry(index);
  const std::wstring& text = WindowText(window, entry.MatchTarget);
  if (text.empty() || !rules.Matches(index, text)) return;
  actions.push_back({index, entry.EndMethod, entry.MatchTarget, text, window.window, window.processId,
                     window.processName});
}

void TestProcess(RuleSet& rules, int index, const ProcessInfo& process, std::vector<TerminationAction>& actions) {
  const TaskEntry& entry = rules.Entry(index);
  if (process.processName.empty() || !rules.Matches(index, process.processName)) return;
  actions.push_back({index, entry.EndMethod, entry.MatchTarget, process.processName, 0, process.processId,
                     process.processName});
}

}  // namespace

Plan MakePlan(RuleSet& rules, std::shared_ptr<const Snapshot> snapshot) {
  Plan plan;
  plan.snapshot = std::move(snapshot);
  rules.BeginPass();
  for (int i = 0; i < rules.Count(); ++i) {
    if (!rules.Acts(i)) continue;
    if (KillsByProcessName(rules.Entry(i))) {
      for (const ProcessInfo& process : plan.snapshot->processes) TestProcess(rules, i, process, plan.actions);
    } else {
      for (const WindowInfo& window : plan.snapshot->windows) TestWindow(rules, i, window, plan.actions);
    }
  }
  plan.report = {rules.InvalidEntries(), rules.GaveUpEntries()};
  return plan;
}

std::vector<TerminationAction> ActionsFor(RuleSet& rules, const WindowInfo& window) {
  std::vector<TerminationAction> actions;
  for (int i = 0; i < rules.Count(); ++i) {
    if (rules.Acts(i) && !KillsByProcessName(rules.Entry(i))) TestWindow(rules, i, window, actions);
  }
  return actions;
}

std::vector<TerminationAction> ActionsFor(RuleSet& rules, const ProcessInfo& process) {
  std::vector<TerminationAction> actions;
  for (int i = 0; i < rules.Count(); ++i) {
    if (rules.Acts(i) && KillsByProcessName(rules.Entry(i))) TestProcess(rules, i, process, actions);
  }
  return actions;
}

void CarryOut(const Plan& plan, Desktop& desktop, const ActionObserver& observe) {
  for (const TerminationAction& action : plan.actions) {
    if (observe) observe(action);
    if (action.endMethod == EndMethod::Taskkill) desktop.StartTaskkill(action.processId);
    else desktop.PostClose(action.window);
  }
}

Plan RunTermination(const TaskList& list, Desktop& desktop, const ActionObserver& observe) {
  Plan plan = PreviewTermination(list, desktop);
  CarryOut(plan, desktop, observe);
  return plan;
}

Plan PreviewTermination(const TaskList& list, Desktop& desktop) {
  RuleSet rules(list);
  return MakePlan(rules, std::make_shared<const Snapshot>(TakeSnapshot(desktop)));
}

}  // namespace nagitome
