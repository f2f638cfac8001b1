// The task list view: a report list view over placeholder 1005, which it hides.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>

#include "ui/editor_model.h"

namespace nagitome {

// Inserts a report view's row at row: its first cell, then the others beside it.
void InsertListRow(HWND view, int row, std::span<const std::wstring> cells);

class ListViewWrapper {
 public:
  // Creates the view with its styles and columns; false (and a message) when it cannot.
  bool CreateTaskListView(HWND dialog, HINSTANCE instance);
  HWND Handle() const { return view_; }
  // Over placeholder 1005 again, with the columns' widths for this DPI.
  void FollowDpi(UINT dpi);

  void InsertRow(int row, const RowTexts& texts);
  void DeleteRow(int row);
  void SelectRow(int row);  // and scrolls it into view
  void DeleteAllRows();

 private:
  HWND view_ = nullptr;
};

}  // namespace nagitome
