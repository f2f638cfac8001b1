// One entry's keyword, prepared once, tested against many texts.
#pragma once

#include <chrono>
#include <locale>
#include <memory>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "tasks/task_entry.h"

namespace nagitome {

// How long one entry's regular expression may work over all its candidates in one run. Past
// it, the test in progress and every later one count as no match, so no keyword a user typed
// can hang a run.
inline constexpr std::chrono::milliseconds kRegexBudgetPerEntry{500};

class BoundedRegexWorker;

class KeywordMatcher {
 public:
  KeywordMatcher(std::wstring_view keyword, MatchMethod method,
                 std::chrono::milliseconds budget = kRegexBudgetPerEntry);
  ~KeywordMatcher();
  KeywordMatcher(const KeywordMatcher&) = delete;
  KeywordMatcher& operator=(const KeywordMatcher&) = delete;

  // False when the regular expression was rejected; such a matcher matches nothing.
  bool IsValid() const { return valid_; }
  // True once the budget ran out.
  bool GaveUp() const { return gaveUp_; }
  // Whole-text match. A test the regex facility gives up on is no match.
  bool Matches(std::wstring_view text);

 private:
  bool RegexMatches(std::wstring_view text);
  // Runs of plain characters that every whole match holds in this order, some pinned to the
  // start or the end of the text: most texts fail them in nanoseconds, without the executor.
  struct LiteralRun {
    std::wstring units;  // case-folded when the case is ignored
    bool atStart = false, atEnd = false;
  };
  static std::vector<LiteralRun> RequiredLiterals(std::wstring_view pattern);
  void PrepareLiterals();
  bool HasRequiredLiterals(std::wstring_view text) const;

  MatchMethod method_;
  std::wstring keyword_;
  bool valid_ = true;
  bool gaveUp_ = false;
  // Patterns without back-references run on the polynomial (automaton) executor; the others
  // need the backtracking one, which runs on a worker with a deep stack and a deadline.
  std::shared_ptr<const std::wregex> regex_;
  std::vector<LiteralRun> literals_;
  const std::ctype<wchar_t>* fold_ = nullptr;  // the regex's own case folding, when ignoring case
  bool backtracking_ = false;
  std::unique_ptr<BoundedRegexWorker> worker_;
  std::chrono::steady_clock::duration budget_;
  std::chrono::steady_clock::duration spent_{};
};

}  // namespace nagitome
