// The main dialog (template 100): the program's only window and its whole event loop, with the
// task list view and the entry editor below it.
#pragma once

#include <windows.h>

#include <string>

#include "engine/run_warning.h"
#include "engine/termination.h"

namespace nagitome {

// What a run leaves to tell: entries rejected or cut short, targets that did not end.
struct RunResult {
  TerminationReport report;
  std::vector<LeftTarget> left;
};

// What the dialog needs from the application shell, which sits above it.
struct MainDialogServices {
  bool (*readSettings)() = nullptr;              // the start-with-recent-file flag
  void (*writeSettings)(bool startWithRecent) = nullptr;
  void (*interpretCommandLine)(bool startWithRecent) = nullptr;
  std::wstring (*readmePath)() = nullptr;
  RunResult (*run)() = nullptr;                  // the task list over the real desktop, waited for
};

// Runs the dialog modally; returns when it ends, after the list view is destroyed.
INT_PTR RunMainDialog(HINSTANCE instance, const MainDialogServices& services);
void EndMainDialog(long long result);

// New (1000): one blank entry, the view refreshed, the document untitled.
void NewTaskListCommand();

// Rebuilds every row from the task list and selects row 0, which reloads the editor.
void RefreshTaskListView();

}  // namespace nagitome
