#include "engine/keyword_matcher.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

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
                              L"a{1,18446744073709551619}", L"(a)\\15555555555", L"(a)\\4294967297"}) {
    for (const MatchMethod method : {kCase, kNoCase}) {
      KeywordMatcher matcher(keyword, method);
      EXPECT_FALSE(matcher.IsValid()) << testing::PrintToString(std::wstring(keyword));
      EXPECT_FALSE(matcher.Matches(keyword));
      EXPECT_FALSE(matcher.Matches(L"a"));
    }
    EXPECT_TRUE(KeywordMatcher(keyword, kWild).IsValid());  // every wildcard pattern is valid
  }
}

// Each hostile case comes back answered or given up, on this thread, about when its budget
// runs out; the generous bound only tells a bounded test from an unbounded one.
TEST(KeywordMatcherTest, HostilePatternsAreBoundedOnTheAskingThread) {
  const std::wstring as(1023, L'a');
  const std::wstring nested = std::wstring(1000, L'(') + L"a*" + std::wstring(1000, L')');
  enum Outcome { kNo, kYes, kGaveUp };
  const struct { std::wstring keyword, text; std::chrono::milliseconds budget; Outcome outcome; } cases[] = {
      {L"(a*)*b", as, 50ms, kNo},     {L"(a|aa)*c", as, 50ms, kNo},   {L"(a+)+", as, 50ms, kYes},
      {nested, as, 10s, kYes},        {L"a{100000}", as, 50ms, kNo},
      {L"(a*)*\\1[b]", as, 50ms, kGaveUp}, {L"(a+)+\\1[b]", as, 50ms, kGaveUp}, {L"(a|aa)*\\1[c]", as, 50ms, kGaveUp},
      {L"(?:.{0,900}){0,50}\\d", as, 50ms, kGaveUp},
      {L"()\\1=**a=***.************a*y*.*\\x1f", L"aa", 50ms, kGaveUp},  // repeats of nothing
  };
  for (const auto& c : cases) {
    KeywordMatcher matcher(c.keyword, kCase, c.budget);
    const auto start = std::chrono::steady_clock::now();
    const bool matched = matcher.Matches(c.text);
    EXPECT_LT(std::chrono::steady_clock::now() - start, c.budget + 2s);
    EXPECT_EQ(matched ? kYes : matcher.GaveUp() ? kGaveUp : kNo, c.outcome) << testing::PrintToString(c.keyword.substr(0, 12));
    if (c.outcome == kGaveUp) {
      EXPECT_FALSE(matcher.Matches(L"aab")) << "after giving up nothing matches";
    }
  }
}

// The budget is the entry's, over all its tests: cheap tests add up to it, and a roomy budget
// is never spent by answers alone.
TEST(KeywordMatcherTest, TheBudgetIsSpentOverAllTestsOfAnEntry) {
  const std::wstring as(1000, L'a');
  KeywordMatcher matcher(L".{0,100}\\d", kCase, 50ms);
  int tests = 0;
  while (!matcher.GaveUp() && tests < 100000) {
    ASSERT_FALSE(matcher.Matches(as));
    ++tests;
  }
  EXPECT_TRUE(matcher.GaveUp());
  EXPECT_GT(tests, 1) << "one test alone must fit the budget";
  KeywordMatcher roomy(L"(a|b)\\1", kCase, 10s);
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(roomy.Matches(i % 2 ? L"aa" : L"bb"));
  EXPECT_FALSE(roomy.GaveUp());
}

// A backtracking test deeper than the thread's stack gives up instead of overflowing it.
TEST(KeywordMatcherTest, ADeepTestOnASmallStackGivesUp) {
  struct Run {
    bool matched = true, gaveUp = false;
    void Test() {
      KeywordMatcher matcher(L"(a)\\1(?:a|b)*[c]", kCase, 10s);
      matched = matcher.Matches(std::wstring(1023, L'a'));
      gaveUp = matcher.GaveUp();
    }
  } run;
  constexpr unsigned kStackBytes = 256 << 10;
#ifdef _WIN32
  // The size must be the reservation: a thread otherwise reserves as much as the main thread.
  const HANDLE thread = CreateThread(nullptr, kStackBytes, [](void* arg) -> DWORD { static_cast<Run*>(arg)->Test(); return 0; },
                                     &run, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
#else
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, kStackBytes);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, [](void* arg) -> void* { static_cast<Run*>(arg)->Test(); return nullptr; }, &run), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
#endif
  EXPECT_FALSE(run.matched);
  EXPECT_TRUE(run.gaveUp);
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
    for (int k = 0; k < 12; ++k) {
      std::wstring text(pick(7), L'a');
      for (wchar_t& c : text) c = L"abAB1.(]"[pick(8)];
      ASSERT_EQ(matcher.Matches(text), std::regex_match(text, *reference))
          << testing::PrintToString(pattern) << " icase " << ignoreCase << " against " << testing::PrintToString(text);
    }
  }
}

}  // namespace
}  // namespace nagitome
