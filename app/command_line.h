// The start-up forms acted on inside the main dialog's initialisation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/main_dialog.h"

namespace nagitome {

// What the start-up does to the dialog it runs in.
struct StartHooks {
  void (*refreshView)() = nullptr;
  void (*newTaskList)() = nullptr;
  void (*endDialog)(long long result) = nullptr;
};

// Splits the process command line and acts on it.
void InterpretCommandLine(bool startWithRecent, const StartHooks& hooks);

// The same for arguments already split (argument 0 is the program itself).
void InterpretArguments(const std::vector<std::wstring>& arguments, bool startWithRecent, const StartHooks& hooks);

// The task list over the real desktop, what did not end waited for.
RunResult RunTaskList();

// The process command line, split as the system splits it.
std::vector<std::wstring> CommandLineArguments();

// The process's exit code: set by "/e" (RunExitCode); 0 for every other start.
int CommandLineExitCode();

// 2 when the command line would open the editor on a window station nobody sees: nobody could
// ever close it. Nothing otherwise.
std::optional<int> UnseenEditorExitCode();

}  // namespace nagitome
