// What "/e" logs became of each action against probes that close, ignore it, ask, hang, are killed
// or are gone before the run acts; exit code 4, what "/force" ends, and a "/wait" out of range.
#include <regex>

#include "exe_test.h"

namespace nagitome {
namespace {

using namespace probes;
using OutcomeTest = e2e::ExeTest;
using E = EndMethod;
using T = MatchTarget;

TEST_F(OutcomeTest, TheRunWaitsForWhatItAskedAndForcesOnlyWhatIgnoresIt) {
  const std::wstring u = UniqueSuffix();
  int runs = 0;
  // A probe of class and image name+u; the entry that closes its window, or kills it by name.
  const auto probe = [&](const std::wstring& name, WindowProbeOptions options, bool kill = false) {
    Probe(name == L"Slow" ? std::wstring(400, L'a') + L"!" : L"-", name + u, options, name + u + L".exe");
    if (kill) return TaskEntry{E::Taskkill, T::ProcessName, MatchMethod::Wildcard, name + u + L".exe"};
    return TaskEntry{E::CloseWindow, T::WindowClass, MatchMethod::Wildcard, name + u};
  };
  // Each run's outcome and end lines (or its bad option), window handles and taskkill codes left out.
  const auto run = [&](const std::vector<TaskEntry>& entries, const std::wstring& options, DWORD code) {
    const std::wstring log = folder_.File(L"run" + std::to_wstring(++runs) + L".log");
    const std::wstring arguments = L"/e " + Quote(WriteList(L"list.txt", entries)) + L" /log " + Quote(log);
    EXPECT_EQ(Run(arguments + options, {.answer = true}).code, code);
    const std::string text = ReadFileBytes(log);
    const std::regex line("\\t((outcome|end|bad option)\\t[^\\r]*)\\r\\n");
    std::vector<std::string> lines;
    for (std::sregex_iterator m(text.begin(), text.end(), line); m != std::sregex_iterator(); ++m) {
      lines.push_back(std::regex_replace((*m)[1].str(), std::regex("0x[0-9A-F]{8,}|\\t0$"), ""));
    }
    return lines;
  };
  const TaskEntry closes = probe(L"Closes", {});
  const TaskEntry ignores = probe(L"Ignores", {.onClose = L"--ignore-close"});
  const TaskEntry prompts = probe(L"Prompts", {.onClose = L"--prompt-on-close"});
  const TaskEntry hangs = probe(L"Hangs", {.onClose = L"--hang-on-close"});
  const TaskEntry killed = probe(L"Killed", {.count = 0}, true);
  EXPECT_EQ(run({closes, ignores, prompts, hangs, killed}, L"", 4), (std::vector<std::string>{
      "outcome\t\t1\tclosed",
      "outcome\t\t2\tstill open",
      "outcome\t\t3\tprompting",
      "outcome\t\t4\tnot responding",
      "outcome\t" + std::to_string(probes_[4].process.id()) + "\t5\tended",
      "end\tcloses 4\tkills 1\trejected 0\tcut short 0\tclosed 1\tended 1\tprompting 1\tnot responding 1"
      "\tstill open 1\texit 4"}));
  EXPECT_TRUE(probes_[1].process.Running());
  // Entries cut short on the slow title hold the actions back until the last probe has gone, half a
  // second after the run's start line.
  probe(L"Slow", {});
  const TaskEntry cut{E::CloseWindow, T::WindowTitle, MatchMethod::RegexCaseSensitive, L"(a*)*\\1[b]"};
  const TaskEntry gone = probe(L"Gone", {.count = 0, .exitOn = folder_.File(L"run2.log")}, true);
  EXPECT_EQ(run({cut, cut, cut, ignores, prompts, gone}, L" /FORCE 1 /wait 3", 1), (std::vector<std::string>{
      "outcome\t\t4\tforced ended",
      "outcome\t\t5\tprompting",
      "outcome\t" + std::to_string(probes_[6].process.id()) + "\t6\tgone",
      "end\tcloses 2\tkills 1\trejected 0\tcut short 3\tprompting 1\tgone 1\tforced ended 1\texit 1"}));
  EXPECT_FALSE(probes_[1].process.Running());
  EXPECT_TRUE(probes_[2].process.Running());
  const std::string nothing = "end\tcloses 0\tkills 0\trejected 0\tcut short 0\texit 2";
  EXPECT_EQ(run({prompts}, L" /wait 61", 2), (std::vector<std::string>{"bad option\t/wait", nothing}));
}

}  // namespace
}  // namespace nagitome
