// Texts written for scripts and logs: one field per value, UTF-8 on disk.
#pragma once

#include <string>
#include <string_view>

namespace nagitome {

// A matched text as one field of a TAB-separated line: TAB, CR, LF and backslash become
// \t, \r, \n and \\, so a line always holds one action.
std::wstring EscapeReportText(std::wstring_view text);

}  // namespace nagitome
