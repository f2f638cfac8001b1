// Wildcard patterns: "?" one UTF-16 unit, "*" any run of units, whole text, case-sensitive.
#pragma once

#include <string_view>

namespace nagitome {

// A star, or a run of stars, that ends the pattern must take at least one unit, so "abc*"
// does not match "abc". Linear space, no recursion, O(pattern x text) time at worst.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text);

}  // namespace nagitome
