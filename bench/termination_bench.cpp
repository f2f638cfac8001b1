// A whole run over a large fake desktop: 10,000 windows, 2,000 processes, 100 mixed entries.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <iterator>
#include <string>
#include <vector>

#include "engine/preview.h"
#include "engine/rule_set.h"
#include "engine/snapshot.h"
#include "engine/termination.h"
#include "tests/support/fake_desktop.h"

namespace nagitome {
namespace {

constexpr int kWindows = 10000, kProcesses = 2000, kEntries = 100;

FakeDesktop LargeDesktop() {
  FakeDesktop desk;
  desk.recordActions = false;
  for (int p = 0; p < kProcesses; ++p) {
    desk.AddProcess(4 * p + 4, L"\\Device\\HarddiskVolume2\\Program Files\\App" + std::to_wstring(p) +
                                   L"\\app" + std::to_wstring(p) + L".exe");
  }
  for (int w = 0; w < kWindows; ++w) {
    desk.AddWindow(0x10000 + w, 4 * (w % kProcesses) + 4,
                   L"Document " + std::to_wstring(w) + L" - Editor", L"Class" + std::to_wstring(w % 300));
  }
  return desk;
}

// Every target with both end methods; keywords: 0 all kinds in turn, 1 wildcards, 2 regexes.
TaskList MixedList(int kinds, int& candidates) {
  const struct { MatchMethod method; const wchar_t* keyword; } keywords[] = {
      {MatchMethod::Wildcard, L"*Document 9?? -*"},       {MatchMethod::Wildcard, L"Class1?"},
      {MatchMethod::Wildcard, L"app3*.exe"},               {MatchMethod::Wildcard, L"*（Class2*）"},
      {MatchMethod::RegexCaseSensitive, L"Document [0-9]+7 - .*"},
      {MatchMethod::RegexIgnoreCase, L"CLASS[0-9]{3}"},
      {MatchMethod::RegexCaseSensitive, L"app(12|34)[0-9]*\\.exe"},
      {MatchMethod::RegexIgnoreCase, L".*editor（class5.*"},
      {MatchMethod::Wildcard, L"notepad.exe"},             {MatchMethod::RegexCaseSensitive, L"Calc.*"},
  };
  std::vector<const wchar_t*> chosen;
  std::vector<MatchMethod> methods;
  for (const auto& k : keywords) {
    if (kinds == 0 || (kinds == 1) == (k.method == MatchMethod::Wildcard)) {
      chosen.push_back(k.keyword);
      methods.push_back(k.method);
    }
  }
  std::vector<TaskEntry> entries;
  candidates = 0;
  for (int i = 0; i < kEntries; ++i) {
    const std::size_t k = i % chosen.size();
    const auto target = static_cast<MatchTarget>(i % 4);
    const auto end = static_cast<EndMethod>((i / 4) % 2);
    entries.push_back({end, target, methods[k], chosen[k]});
    candidates += end == EndMethod::Taskkill && target == MatchTarget::ProcessName ? kProcesses : kWindows;
  }
  TaskList list;
  list.ReplaceEntries(entries);
  return list;
}

void BM_RunTermination(benchmark::State& state) {
  FakeDesktop desk = LargeDesktop();
  int candidates = 0;
  const TaskList list = MixedList(static_cast<int>(state.range(0)), candidates);
  for (auto _ : state) benchmark::DoNotOptimize(RunTermination(list, desk));
  state.counters["candidates"] = candidates;
  state.counters["per_candidate"] =
      benchmark::Counter(candidates, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RunTermination)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// A desktop of a busy user: 500 windows, 300 processes, and 50 regex entries of the kinds
// people write, over every target.
void BM_RealisticRegexRun(benchmark::State& state) {
  FakeDesktop desk;
  desk.recordActions = false;
  const wchar_t* apps[] = {L"explorer", L"editor", L"mail", L"browser", L"chat", L"player", L"terminal", L"updater"};
  for (int p = 0; p < 300; ++p) {
    desk.AddProcess(4 * p + 4, L"\\Device\\HarddiskVolume2\\Program Files\\" + std::wstring(apps[p % 8]) +
                                   L"\\" + apps[p % 8] + std::to_wstring(p / 8) + L".exe");
  }
  for (int w = 0; w < 500; ++w) {
    desk.AddWindow(0x10000 + w, 4 * (w % 300) + 4,
                   L"Report " + std::to_wstring(w) + L".txt - " + apps[w % 8] + L" " + std::to_wstring(w % 7),
                   std::wstring(apps[w % 8]) + L"Window" + std::to_wstring(w % 5));
  }
  const wchar_t* patterns[] = {L".* - editor [0-9]", L"updater[0-9]*\\.exe", L"Report 4[0-9]{2}\\.txt.*",
                               L"(chat|mail)[0-9]+\\.exe", L".*Window3", L"player.*（.*）",
                               L"Setup.*", L"[a-z]+Window[0-4]", L".*\\bcrash\\b.*", L"terminal1\\.exe"};
  std::vector<TaskEntry> entries;
  for (int i = 0; i < 50; ++i) {
    const auto method = i % 3 ? MatchMethod::RegexCaseSensitive : MatchMethod::RegexIgnoreCase;
    entries.push_back({static_cast<EndMethod>((i / 4) % 2), static_cast<MatchTarget>(i % 4), method, patterns[i % 10]});
  }
  TaskList list;
  list.ReplaceEntries(entries);
  for (auto _ : state) benchmark::DoNotOptimize(RunTermination(list, desk));
}
BENCHMARK(BM_RealisticRegexRun)->Unit(benchmark::kMillisecond);

// The preview against the run it mirrors over the same desktop, which does nothing: both in
// each iteration, each first in turn; "ratio" is the median preview over the median run, in this thread's CPU
// time, which the other loads of a shared machine disturb less than the wall clock.
void BM_PreviewOverRun(benchmark::State& state) {
  FakeDesktop desk = LargeDesktop();
  int candidates = 0;
  const TaskList list = MixedList(0, candidates);
  std::vector<double> runs, previews;
  std::size_t actions = 0;
  // The preview is freed untimed, so neither pays for freeing the other's snapshot.
  const auto cpu = [] {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
  };
  const auto time = [&](auto&& work) {
    const double start = cpu();
    auto result = work();
    return std::make_pair(cpu() - start, std::move(result));
  };
  bool runFirst = true;
  for (auto _ : state) {
    if (runFirst) runs.push_back(time([&] { return RunTermination(list, desk); }).first);
    auto [seconds, preview] = time([&] { return PreviewTermination(list, desk); });
    previews.push_back(seconds);
    actions = preview.actions.size();
    if (!runFirst) runs.push_back(time([&] { return RunTermination(list, desk); }).first);
    runFirst = !runFirst;
  }
  const auto median = [](std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
  };
  state.counters["actions"] = static_cast<double>(actions);
  state.counters["ratio"] = median(previews) / median(runs);
}
BENCHMARK(BM_PreviewOverRun)->Iterations(31)->Unit(benchmark::kMillisecond);

// What a watcher pays for one new window: the list prepared once, then one window tested against
// every entry, a pass each (the regex budget starts full for every window).
void BM_OneWindowAgainstRuleSet(benchmark::State& state) {
  int candidates = 0;
  RuleSet rules(MixedList(0, candidates));
  const WindowInfo window = DescribeWindow({0x10042, 44, L"Document 4242 - Editor", L"Class142"}, L"app10.exe");
  std::size_t actions = 0;
  for (auto _ : state) {
    rules.BeginPass();
    actions = ActionsFor(rules, window).size();
    benchmark::DoNotOptimize(actions);
  }
  state.counters["actions"] = static_cast<double>(actions);
}
BENCHMARK(BM_OneWindowAgainstRuleSet)->Unit(benchmark::kMicrosecond);

// The snapshots alone: a list whose one entry is blank.
void BM_SnapshotOnly(benchmark::State& state) {
  FakeDesktop desk = LargeDesktop();
  const TaskList list;
  for (auto _ : state) benchmark::DoNotOptimize(RunTermination(list, desk));
}
BENCHMARK(BM_SnapshotOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nagitome

BENCHMARK_MAIN();
