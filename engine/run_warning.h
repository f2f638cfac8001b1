// What an interactive run tells the user afterwards.
#pragma once

#include <string>
#include <vector>

#include "engine/outcome.h"
#include "engine/termination.h"
#include "tasks/task_list.h"

namespace nagitome {

// A target that did not end: its row, the window's title (the process name for a process or an
// untitled window) and what became of it.
struct LeftTarget {
  int entryIndex = 0;
  std::wstring name;
  Outcome outcome = Outcome::StillOpen;
  bool operator==(const LeftTarget&) const = default;
};
std::vector<LeftTarget> LeftTargets(const Plan& plan, const Outcomes& outcomes);

// The rows whose regular expression was rejected, then, in a second group, the rows cut short
// by their budget, then what did not end, each group shown up to ten rows; empty when every
// entry ran to its end and every target ended.
std::wstring RunWarningMessage(const TaskList& list, const TerminationReport& report,
                               const std::vector<LeftTarget>& left = {});

// The outcome as the warning says it.
const wchar_t* OutcomeText(Outcome outcome);

}  // namespace nagitome
