#include "engine/watch.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace nagitome {

Watcher::Watcher(Desktop& desktop, const TaskList& list, std::uint32_t ownProcessId,
                 std::chrono::milliseconds regexBudget, OutcomeTimes times)
    : desktop_(desktop), ownProcessId_(ownProcessId), budget_(regexBudget), times_(times) {
  Load(list);
}

void Watcher::Load(const TaskList& list) {
  rules_ = std::make_unique<RuleSet>(list, budget_);
  cutShortTaken_.assign(static_cast<std::size_t>(rules_->Count()), false);
  cutShort_.clear();
  windows_.clear();
  processes_.clear();
}

WatchPass Watcher::RunOnce(const ActionObserver& observe) {
  Snapshot snapshot = TakeSnapshot(desktop_);
  std::erase_if(snapshot.windows, [&](const WindowInfo& w) { return w.processId == ownProcessId_; });
  ++scan_;
  windows_.clear();
  processes_.clear();
  for (const WindowInfo& window : snapshot.windows) windows_[window.window] = {window.title, scan_};
  for (const ProcessInfo& process : snapshot.processes) processes_.insert(process.processId);
  Plan plan = MakePlan(*rules_, std::make_shared<const Snapshot>(std::move(snapshot)));
  NoteCutShort();
  return Carry(std::move(plan), observe);
}

bool Watcher::Claim(WindowHandle window, const std::wstring& title) {
  auto [seen, added] = windows_.try_emplace(window);
  seen->second.scan = scan_;
  if (!added && seen->second.title == title) return false;
  seen->second.title = title;
  return true;
}

WatchPass Watcher::Scan(const ActionObserver& observe) {
  ++scan_;
  auto snapshot = std::make_shared<Snapshot>();
  std::unordered_map<std::uint32_t, std::wstring> names;
  desktop_.EnumerateWindows([&](RawWindow&& raw) {
    if (raw.processId == ownProcessId_ || !Claim(raw.handle, raw.title)) return;
    auto [name, added] = names.try_emplace(raw.processId);
    if (added) name->second = ProcessImageName(desktop_, raw.processId);
    snapshot->windows.push_back(DescribeWindow(std::move(raw), name->second));
  });
  std::erase_if(windows_, [&](const auto& seen) { return seen.second.scan != scan_; });

  // Only ids not seen before are opened; a process that is gone is forgotten.
  if (ListProcessIds(desktop_, ids_)) {
    std::unordered_set<std::uint32_t> present;
    for (const std::uint32_t id : ids_) {
      if (present.insert(id).second && !processes_.contains(id)) {
        snapshot->processes.push_back({id, ProcessImageName(desktop_, id)});
      }
    }
    processes_.swap(present);
  }

  Plan plan;
  for (const WindowInfo& window : snapshot->windows) {
    rules_->BeginPass();
    std::ranges::move(ActionsFor(*rules_, window), std::back_inserter(plan.actions));
    NoteCutShort();
  }
  for (const ProcessInfo& process : snapshot->processes) {
    rules_->BeginPass();
    std::ranges::move(ActionsFor(*rules_, process), std::back_inserter(plan.actions));
    NoteCutShort();
  }
  plan.snapshot = std::move(snapshot);
  return Carry(std::move(plan), observe);
}

void Watcher::Report(WindowHandle window, WatchClock::time_point now) {
  pending_.try_emplace(window, now + kWatchDebounce);
}

std::optional<WatchClock::time_point> Watcher::NextDue() const {
  std::optional<WatchClock::time_point> next;
  for (const auto& [window, due] : pending_) {
    if (!next || due < *next) next = due;
  }
  return next;
}

std::vector<WindowHandle> Watcher::TakeDue(WatchClock::time_point now) {
  std::vector<WindowHandle> due;
  std::erase_if(pending_, [&](const auto& p) {
    if (p.second > now) return false;
    due.push_back(p.first);
    return true;
  });
  return due;
}

WatchPass Watcher::Test(RawWindow&& raw, const ActionObserver& observe) {
  if (raw.processId == ownProcessId_ || !Claim(raw.handle, raw.title)) return Carry({}, observe);
  auto snapshot = std::make_shared<Snapshot>();
  const std::uint32_t processId = raw.processId;
  snapshot->windows.push_back(DescribeWindow(std::move(raw), ProcessImageName(desktop_, processId)));
  Plan plan;
  rules_->BeginPass();
  plan.actions = ActionsFor(*rules_, snapshot->windows.front());
  NoteCutShort();
  plan.snapshot = std::move(snapshot);
  return Carry(std::move(plan), observe);
}

std::vector<int> Watcher::TakeCutShort() { return std::exchange(cutShort_, {}); }

WatchPass Watcher::Carry(Plan plan, const ActionObserver& observe) {
  GuardPlan(plan, desktop_);
  Outcomes outcomes = CarryOut(plan, desktop_, times_, observe);
  return {std::move(plan), std::move(outcomes)};
}

void Watcher::NoteCutShort() {
  for (const int i : rules_->GaveUpEntries()) {
    if (cutShortTaken_[static_cast<std::size_t>(i)]) continue;
    cutShortTaken_[static_cast<std::size_t>(i)] = true;
    cutShort_.push_back(i);
  }
}

}  // namespace nagitome
