// The one ordered list of rules and the index of the entry shown in the editor.
#pragma once

#include <vector>

#include "tasks/task_entry.h"

namespace nagitome {

// Returned by operations that leave the view's selection alone.
inline constexpr int kNoRow = -1;

class TaskList {
 public:
  TaskList();  // one blank entry, selected

  int SelectedIndex() const { return selectedIndex_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  const TaskEntry& At(int index) const { return entries_[static_cast<std::size_t>(index)]; }
  const std::vector<TaskEntry>& Entries() const { return entries_; }
  bool HasSelection() const { return selectedIndex_ >= 0 && selectedIndex_ < Count(); }

  // Each returns the row the view must select, or kNoRow. Without a valid selection
  // (a view that was never filled) the editing operations do nothing.
  int InsertBlankEntry();
  int DeleteSelectedEntry();
  int MoveSelectedEntryUp();
  int MoveSelectedEntryDown();
  int UpdateSelectedEntry(EndMethod endMethod, MatchTarget matchTarget, MatchMethod matchMethod,
                          std::wstring keyword);
  int NewTaskList();

  void ClearEntries() { entries_.clear(); }
  void AppendEntry(TaskEntry entry);
  void ReplaceEntries(std::vector<TaskEntry> entries);  // a whole load; never leaves it empty

  // The view reports a selected row. True when it differs, so the editor must be reloaded.
  bool SelectEntry(int row);
  // A whole refresh of the view is pending: the next reported row reloads the editor.
  void ResetSelection() { selectedIndex_ = -1; }

 private:
  std::vector<TaskEntry> entries_;
  int selectedIndex_ = 0;
};

// The process-wide list, created with its blank entry before the main window opens.
TaskList& TheTaskList();

}  // namespace nagitome
