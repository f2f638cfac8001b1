// The file being edited, the recent file, the window title that names it, and the messages
// that name a path.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "tasks/task_entry.h"

namespace nagitome {

// Process-wide; empty while the list is untitled / nothing was opened yet.
std::wstring& CurrentFilePath();
std::wstring& RecentFilePath();

// Copies a path into one of the two buffers above, cut to what a 1024-unit buffer holds.
void AssignPath(std::wstring& target, std::wstring_view path);

// "name.ext[C:\dir\] - Nagitome", or "無題 - Nagitome" for an empty path.
std::wstring FormatWindowTitle(std::wstring_view path);

// "<message>\n\n<path>" in at most capacity - 1 units. A path too long for it keeps its end,
// which names the file, behind "...".
std::wstring FormatPathMessage(std::wstring_view message, std::wstring_view path,
                               std::size_t capacity = kMaxTextUnits + 1);

// Hands FormatWindowTitle(CurrentFilePath()) to the sink: the main dialog's title, or a test.
void UpdateWindowTitle();
using TitleSink = std::function<void(std::wstring_view title)>;
void SetTitleSink(TitleSink sink);

}  // namespace nagitome
