// The main dialog (template 100): the program's only window and its whole event loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/termination.h"

namespace nagitome {

// What the dialog needs from the application shell, which sits above it.
struct MainDialogServices {
  bool (*readSettings)() = nullptr;              // the start-with-recent-file flag
  void (*writeSettings)(bool startWithRecent) = nullptr;
  void (*interpretCommandLine)() = nullptr;
  std::wstring (*readmePath)() = nullptr;
};

// Runs the dialog modally; returns when it ends, after the list view is destroyed.
INT_PTR RunMainDialog(HINSTANCE instance, const MainDialogServices& services);

// New (1000): one blank entry, the view refreshed, the document untitled.
void NewTaskListCommand();

// True while the About dialog runs; the main dialog then ignores its commands.
bool AboutDialogActive();

}  // namespace nagitome
