// Input: flags byte, pattern, NUL, text (one unit per byte). The wildcard matcher must agree
// with the literal walk; a regular expression of any shape must come back, valid or not, and
// an ASCII one must answer as the facility's default executor, folding case as the matcher does.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "engine/bounded_regex.h"
#include "engine/case_fold.h"
#include "engine/keyword_matcher.h"
#include "engine/wildcard.h"
#include "tests/support/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagitome;
  const auto check = [](bool condition) {
    if (!condition) std::abort();
  };
  if (size == 0) return 0;
  const bool icase = data[0] & 1;
  std::wstring pattern;
  std::wstring text;
  std::size_t i = 1;
  for (; i < size && data[i] != 0; ++i) pattern.push_back(data[i]);
  for (++i; i < size; ++i) text.push_back(data[i]);

  const bool wild = WildcardMatch(pattern, text);
  check(pattern.size() > 10 || text.size() > 10 || wild == testing_support::WildcardWalk(pattern, text));
  KeywordMatcher wildcard(pattern, MatchMethod::Wildcard);
  check(wildcard.IsValid() && wildcard.Matches(text) == wild);

  // Both the matcher and the reference stop at their budgets, so no input hangs the campaign;
  // an answer either of them gave up on is not compared, nor one the reference would read
  // otherwise (units escaped for the scanner, back-references).
  if (text.size() > 16) text.resize(16);
  const MatchMethod method = icase ? MatchMethod::RegexIgnoreCase : MatchMethod::RegexCaseSensitive;
  KeywordMatcher regex(pattern, method, std::chrono::milliseconds(20));
  const bool matched = regex.Matches(text);
  check(regex.IsValid() || !matched);
  if (!regex.IsValid() || regex.GaveUp() || text.size() > 8) return 0;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    if (pattern[k] >= 0x80) return 0;
    if (pattern[k] != L'\\' || k + 1 == pattern.size()) continue;
    if (pattern[k + 1] >= L'1' && pattern[k + 1] <= L'9') return 0;
  }
  try {  // the default executor backtracks; a pattern it refuses is not compared
    const auto flags = icase ? std::regex::ECMAScript | std::regex::icase : std::regex::ECMAScript;
    std::wregex reference;
    reference.imbue(CaseFoldingLocale());  // the matcher's folding, which reaches beyond ASCII (\xE0)
    reference.assign(pattern, flags);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    const RegexAnswer answer = BoundedRegexMatch(reference, text, deadline);
    check(answer == RegexAnswer::GaveUp || (answer == RegexAnswer::Match) == matched);
  } catch (const std::regex_error&) {}
  return 0;
}
