// One entry's keyword, prepared once, tested against many texts.
#pragma once

#include <chrono>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

#include "engine/regex_pattern.h"
#include "tasks/task_entry.h"

namespace nagitome {

// How long one entry's regular expression may work over all its candidates in one run. Past
// it, the test in progress and every later one count as no match, so no keyword a user typed
// can hang a run.
inline constexpr std::chrono::milliseconds kRegexBudgetPerEntry{500};

class KeywordMatcher {
 public:
  KeywordMatcher(std::wstring_view keyword, MatchMethod method,
                 std::chrono::milliseconds budget = kRegexBudgetPerEntry);

  // False when the regular expression was rejected; such a matcher matches nothing.
  bool IsValid() const { return method_ == MatchMethod::Wildcard || regex_.has_value(); }
  // True once a test was cut short by the budget: this entry may have missed matches.
  bool GaveUp() const { return gaveUp_; }
  // Whole-text match.
  bool Matches(std::wstring_view text);
  // The whole budget again, for a new pass over other texts.
  void ResetBudget() {
    spent_ = {};
    gaveUp_ = false;
  }

 private:
  bool RegexMatches(std::wstring_view text);

  MatchMethod method_;
  std::wstring keyword_;
  std::optional<std::wregex> regex_;
  LiteralFilter filter_;
  bool gaveUp_ = false;
  std::chrono::steady_clock::duration budget_;
  std::chrono::steady_clock::duration spent_{};
};

}  // namespace nagitome
