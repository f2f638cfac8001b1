// The task list view (a report list view over placeholder 1005, which it hides) and the entry editor below it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>

#include "tasks/task_entry.h"

namespace nagitome {

using RowTexts = std::array<std::wstring, 4>;

class ListViewWrapper {
 public:
  // Creates the view with its styles and columns; false (and a message) when it cannot.
  bool CreateTaskListView(HWND dialog, HINSTANCE instance);
  HWND Handle() const { return view_; }
  // Over placeholder 1005 again, with the columns' widths for this DPI.
  void FollowDpi(UINT dpi);

  int RowCount() const;
  RowTexts GetRowTexts(int row) const;
  void InsertRow(int row, const RowTexts& texts);
  void DeleteRow(int row);
  void MoveRow(int from, int to);  // "to" counts after the deletion
  void SelectRow(int row);  // and scrolls it into view
  void DeleteAllRows();

 private:
  HWND view_ = nullptr;
};

// The one view, owned by the main dialog's lifetime; null before initialisation.
ListViewWrapper* TaskListView();
void SetTaskListView(std::unique_ptr<ListViewWrapper> view);

// Rebuilds every row from the task list and selects row 0, which reloads the editor.
void RefreshTaskListView();

// The editor: controls 1010 to 1019 of the main dialog.
void LoadEntryEditor();
void StoreEntryEditor();  // Update (1020)
TaskEntry EntryInEditor();  // what Update would store, edits not yet applied included

// The list view's LVN_ITEMCHANGING: a newly selected row becomes the edited entry.
void OnTaskListItemChanging(const NMLISTVIEW& change);

// The view side of the single-entry commands 1006 to 1009.
void InsertBlankEntryCommand();
void DeleteEntryCommand();
void MoveEntryUpCommand();
void MoveEntryDownCommand();

}  // namespace nagitome
