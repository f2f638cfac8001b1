// What an interactive run tells the user afterwards.
#pragma once

#include <string>

#include "engine/termination.h"
#include "tasks/task_list.h"

namespace nagitome {

// The rows whose regular expression was rejected, then, in a second group, the rows cut short
// by their budget, each group shown up to ten rows; empty when every entry ran to its end.
std::wstring RunWarningMessage(const TaskList& list, const TerminationReport& report);

}  // namespace nagitome
