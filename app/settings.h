// The per-user settings file beside the executable, and the paths derived from the exe.
#pragma once

#include <string>

namespace nagitome {

// Drive and folder of the running executable with its trailing backslash; empty if unknown.
const std::wstring& ExeDir();
// ExeDir + "<logon name> Nagitome.ini".
const std::wstring& SettingsPath();
// Tests point the settings elsewhere.
void SetSettingsPathForTesting(std::wstring path);

std::wstring ReadmePath();  // ExeDir + "Readme.txt"

// Fills RecentFilePath; returns the start-with-recent-file flag.
bool ReadSettings();
// Writes the flag, then the recent path if there is one. A failed write shows a message.
bool WriteSettings(bool startWithRecent);

// Computes the paths now rather than at first use, so they are ready before the entry point.
void InitializePaths();

}  // namespace nagitome
