// The start-up forms: no argument, one task list path, or "/e" and a path (run once, exit).
#pragma once

#include <string>
#include <vector>

namespace nagitome {

// Splits the process command line and acts on it; called by the main dialog's initialisation.
void InterpretCommandLine();

// The same for arguments already split (argument 0 is the program itself).
void InterpretArguments(const std::vector<std::wstring>& arguments);

}  // namespace nagitome
