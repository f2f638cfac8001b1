// Input: flags byte, pattern, NUL, text (one unit per byte). The wildcard matcher must agree
// with the literal walk; a regular expression of any shape must come back, valid or not, and
// an ASCII one must answer as the facility's default executor does.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "engine/bounded_regex.h"
#include "engine/keyword_matcher.h"
#include "engine/wildcard.h"
#include "tests/support/test_support.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagitome;
  if (size == 0) return 0;
  const std::uint8_t flags = data[0];
  std::wstring pattern, text;
  std::size_t i = 1;
  for (; i < size && data[i] != 0; ++i) pattern.push_back(static_cast<wchar_t>(data[i]));
  for (++i; i < size; ++i) text.push_back(static_cast<wchar_t>(data[i]));

  const bool wild = WildcardMatch(pattern, text);
  if (pattern.size() <= 10 && text.size() <= 10) Check(wild == testing_support::WildcardWalk(pattern, text));
  KeywordMatcher wildcard(pattern, MatchMethod::Wildcard);
  Check(wildcard.IsValid() && wildcard.Matches(text) == wild);

  // Both the matcher and the reference stop at their budgets, so no input hangs the campaign;
  // an answer either of them gave up on is not compared.
  if (text.size() > 16) text.resize(16);
  KeywordMatcher regex(pattern, (flags & 1) ? MatchMethod::RegexIgnoreCase : MatchMethod::RegexCaseSensitive,
                       std::chrono::milliseconds(20));
  const bool matched = regex.Matches(text);
  Check(regex.IsValid() || !matched);
  if (!regex.IsValid() || regex.GaveUp() || text.size() > 8) return 0;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    if (pattern[k] >= 0x80) return 0;  // escaped for the scanner: the reference would read it otherwise
    if (pattern[k] == L'\\' && k + 1 < pattern.size() && pattern[k + 1] >= L'1' && pattern[k + 1] <= L'9') return 0;
  }
  try {
    auto syntax = std::regex_constants::ECMAScript;
    if (flags & 1) syntax |= std::regex_constants::icase;
    const std::wregex reference(pattern, syntax);  // the default executor: it backtracks
    const RegexAnswer answer =
        BoundedRegexMatch(reference, text, std::chrono::steady_clock::now() + std::chrono::milliseconds(200));
    if (answer != RegexAnswer::GaveUp) Check((answer == RegexAnswer::Match) == matched);
  } catch (const std::regex_error&) {
    // the reference refused the pattern; the matcher answered on its own
  }
  return 0;
}
