// The start-up forms: no argument, one task list path, or "/e" and a path (run once, exit).
#pragma once

#include <string>
#include <vector>

namespace nagitome {

// Splits the process command line and acts on it; called by the main dialog's initialisation.
void InterpretCommandLine();

// The same for arguments already split (argument 0 is the program itself).
void InterpretArguments(const std::vector<std::wstring>& arguments);

// The process's exit code: set by "/e" (0 all ran, 1 an entry rejected or cut short, 2 the list
// not loaded, 3 the log not written); 0 for every other start.
int CommandLineExitCode();

}  // namespace nagitome
