// The run: one fresh snapshot, then every entry in list order, each match ended at once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/desktop.h"
#include "tasks/task_list.h"

namespace nagitome {

struct TerminationReport {
  std::vector<int> invalidEntries;  // indexes of entries whose regular expression was rejected
  std::vector<int> gaveUpEntries;   // indexes of entries whose regex budget ran out mid-run
};

// One action as the run takes it, just before the desktop is asked to carry it out.
struct TerminationAction {
  int entryIndex = 0;  // 0-based row of the entry in the list
  EndMethod endMethod = EndMethod::CloseWindow;
  MatchTarget matchTarget = MatchTarget::WindowTitle;
  std::wstring_view matchedText;  // valid only during the call
  WindowHandle window = 0;        // the matched window; 0 for a process from the process snapshot
  std::uint32_t processId = 0;
  std::wstring_view processName;  // valid only during the call; may be empty
};
using ActionObserver = std::function<void(const TerminationAction&)>;

// Every action is shown to observe (when set) and then asked of the desktop, in run order.
TerminationReport RunTermination(const TaskList& list, Desktop& desktop, const ActionObserver& observe = {});

}  // namespace nagitome
