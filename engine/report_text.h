// Texts written for scripts and logs: one field per value, UTF-8 on disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nagitome {

// A matched text as one field of a TAB-separated line: TAB, CR, LF and backslash become
// \t, \r, \n and \\, so a line always holds one action.
std::wstring EscapeReportText(std::wstring_view text);

// A window handle as handles are usually shown: upper-case hexadecimal, at least eight digits.
std::wstring HandleHex(std::uint64_t handle);

}  // namespace nagitome
