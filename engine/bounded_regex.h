// One regular-expression test that cannot outrun its deadline or the thread's stack.
#pragma once

#include <chrono>
#include <regex>
#include <string_view>

namespace nagitome {

enum class RegexAnswer { NoMatch, Match, GaveUp };

// The facility's whole-text match, run on the calling thread. Every step of either executor
// is counted; the test stops as "gave up" once the deadline has passed or the stack comes
// near its end, and nothing of it runs on after the return.
RegexAnswer BoundedRegexMatch(const std::wregex& regex, std::wstring_view text,
                              std::chrono::steady_clock::time_point deadline);

}  // namespace nagitome
