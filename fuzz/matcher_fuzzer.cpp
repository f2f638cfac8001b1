// Input: flags byte, pattern, NUL, text (a unit per byte). Wildcards agree with the oracle; any regex
// comes back, valid or not; an ASCII one answers as the default executor with the matcher's folding.
#include <algorithm>
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
  const std::uint8_t* end = data + size;
  const std::uint8_t* nul = std::find(data + 1, end, 0);
  const std::wstring pattern(data + 1, nul);
  std::wstring text(std::min(nul + 1, end), end);
  if (pattern.size() <= 10 && text.size() <= 10) {
    check(WildcardMatch(pattern, text) == testing_support::WildcardWalk(pattern, text));
  }

  // Both stop at their budgets, so no input hangs the campaign; an answer either gave up on is
  // not compared, nor one the reference reads otherwise (escaped units, back-references).
  if (text.size() > 16) text.resize(16);
  const MatchMethod method = icase ? MatchMethod::RegexIgnoreCase : MatchMethod::RegexCaseSensitive;
  KeywordMatcher regex(pattern, method, std::chrono::milliseconds(20));
  const bool matched = regex.Matches(text);
  check(regex.IsValid() || !matched);
  if (!regex.IsValid() || regex.GaveUp() || text.size() > 8) return 0;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    if (pattern[k] >= 0x80) return 0;
    const bool reference = k > 0 && pattern[k - 1] == L'\\' && pattern[k] >= L'1' && pattern[k] <= L'9';
    if (reference) return 0;
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
