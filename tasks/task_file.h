// Moving the whole task list between memory and a file.
#pragma once

#include <string>

namespace nagitome {

// Replaces the task list with the file's entries, sets CurrentFilePath and RecentFilePath and
// the title. On failure shows the open-failure message and changes nothing.
bool LoadTaskListFile(const std::wstring& path);

// Writes the task list to the file, replacing it only once the whole file was written.
// On any failure shows the write-failure message; an existing file keeps its bytes.
bool SaveTaskListFile(const std::wstring& path);

}  // namespace nagitome
