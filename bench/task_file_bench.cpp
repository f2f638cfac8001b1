// Loading and saving a 10,000-entry task list, against a plain read of the same bytes.
// Targets: load and save each under 50 ms. The decoder on files of one line, of only CR and of
// only NUL: time per unit within 2x that of ordinary 50-unit lines of the same size.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tasks/file_store.h"
#include "tasks/message.h"
#include "tasks/task_file.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"

namespace nagitome {
namespace {

constexpr int kEntries = 10000;

std::filesystem::path g_dir;
std::wstring g_path;       // the saved list, as the program names it
std::string g_narrowPath;  // the same file for the plain read
std::vector<TaskEntry> g_entries;
std::string g_bytes;

// A list like one a user keeps: window titles, classes, process names, some Japanese.
std::vector<TaskEntry> MakeEntries() {
  const std::wstring keywords[] = {
      L"*notepad*", L"^Untitled - .*$", L"calc.exe", L"Chrome_WidgetWin_1",
      L"\x30E1\x30E2\x5E33 - *", L"setup*.exe", L"(?i)update available.*",
      L"\x5E83\x544A\xFF08\x30DD\x30C3\x30D7\x30A2\x30C3\x30D7\xFF09\tad"};
  std::vector<TaskEntry> entries(kEntries);
  for (int i = 0; i < kEntries; ++i) {
    TaskEntry& e = entries[static_cast<std::size_t>(i)];
    e.EndMethod = static_cast<EndMethod>(i % 2);
    e.MatchTarget = static_cast<MatchTarget>(i % 4);
    e.MatchMethod = static_cast<MatchMethod>(i % 3);
    e.Keyword = keywords[i % 8] + L" " + std::to_wstring(i);
  }
  return entries;
}

std::string ReadPlain() {
  std::string bytes;
  std::FILE* f = std::fopen(g_narrowPath.c_str(), "rb");
  if (!f) return bytes;
  char chunk[1 << 16];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  std::fclose(f);
  return bytes;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The best of several plain reads: the yardstick for the file operations.
double PlainReadSeconds() {
  static const double seconds = [] {
    double best = 1e9;
    for (int i = 0; i < 30; ++i) {
      const auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(ReadPlain());
      best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    }
    return best;
  }();
  return seconds;
}

// Runs the loop and reports the time per iteration as a multiple of a plain read.
template <typename Body>
void RunAgainstPlainRead(benchmark::State& state, Body body) {
  const double baseline = PlainReadSeconds();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) body();
  const double perIteration =
      Seconds(std::chrono::steady_clock::now() - start) / static_cast<double>(state.iterations());
  state.counters["x_plain_read"] = perIteration / baseline;
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_bytes.size()));
}

void BM_PlainRead(benchmark::State& state) {
  RunAgainstPlainRead(state, [] { benchmark::DoNotOptimize(ReadPlain()); });
}

void BM_LoadTaskListFile(benchmark::State& state) {
  RunAgainstPlainRead(state, [] {
    if (!LoadTaskListFile(g_path)) std::abort();
  });
  if (TheTaskList().Entries() != g_entries) state.SkipWithError("loaded list differs");
}

void BM_SaveTaskListFile(benchmark::State& state) {
  TheTaskList().ReplaceEntries(g_entries);
  RunAgainstPlainRead(state, [] {
    if (!SaveTaskListFile(g_path)) std::abort();
  });
  if (ReadPlain() != g_bytes) state.SkipWithError("saved file differs");
}

void BM_DecodeTaskList(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(DecodeTaskList(g_bytes));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_bytes.size()));
}

void BM_EncodeTaskList(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EncodeTaskList(g_entries));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_bytes.size()));
}

// UTF-16 files of `units` units: ordinary 50-unit lines, or one line without LF, or only CR,
// or only NUL.
enum Shape { kLines, kOneLine, kOnlyCr, kOnlyNul };

std::string MakeFile(Shape shape, std::size_t units) {
  const std::u16string line = u"1\t0\t0\t" + std::u16string(42, u'k') + u"\r\n";
  const std::u16string head = u"0\t0\t0\t";
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + 2 * units);
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t unit = shape == kLines ? line[i % line.size()]
                          : shape == kOneLine ? (i < head.size() ? head[i] : u'z')
                          : shape == kOnlyCr  ? u'\r'
                                              : u'\0';
    bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  }
  return bytes;
}

// CPU time of this thread: the machine is shared, so wall time says little about the decoder.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// CPU seconds per decode of `bytes`, the best of a few.
double DecodeSeconds(const std::string& bytes) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const double start = CpuSeconds();
    benchmark::DoNotOptimize(DecodeTaskList(bytes));
    best = std::min(best, CpuSeconds() - start);
  }
  return best;
}

// Args: shape, millions (2^20) of units.
void BM_DecodeShape(benchmark::State& state) {
  const std::size_t units = static_cast<std::size_t>(state.range(1)) << 20;
  const double lineSeconds = DecodeSeconds(MakeFile(kLines, units));
  const std::string bytes = MakeFile(static_cast<Shape>(state.range(0)), units);
  const double start = CpuSeconds();
  for (auto _ : state) benchmark::DoNotOptimize(DecodeTaskList(bytes));
  const double seconds = (CpuSeconds() - start) / static_cast<double>(state.iterations());
  state.counters["ns_per_unit"] = seconds * 1e9 / static_cast<double>(units);
  state.counters["x_50_unit_lines"] = seconds / lineSeconds;
  state.SetLabel(std::array{"50-unit lines", "one line", "only CR", "only NUL"}[state.range(0)]);
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTaskListFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTaskListFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTaskList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeTaskList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeShape)
    ->ArgsProduct({{kOneLine, kOnlyCr, kOnlyNul}, {1, 8, 64}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nagitome

int main(int argc, char** argv) {
  using namespace nagitome;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  std::string dir = (std::filesystem::temp_directory_path() / "task_file_bench.XXXXXX").string();
  if (!mkdtemp(dir.data())) return 1;
  g_dir = dir;
  g_narrowPath = (g_dir / "list.txt").string();
  g_path.assign(g_narrowPath.begin(), g_narrowPath.end());
  SetMessageSink([](std::wstring_view, MessageIcon) {});

  g_entries = MakeEntries();
  g_bytes = EncodeTaskList(g_entries);
  TheTaskList().ReplaceEntries(g_entries);
  const bool saved = SaveTaskListFile(g_path);
  if (saved) benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::error_code ignored;
  std::filesystem::remove_all(g_dir, ignored);
  return saved ? 0 : 1;
}
