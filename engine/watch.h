// The watcher's engine, apart from the platform: the rule set of one load, what it has tested
// already (each window with its title, each process), and which windows a hook named wait out
// their debounce. Nothing grows per window: a window or process that is gone is forgotten at
// the next scan.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/outcome.h"
#include "engine/termination.h"

namespace nagitome {

using WatchClock = std::chrono::steady_clock;

// A window is tested this long after the first event that names it: a program that sets its
// title right after creating the window is seen with that title.
inline constexpr std::chrono::milliseconds kWatchDebounce{100};
// The safety net: what no event reported (a rename under Wine, a new process) is found by then.
inline constexpr std::chrono::seconds kWatchScanInterval{2};

class Watcher {
 public:
  // Windows of ownProcessId are never looked at: the watcher's own window and its tray menu.
  Watcher(Desktop& desktop, const TaskList& list, std::uint32_t ownProcessId,
          std::chrono::milliseconds regexBudget = kRegexBudgetPerEntry);

  // A new load: its rules replace the old ones, and everything is tested again by them.
  void Load(const TaskList& list);
  // The list over the whole desktop as "/e" runs it; what it saw counts as tested.
  Plan RunOnce(const ActionObserver& observe = {});
  // Windows new or retitled since they were last tested and processes not seen before, each
  // tested; those that are gone are forgotten.
  Plan Scan(const ActionObserver& observe = {});

  // A hook named the window: due kWatchDebounce after this first report, later ones join it.
  void Report(WindowHandle window, WatchClock::time_point now);
  std::optional<WatchClock::time_point> NextDue() const;
  // The windows due by now; they leave the queue.
  std::vector<WindowHandle> TakeDue(WatchClock::time_point now);
  // One window a hook named, as read now: tested unless it was tested with this title.
  Plan Test(RawWindow&& window, const ActionObserver& observe = {});

  const std::vector<int>& InvalidEntries() const { return rules_->InvalidEntries(); }
  // Entries cut short since the load that were not taken yet: each is reported once per load.
  std::vector<int> TakeCutShort();

  std::size_t RememberedWindows() const { return windows_.size(); }
  std::size_t RememberedProcesses() const { return processes_.size(); }
  std::size_t PendingWindows() const { return pending_.size(); }

 private:
  struct Seen {
    std::wstring title;
    std::uint64_t scan = 0;
  };
  bool Claim(WindowHandle window, const std::wstring& title);
  Plan Carry(Plan plan, const ActionObserver& observe);
  void NoteCutShort();

  Desktop& desktop_;
  std::uint32_t ownProcessId_;
  std::chrono::milliseconds budget_;
  std::unique_ptr<RuleSet> rules_;
  std::vector<bool> cutShortTaken_;
  std::vector<int> cutShort_;  // not taken yet
  std::unordered_map<WindowHandle, Seen> windows_;
  std::unordered_set<std::uint32_t> processes_;
  std::map<WindowHandle, WatchClock::time_point> pending_;
  std::vector<std::uint32_t> ids_;
  std::uint64_t scan_ = 0;
};

}  // namespace nagitome
