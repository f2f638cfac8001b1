// "/w LIST [/log FILE]": the resident watcher, one per logon session, with its notification-area
// icon; "/stop" ends it.
#pragma once

#include <windows.h>

#include <optional>

namespace nagitome {

// The process's exit code for "/w" and "/stop"; nothing for every other command line.
//  /w: 0 ended by its menu or /stop (or handed over to the session's watcher), 1 an entry was
//      rejected or cut short, 2 the list not loaded, 3 the log not written.
//  /stop: 0 a watcher was stopped, 1 none was running.
std::optional<int> RunWatchCommandLine(HINSTANCE instance);

}  // namespace nagitome
