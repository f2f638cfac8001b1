#include "tasks/task_list.h"

#include <utility>

namespace nagitome {

TaskList::TaskList() { entries_.push_back(MakeBlankEntry()); }

int TaskList::InsertBlankEntry() {
  if (!HasSelection()) return kNoRow;
  const int row = selectedIndex_;
  entries_.insert(entries_.begin() + row, MakeBlankEntry());
  selectedIndex_ = -1;
  return row;
}

int TaskList::DeleteSelectedEntry() {
  if (!HasSelection() || entries_.size() == 1) return kNoRow;
  const int row = selectedIndex_;
  entries_.erase(entries_.begin() + row);
  selectedIndex_ = -1;
  return row == Count() ? row - 1 : row;
}

int TaskList::MoveSelectedEntryUp() {
  if (!HasSelection() || selectedIndex_ == 0) return kNoRow;
  std::swap(entries_[selectedIndex_], entries_[selectedIndex_ - 1]);
  return --selectedIndex_;
}

int TaskList::MoveSelectedEntryDown() {
  if (!HasSelection() || selectedIndex_ == Count() - 1) return kNoRow;
  std::swap(entries_[selectedIndex_], entries_[selectedIndex_ + 1]);
  return ++selectedIndex_;
}

int TaskList::UpdateSelectedEntry(EndMethod endMethod, MatchTarget matchTarget,
                                  MatchMethod matchMethod, std::wstring keyword) {
  if (!HasSelection()) return kNoRow;
  if (keyword.size() > kMaxTextUnits) keyword.resize(kMaxTextUnits);
  TaskEntry& entry = entries_[selectedIndex_];
  entry.EndMethod = endMethod;
  entry.MatchTarget = matchTarget;
  entry.MatchMethod = matchMethod;
  entry.Keyword = std::move(keyword);
  return selectedIndex_;
}

int TaskList::NewTaskList() {
  entries_.clear();
  entries_.push_back(MakeBlankEntry());
  selectedIndex_ = -1;
  return 0;
}

void TaskList::AppendEntry(TaskEntry entry) { entries_.push_back(std::move(entry)); }

void TaskList::ReplaceEntries(std::vector<TaskEntry> entries) {
  entries_ = std::move(entries);
  if (entries_.empty()) entries_.push_back(MakeBlankEntry());
}

bool TaskList::SelectEntry(int row) {
  if (row == selectedIndex_ || row < 0 || row >= Count()) return false;
  selectedIndex_ = row;
  return true;
}

TaskList& TheTaskList() {
  static TaskList list;
  return list;
}

}  // namespace nagitome
