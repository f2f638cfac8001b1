#include "engine/keyword_matcher.h"

#include "engine/bounded_regex.h"
#include "engine/wildcard.h"

namespace nagitome {

KeywordMatcher::KeywordMatcher(std::wstring_view keyword, MatchMethod method, std::chrono::milliseconds budget)
    : method_(method), keyword_(keyword), budget_(budget) {
  if (method_ == MatchMethod::Wildcard) return;
  const bool ignoreCase = method_ == MatchMethod::RegexIgnoreCase;
  regex_ = CompileRegexKeyword(keyword_, ignoreCase);
  if (regex_) filter_ = LiteralFilter(keyword_, *regex_, ignoreCase);
}

bool KeywordMatcher::Matches(std::wstring_view text) {
  if (method_ == MatchMethod::Wildcard) return WildcardMatch(keyword_, text);
  if (!regex_ || gaveUp_ || !filter_.Admits(text)) return false;
  return RegexMatches(text);
}

bool KeywordMatcher::RegexMatches(std::wstring_view text) {
  using Clock = std::chrono::steady_clock;
  if (spent_ >= budget_) {
    gaveUp_ = true;
    return false;
  }
  const Clock::time_point start = Clock::now();
  const RegexAnswer answer = BoundedRegexMatch(*regex_, text, start + (budget_ - spent_));
  spent_ += Clock::now() - start;
  gaveUp_ = answer == RegexAnswer::GaveUp;
  return answer == RegexAnswer::Match;
}

}  // namespace nagitome
