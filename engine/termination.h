// The run as values: a snapshot, the rule set tested against it, and the plan of actions that
// results, carried out in order. The preview is the plan alone; a watcher tests one window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/desktop.h"
#include "engine/rule_set.h"
#include "engine/snapshot.h"
#include "tasks/task_list.h"

namespace nagitome {

struct TerminationReport {
  std::vector<int> invalidEntries;  // indexes of entries whose regular expression was rejected
  std::vector<int> gaveUpEntries;   // indexes of entries whose regex budget ran out
};

struct TerminationAction {
  int entryIndex = 0;  // 0-based row of the entry in the list
  EndMethod endMethod = EndMethod::CloseWindow;
  MatchTarget matchTarget = MatchTarget::WindowTitle;
  std::wstring_view matchedText;  // into the window or process it was found in
  WindowHandle window = 0;        // the matched window; 0 for a process of the process list
  std::uint32_t processId = 0;
  std::wstring_view processName;  // into the window or process it was found in; may be empty
  bool protectedProcess = false;  // a taskkill that is never started: its process keeps Windows running
  std::wstring_view title;        // the matched window's title and class; empty for a process
  std::wstring_view className;
};
using ActionObserver = std::function<void(const TerminationAction&)>;

// What a run does, decided before anything is done. Its actions' texts point into the snapshot
// it keeps, so a plan can be moved, kept and read after the run.
struct Plan {
  std::shared_ptr<const Snapshot> snapshot;
  std::vector<TerminationAction> actions;  // in run order
  TerminationReport report;
};

// Every entry in list order over the whole snapshot, as one pass of the rule set: an entry
// that kills by process name takes the processes, every other one the windows.
Plan MakePlan(RuleSet& rules, std::shared_ptr<const Snapshot> snapshot);

// What the rule set does to this one window, or this one process, in list order; the caller
// decides when a pass begins.
std::vector<TerminationAction> ActionsFor(RuleSet& rules, const WindowInfo& window);
std::vector<TerminationAction> ActionsFor(RuleSet& rules, const ProcessInfo& process);

// Whether ending the process would stop Windows: ids 0 and 4; a process the system marks
// critical; where it cannot say, one of its own images in the system directory, or a process
// without an image (System, Registry, Memory Compression). A name alone protects nothing.
bool KeepsWindowsRunning(std::uint32_t processId, std::optional<bool> critical, std::wstring_view win32Path,
                         std::wstring_view systemFolder);

// Marks the plan's taskkills whose process keeps Windows running, asking the desktop once per
// process.
void GuardPlan(Plan& plan, Desktop& desktop);

// The run: a fresh snapshot, the plan of the list over it, carried out (CarryOut, outcome.h)
// without checking outcomes.
Plan RunTermination(const TaskList& list, Desktop& desktop, const ActionObserver& observe = {});

// The same plan over a fresh snapshot, guarded, carried out by nobody.
Plan PreviewTermination(const TaskList& list, Desktop& desktop);

}  // namespace nagitome
