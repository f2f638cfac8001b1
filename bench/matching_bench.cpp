// Matching costs: wildcard worst case against one linear pass, typical keywords, and the
// regular expressions a user could type to stall a run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <regex>
#include <string>

#include "engine/bounded_regex.h"
#include "engine/keyword_matcher.h"
#include "engine/wildcard.h"

namespace nagitome {
namespace {

const std::wstring kAs(1023, L'a');
// A budget no benchmark loop reaches, so every iteration really matches.
constexpr std::chrono::hours kEndless{24 * 365};

void BM_WildcardWorstCase(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(WildcardMatch(L"*a*a*a*a*a*a*a*b", kAs));
}
BENCHMARK(BM_WildcardWorstCase);

// The floor: one pass over the same text.
void BM_LinearPassBaseline(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kAs.data());
    benchmark::DoNotOptimize(std::wstring_view(kAs).find(L'b'));
  }
}
BENCHMARK(BM_LinearPassBaseline);

const struct { const wchar_t* pattern; const wchar_t* text; } kTypical[] = {
    {L"note*", L"notepad.exe"}, {L"*.exe", L"notepad.exe"}, {L"*Notepad", L"memo.txt - Notepad"},
    {L"calc.exe", L"notepad.exe"}};

void BM_WildcardTypical(benchmark::State& state) {
  const auto& c = kTypical[state.range(0)];
  const std::wstring text = c.text;
  for (auto _ : state) benchmark::DoNotOptimize(WildcardMatch(c.pattern, text));
  state.SetLabel(std::string(c.pattern, c.pattern + std::wcslen(c.pattern)));
}
BENCHMARK(BM_WildcardTypical)->DenseRange(0, 3);

void BM_RegexCompileTypical(benchmark::State& state) {
  for (auto _ : state) {
    KeywordMatcher matcher(L"note(pad)?\\.exe|calc.*", MatchMethod::RegexIgnoreCase);
    benchmark::DoNotOptimize(matcher.IsValid());
  }
}
BENCHMARK(BM_RegexCompileTypical);

const wchar_t* const kOrdinary[] = {L"note(pad)?\\.exe|calc.*", L"note.*", L".*pad\\.exe"};
const std::wstring kCandidates[] = {L"notepad.exe", L"explorer.exe", L"Calculator", L"svchost.exe"};

void BM_RegexPreparedPerCandidate(benchmark::State& state) {
  KeywordMatcher matcher(kOrdinary[state.range(0)], MatchMethod::RegexIgnoreCase, kEndless);
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(matcher.Matches(kCandidates[i++ & 3]));
}
BENCHMARK(BM_RegexPreparedPerCandidate)->DenseRange(0, 2);

// Ignoring case over Japanese titles: the literal filter folds every unit of a title and turns
// away the first three; the fourth it admits, and the executor folds as it goes.
void BM_RegexIgnoreCaseJapaneseTitle(benchmark::State& state) {
  KeywordMatcher matcher(L".*ｍｅｍｏ\\.txt - .*", MatchMethod::RegexIgnoreCase, kEndless);
  const std::wstring titles[] = {L"無題 - メモ帳", L"今日のおすすめ - 広告", L"Ωmega Ärger - ドキュメント", L"ＭＥＭＯ.txt - メモ帳"};
  const std::wstring& title = titles[state.range(0)];
  for (auto _ : state) benchmark::DoNotOptimize(matcher.Matches(title));
}
BENCHMARK(BM_RegexIgnoreCaseJapaneseTitle)->DenseRange(0, 3);

// What the bound costs: the automaton on its own (0) against the same automaton counting its
// steps (1), without the literal filter in front.
void BM_BoundOverPlainAutomaton(benchmark::State& state) {
  const std::wregex regex(L"note.*", std::regex::ECMAScript | std::regex::icase | std::regex_constants::__polynomial);
  const auto deadline = std::chrono::steady_clock::now() + kEndless;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::wstring& text = kCandidates[i++ & 3];
    if (state.range(0) == 0) benchmark::DoNotOptimize(std::regex_match(text, regex));
    else benchmark::DoNotOptimize(BoundedRegexMatch(regex, text, deadline));
  }
}
BENCHMARK(BM_BoundOverPlainAutomaton)->DenseRange(0, 1);

// The facility's default (backtracking) executor on the same pattern, for comparison.
void BM_DefaultExecutorPerCandidate(benchmark::State& state) {
  const std::wregex regex(kOrdinary[0], std::regex::ECMAScript | std::regex::icase);
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(std::regex_match(kCandidates[i++ & 3], regex));
}
BENCHMARK(BM_DefaultExecutorPerCandidate);

std::wstring Adversarial(int index) {
  const std::wstring nested = std::wstring(1000, L'(') + L"a*" + std::wstring(1000, L')');
  // "[b]", not "b": a plain literal lets the filter refuse the text before the executor runs.
  const std::wstring patterns[] = {L"(a*)*[b]", L"(a|aa)*[c]", L"(a|a)*[b]", L"a{100000}", nested};
  return patterns[index];
}

// One test against the 1023-unit text, the matcher prepared beforehand.
void BM_AdversarialRegexTest(benchmark::State& state) {
  const std::wstring pattern = Adversarial(static_cast<int>(state.range(0)));
  KeywordMatcher matcher(pattern, MatchMethod::RegexCaseSensitive, kEndless);
  for (auto _ : state) benchmark::DoNotOptimize(matcher.Matches(kAs));
  state.SetLabel(std::string(pattern.begin(), pattern.begin() + std::min<std::size_t>(pattern.size(), 12)) +
                 (matcher.IsValid() ? "" : " (rejected)"));
}
BENCHMARK(BM_AdversarialRegexTest)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_AdversarialRegexCompile(benchmark::State& state) {
  const std::wstring pattern = Adversarial(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    KeywordMatcher matcher(pattern, MatchMethod::RegexCaseSensitive);
    benchmark::DoNotOptimize(matcher.IsValid());
  }
}
BENCHMARK(BM_AdversarialRegexCompile)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// Patterns that would run for minutes or longer: each test stops at the entry's budget, on this
// thread; "over_budget" is the time to give up over the budget.
void BM_GivesUpAtTheBudget(benchmark::State& state) {
  const wchar_t* patterns[] = {L"(a*)*\\1[b]", L"(a+)+\\1[b]", L"(a|aa)*\\1[c]", L"(?:.{0,900}){0,50}\\d"};
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    KeywordMatcher matcher(patterns[state.range(0)], MatchMethod::RegexCaseSensitive);
    benchmark::DoNotOptimize(matcher.Matches(kAs));
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!matcher.GaveUp()) state.SkipWithError("finished without giving up");
  }
  state.counters["over_budget"] = seconds / std::chrono::duration<double>(kRegexBudgetPerEntry).count();
}
BENCHMARK(BM_GivesUpAtTheBudget)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nagitome

BENCHMARK_MAIN();
