#include "exe_test.h"

namespace nagitome::e2e {
namespace {

using OutcomeTest = ExeTest;

TEST_F(OutcomeTest, TheRunWaitsForWhatItAskedAndForcesOnlyWhatIgnoresIt) {
  const auto run = [&](const std::vector<TaskEntry>& entries, const std::wstring& options, DWORD code) {
    const std::wstring log = folder_.File(L"run" + std::to_wstring(code) + L".log");
    const std::wstring list = WriteList(L"list.txt", entries);
    EXPECT_EQ(Run(L"/e " + Quote(list) + L" /log " + Quote(log) + options, {.answer = true}).code, code);
    Lines lines = LogLines(log, "(outcome|end|bad option)\t.*");
    for (std::string& line : lines) line = std::regex_replace(line, std::regex("0x[0-9A-F]{8,}|\\t0$"), "");
    return lines;
  };
  const auto probe = [&](const std::wstring& name, const std::wstring& options) {
    Probe(L"-", name + u_, options, name + u_ + L".exe");
    return Te(L"010" + name + u_);
  };
  const TaskEntry closes = probe(L"Closes", L"");
  const TaskEntry ignores = probe(L"Ignores", L"--ignore-close");
  const TaskEntry prompts = probe(L"Prompts", L"--prompt-on-close");
  const TaskEntry hangs = probe(L"Hangs", L"--hang-on-close");
  probe(L"Killed", L"--count 0");
  EXPECT_EQ(run({closes, ignores, prompts, hangs, Te(L"130Killed" + u_ + L".exe")}, L"", 4), (Lines{
      "outcome\t\t1\tclosed",
      "outcome\t\t2\tstill open",
      "outcome\t\t3\tprompting",
      "outcome\t\t4\tnot responding",
      "outcome\t" + std::to_string(probes_[4].process.id()) + "\t5\tended",
      "end\tcloses 4\tkills 1\trejected 0\tcut short 0\tclosed 1\tended 1\tprompting 1\tnot responding 1"
      "\tstill open 1\texit 4"}));
  EXPECT_TRUE(probes_[1].process.Running());
  // Entries cut short on the slow title hold the actions back until the last probe has gone.
  Probe(std::wstring(400, L'a'), L"Slow" + u_);
  probe(L"Gone", L"--count 0 --exit-on " + Quote(folder_.File(L"run1.log")));
  const TaskEntry cut = Te(L"001(a*)*\\1[b]");
  const TaskEntry gone = Te(L"130Gone" + u_ + L".exe");
  EXPECT_EQ(run({cut, cut, cut, ignores, prompts, gone}, L" /FORCE 1 /wait 3", 1), (Lines{
      "outcome\t\t4\tforced ended",
      "outcome\t\t5\tprompting",
      "outcome\t" + std::to_string(probes_[6].process.id()) + "\t6\tgone",
      "end\tcloses 2\tkills 1\trejected 0\tcut short 3\tprompting 1\tgone 1\tforced ended 1\texit 1"}));
  EXPECT_TRUE(probes_[2].process.Running());
  const std::string nothing = "end\tcloses 0\tkills 0\trejected 0\tcut short 0\texit 2";
  EXPECT_EQ(run({prompts}, L" /wait 61", 2), (Lines{"bad option\t/wait", nothing}));
}

}  // namespace
}  // namespace nagitome::e2e
