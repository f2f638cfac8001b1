// The run: one fresh snapshot, then every entry in list order, each match ended at once.
#pragma once

#include <vector>

#include "engine/desktop.h"
#include "tasks/task_list.h"

namespace nagitome {

struct TerminationReport {
  std::vector<int> invalidEntries;  // indexes of entries whose regular expression was rejected
};

TerminationReport RunTermination(const TaskList& list, Desktop& desktop);

}  // namespace nagitome
