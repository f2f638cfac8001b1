// What "/e" logs became of each action against probes that close, ignore it, ask, hang, are killed
// or are gone before the run acts; exit code 4, what "/force" ends, and a "/wait" out of range.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <regex>

#include "probe_client.h"
#include "tasks/task_file_format.h"

namespace nagitome {
namespace {

using namespace probes;
using E = EndMethod;
using T = MatchTarget;

TEST(OutcomeRunTest, TheRunWaitsForWhatItAskedAndForcesOnlyWhatIgnoresIt) {
  TempFolder folder;
  const std::wstring u = UniqueSuffix();
  const std::wstring list = folder.File(L"list.txt");
  int runs = 0;
  const auto logOf = [&](int run) { return folder.File(L"run" + std::to_wstring(run) + L".log"); };
  std::deque<WindowProbe> p;
  // A probe of class and image name+u; the entry that closes its window, or kills it by name.
  const auto probe = [&](const std::wstring& name, WindowProbeOptions options, bool kill = false) {
    const std::wstring title = name == L"Slow" ? std::wstring(400, L'a') + L"!" : L"-";
    EXPECT_TRUE(StartWindowProbe(folder, p.emplace_back(), title, name + u, name + u + L".exe", options));
    if (kill) return TaskEntry{E::Taskkill, T::ProcessName, MatchMethod::Wildcard, name + u + L".exe"};
    return TaskEntry{E::CloseWindow, T::WindowClass, MatchMethod::Wildcard, name + u};
  };
  const auto run = [&](const std::vector<TaskEntry>& entries, const std::wstring& options, DWORD code,
                       const std::vector<std::string>& expected) {
    ASSERT_TRUE(WriteFileBytes(list, EncodeTaskList(entries)));
    const std::wstring log = logOf(++runs);
    ChildProcess nagitome;
    const std::wstring arguments = L"/e " + Quote(list) + L" /log " + Quote(log) + options;
    ASSERT_TRUE(nagitome.Start(WindowsPath(L"" NAGITOME_EXE), arguments));
    const auto answered = [&] {  // a message box on this desktop: closed as it shows
      for (HWND w : VisibleWindows()) {
        DWORD owner = 0;
        if (GetWindowThreadProcessId(w, &owner) && owner == nagitome.id()) PostMessageW(w, WM_CLOSE, 0, 0);
      }
      return !nagitome.Running();
    };
    ASSERT_TRUE(WaitUntil(answered, 60000, 50));
    EXPECT_EQ(nagitome.ExitCode(), code);
    // The outcome and end lines, window handles and taskkill codes left out.
    const std::string text = ReadFileBytes(log);
    const std::regex line("\\t((outcome|end|bad option)\\t[^\\r]*)\\r\\n");
    std::vector<std::string> lines;
    for (std::sregex_iterator m(text.begin(), text.end(), line); m != std::sregex_iterator(); ++m) {
      lines.push_back(std::regex_replace((*m)[1].str(), std::regex("0x[0-9A-F]{8,}|\\t0$"), ""));
    }
    EXPECT_EQ(lines, expected);
  };
  const TaskEntry closes = probe(L"Closes", {});
  const TaskEntry ignores = probe(L"Ignores", {.ignoreClose = true});
  const TaskEntry prompts = probe(L"Prompts", {.onClose = L"--prompt-on-close"});
  const TaskEntry hangs = probe(L"Hangs", {.onClose = L"--hang-on-close"});
  const TaskEntry killed = probe(L"Killed", {.count = 0}, true);
  run({closes, ignores, prompts, hangs, killed}, L"", 4, {
      "outcome\t\t1\tclosed",
      "outcome\t\t2\tstill open",
      "outcome\t\t3\tprompting",
      "outcome\t\t4\tnot responding",
      "outcome\t" + std::to_string(p[4].process.id()) + "\t5\tended",
      "end\tcloses 4\tkills 1\trejected 0\tcut short 0\tclosed 1\tended 1\tprompting 1\tnot responding 1"
      "\tstill open 1\texit 4"});
  EXPECT_TRUE(p[1].process.Running());
  // Entries cut short on the slow title hold the actions back until the last probe has gone, half a
  // second after the run's start line.
  probe(L"Slow", {});
  const TaskEntry cut{E::CloseWindow, T::WindowTitle, MatchMethod::RegexCaseSensitive, L"(a*)*\\1[b]"};
  const TaskEntry gone = probe(L"Gone", {.count = 0, .exitOn = logOf(2)}, true);
  run({cut, cut, cut, ignores, prompts, gone}, L" /FORCE 1 /wait 3", 1, {
      "outcome\t\t4\tforced ended",
      "outcome\t\t5\tprompting",
      "outcome\t" + std::to_string(p[6].process.id()) + "\t6\tgone",
      "end\tcloses 2\tkills 1\trejected 0\tcut short 3\tprompting 1\tgone 1\tforced ended 1\texit 1"});
  EXPECT_FALSE(p[1].process.Running());
  EXPECT_TRUE(p[2].process.Running());
  const std::string nothing = "end\tcloses 0\tkills 0\trejected 0\tcut short 0\texit 2";
  run({prompts}, L" /wait 61", 2, {"bad option\t/wait", nothing});
}

}  // namespace
}  // namespace nagitome
