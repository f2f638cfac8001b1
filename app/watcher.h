// "/w LIST [/log FILE] [/wait N] [/force N]": the resident watcher, one per logon session, with its notification-area
// icon; "/stop" ends it.
#pragma once

#include <windows.h>

#include <optional>

namespace nagitome {

// The process's exit code for "/w" and "/stop"; nothing for every other command line.
//  /w: as "/e" (RunExitCode) over the whole watch; 0 also when handed over to the session's
//      watcher.
//  /stop: 0 a watcher was stopped, 1 none was running.
std::optional<int> RunWatchCommandLine(HINSTANCE instance);

}  // namespace nagitome
