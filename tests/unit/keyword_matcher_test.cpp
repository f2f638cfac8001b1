#include "engine/keyword_matcher.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <regex>
#include <string>

namespace nagitome {
namespace {

using namespace std::chrono_literals;
constexpr MatchMethod kWild = MatchMethod::Wildcard, kCase = MatchMethod::RegexCaseSensitive,
                      kNoCase = MatchMethod::RegexIgnoreCase;

TEST(KeywordMatcherTest, MatchesTheWholeTextByMethod) {
  const struct { std::wstring keyword; MatchMethod method; std::wstring text; bool match; } cases[] = {
      {L"note*", kWild, L"notepad.exe", true},        {L"note.*", kWild, L"notepad.exe", false},
      {L"*.EXE", kWild, L"notepad.exe", false},       {L"notepad", kCase, L"notepad.exe", false},
      {L"notepad\\.exe", kCase, L"notepad.exe", true}, {L"notepad.*", kCase, L"notepad.exe", true},
      {L"NOTEPAD\\.EXE", kNoCase, L"notepad.exe", true}, {L"NOTEPAD\\.EXE", kCase, L"notepad.exe", false},
      {L"pad", kCase, L"notepad.exe", false},         {L"pad", kNoCase, L"notepad.exe", false},
      {L"calc", kNoCase, L"Calc", true},              {L"calc", kNoCase, L"CALC", true},
      {L"calc", kCase, L"Calc", false},               {L"calc", kCase, L"CALC", false},
      {L".*", kCase, L"x", true},                     {L".*", kCase, L"a\nb", false},
      {L"..", kCase, L"\xD83D\xDE00", true},          {L".", kCase, L"\xD83D\xDE00", false},
      {L"(a)\\1", kCase, L"aa", true},                {L"(a)\\1", kCase, L"ab", false},
      {L"(A)\\1", kNoCase, L"aA", true},              {L"memo|calc", kCase, L"calc", true},
      {L"[0-9]+", kCase, L"2024", true}, {L"\\\\12345678901", kCase, L"\\12345678901", true},
      {L"a,12345678901", kCase, L"a,12345678901", true},              {L"[0-9]+", kCase, L"20x4", false},
      {L"[[:alpha:]1]x", kCase, L"ax", true},         {L"x[\\]1]y", kCase, L"x]y", true},
      {L"app(12|34)[0-9]*\\.exe", kNoCase, L"APP345.EXE", true}, {L".*editor（class5.*", kNoCase, L"Doc - Editor（Class50）", true},
  };
  for (const auto& c : cases) {
    KeywordMatcher matcher(c.keyword, c.method);
    EXPECT_TRUE(matcher.IsValid());
    EXPECT_EQ(matcher.Matches(c.text), c.match) << testing::PrintToString(c.keyword) << " against "
                                                << testing::PrintToString(c.text);
    EXPECT_EQ(matcher.Matches(c.text), c.match) << "a prepared matcher answers again";
    EXPECT_FALSE(matcher.GaveUp());
  }
}

// Titles and the combined text hold full-width forms; in a pattern they are ordinary
// characters, never the ASCII syntax characters they resemble.
TEST(KeywordMatcherTest, FullWidthFormsAreOrdinaryCharacters) {
  const struct { const wchar_t* keyword; const wchar_t* text; bool match; } cases[] = {
      {L"memo\uFF08Notepad\uFF09", L"memo\uFF08Notepad\uFF09", true}, {L"\uFF08", L"\uFF08", true},
      {L"a\uFF0A", L"a\uFF0A", true}, {L"a\uFF0A", L"aa", false}, {L"\uFF0E", L"x", false},
      {L"\u30E1\u30E2.*", L"\u30E1\u30E2 - x", true}, {L"[\uFF3B]", L"\uFF3B", true},
  };
  for (const auto& c : cases) {
    for (const MatchMethod method : {kCase, kNoCase}) {
      KeywordMatcher matcher(c.keyword, method);
      EXPECT_TRUE(matcher.IsValid()) << testing::PrintToString(std::wstring(c.keyword));
      EXPECT_EQ(matcher.Matches(c.text), c.match) << testing::PrintToString(std::wstring(c.keyword));
    }
  }
}

TEST(KeywordMatcherTest, RejectedPatternsMatchNothing) {
  for (const wchar_t* keyword : {L"(", L"a)", L"[z-a]", L"a{2,1}", L"*", L"+a", L"\\", L"(?<a)", L"a{99999999999999999999}",
                              L"a{1,18446744073709551619}", L"(a)\\15555555555"}) {
    for (const MatchMethod method : {kCase, kNoCase}) {
      KeywordMatcher matcher(keyword, method);
      EXPECT_FALSE(matcher.IsValid()) << testing::PrintToString(std::wstring(keyword));
      EXPECT_FALSE(matcher.Matches(keyword));
      EXPECT_FALSE(matcher.Matches(L"a"));
    }
    EXPECT_TRUE(KeywordMatcher(keyword, kWild).IsValid());  // every wildcard pattern is valid
  }
}

TEST(KeywordMatcherTest, HostilePatternsFinishWithinTheirBudget) {
  const std::wstring as(1023, L'a');
  const std::wstring nested = std::wstring(1000, L'(') + L"a*" + std::wstring(1000, L')');
  const struct { std::wstring keyword; bool match, gaveUp; } cases[] = {
      {L"(a*)*b", false, false}, {L"(a|aa)*c", false, false}, {L"(a|a)*b", false, false},
      {L"(a+)+", true, false},   {nested, true, false},       {L"a{100000}", false, false},
      {L"(a*)*\\1b", false, true}, {L"(a+)+\\1b", false, true}, {L"(a|aa)*\\1c", false, true},
  };
  for (const auto& c : cases) {
    KeywordMatcher matcher(c.keyword, kCase, 50ms);
    EXPECT_EQ(matcher.Matches(as), c.match) << testing::PrintToString(c.keyword.substr(0, 12));
    if (c.gaveUp) {
      EXPECT_TRUE(matcher.GaveUp());
      EXPECT_FALSE(matcher.Matches(L"aab")) << "after giving up nothing matches";
    }
  }
}

TEST(KeywordMatcherTest, NothingMatchesOnceTheBudgetIsSpent) {
  for (const wchar_t* keyword : {L"a+", L"(a)\\1"}) {
    KeywordMatcher matcher(keyword, kCase, 0ms);
    matcher.Matches(L"aa");
    EXPECT_TRUE(matcher.GaveUp());
    EXPECT_FALSE(matcher.Matches(L"aa"));
  }
  KeywordMatcher roomy(L"(a|b)\\1", kCase, 10s);
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(roomy.Matches(i % 2 ? L"aa" : L"bb"));
  EXPECT_FALSE(roomy.GaveUp());
}

// The automaton the matcher uses for patterns without back-references, and the literal filter
// in front of it, give the same answers as the facility's default executor.
TEST(KeywordMatcherTest, AgreesWithTheDefaultExecutor) {
  const wchar_t* tokens[] = {L"a", L"b", L"A", L".", L"*", L"+", L"?", L"|", L"(", L")", L"[ab]", L"[^a]",
                             L"{2}", L"{1,2}", L"(?:", L"^", L"$", L"\\b", L"(?=a", L"*?", L"\\w",
                             L"ab", L"Ba", L"1", L"\\.", L"\\(", L"\\d", L"\\u0041", L"\\x62", L"{2,}",
                             L"[[:alpha:]]", L"[\\]a]", L"(?!b", L"[]", L"[^]"};
  std::mt19937 random(4242);
  const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  int valid = 0, matches = 0;
  for (int i = 0; i < 8000; ++i) {
    std::wstring pattern;
    for (int n = 1 + pick(6); n > 0; --n) pattern += tokens[pick(std::size(tokens))];
    const bool ignoreCase = pick(2);
    std::optional<std::wregex> reference;
    try {
      reference.emplace(pattern, ignoreCase ? std::regex::ECMAScript | std::regex::icase : std::regex::ECMAScript);
    } catch (const std::regex_error&) {
    }
    KeywordMatcher matcher(pattern, ignoreCase ? kNoCase : kCase);
    ASSERT_EQ(matcher.IsValid(), reference.has_value()) << testing::PrintToString(pattern);
    if (!reference) continue;
    ++valid;
    for (int k = 0; k < 12; ++k) {
      std::wstring text(pick(7), L'a');
      for (wchar_t& c : text) c = L"abAB1.(]"[pick(8)];
      const bool expected = std::regex_match(text, *reference);
      matches += expected;
      ASSERT_EQ(matcher.Matches(text), expected)
          << testing::PrintToString(pattern) << " icase " << ignoreCase << " against " << testing::PrintToString(text);
    }
  }
  EXPECT_GT(valid, 1000);
  EXPECT_GT(matches, 1000);
}

}  // namespace
}  // namespace nagitome
