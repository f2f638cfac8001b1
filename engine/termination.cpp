#include "engine/termination.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

#include "engine/outcome.h"

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

// Windows compares file names without regard to case; the names compared here are ASCII.
bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

bool KillsByProcessName(const TaskEntry& entry) {
  return entry.EndMethod == EndMethod::Taskkill && entry.MatchTarget == MatchTarget::ProcessName;
}

void TestWindow(RuleSet& rules, int index, const WindowInfo& window, std::vector<TerminationAction>& actions) {
  const TaskEntry& entry = rules.Entry(index);
  const std::wstring& text = WindowText(window, entry.MatchTarget);
  if (text.empty() || !rules.Matches(index, text)) return;
  actions.push_back({index, entry.EndMethod, entry.MatchTarget, text, window.window, window.processId,
                     window.processName, false, window.title, window.className});
}

void TestProcess(RuleSet& rules, int index, const ProcessInfo& process, std::vector<TerminationAction>& actions) {
  const TaskEntry& entry = rules.Entry(index);
  if (process.processName.empty() || !rules.Matches(index, process.processName)) return;
  actions.push_back({index, entry.EndMethod, entry.MatchTarget, process.processName, 0, process.processId,
                     process.processName, false, {}, {}});
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

bool KeepsWindowsRunning(std::uint32_t processId, std::optional<bool> critical, std::wstring_view win32Path,
                         std::wstring_view systemFolder) {
  if (processId == 0 || processId == 4) return true;
  if (critical) return *critical;
  static constexpr std::wstring_view kSystemImages[] = {L"smss.exe",    L"csrss.exe", L"wininit.exe", L"winlogon.exe",
                                                        L"services.exe", L"lsass.exe", L"lsaiso.exe"};
  static constexpr std::wstring_view kWithoutImage[] = {L"System", L"Registry", L"Memory Compression"};
  const std::size_t slash = win32Path.find_last_of(L'\\');
  if (slash == std::wstring_view::npos) {
    return std::find(std::begin(kWithoutImage), std::end(kWithoutImage), win32Path) != std::end(kWithoutImage);
  }
  while (!systemFolder.empty() && systemFolder.back() == L'\\') systemFolder.remove_suffix(1);
  const std::wstring_view folder = win32Path.substr(0, slash), name = win32Path.substr(slash + 1);
  return !systemFolder.empty() && EqualIgnoringAsciiCase(folder, systemFolder) &&
         std::any_of(std::begin(kSystemImages), std::end(kSystemImages),
                     [&](std::wstring_view image) { return EqualIgnoringAsciiCase(name, image); });
}

void GuardPlan(Plan& plan, Desktop& desktop) {
  std::unordered_map<std::uint32_t, bool> known;
  const std::wstring systemFolder = desktop.SystemFolder();
  for (TerminationAction& action : plan.actions) {
    if (action.endMethod != EndMethod::Taskkill) continue;
    auto [found, added] = known.try_emplace(action.processId);
    if (added) {
      const std::optional<bool> critical = desktop.ProcessCritical(action.processId);
      const std::wstring path = critical ? std::wstring() : desktop.ProcessWin32Path(action.processId);
      found->second = KeepsWindowsRunning(action.processId, critical, path, systemFolder);
    }
    action.protectedProcess = found->second;
  }
}

Plan RunTermination(const TaskList& list, Desktop& desktop, const ActionObserver& observe) {
  Plan plan = PreviewTermination(list, desktop);
  CarryOut(plan, desktop, {0, std::nullopt}, observe);
  return plan;
}

Plan PreviewTermination(const TaskList& list, Desktop& desktop) {
  RuleSet rules(list);
  Plan plan = MakePlan(rules, std::make_shared<const Snapshot>(TakeSnapshot(desktop)));
  GuardPlan(plan, desktop);
  return plan;
}

}  // namespace nagitome
