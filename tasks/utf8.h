// UTF-16 units to UTF-8, for reports, logs and host paths.
#pragma once

#include <string>
#include <string_view>

namespace nagitome {

// A lone surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

}  // namespace nagitome
