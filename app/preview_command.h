// "/p LIST [REPORT]": the list's preview written as a report, without a window or a message box.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nagitome {

inline constexpr int kPreviewDone = 0;
inline constexpr int kPreviewListNotLoaded = 2;
inline constexpr int kPreviewReportNotWritten = 3;

// The exit code when the arguments (argument 0 is the program) are the preview form; nothing
// otherwise, and then the main dialog takes the command line as before.
std::optional<int> RunPreviewCommand(const std::vector<std::wstring>& arguments);

// The same for the process command line.
std::optional<int> RunPreviewCommandLine();

}  // namespace nagitome
