// What became of each action, as "/e" logs it against probes that close, ignore the close, ask
// first, stop answering, are killed, or are gone before the run acts; exit code 4, and the force.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <regex>
#include <sstream>

#include "probe_client.h"
#include "tasks/task_file_format.h"

namespace nagitome {
namespace {

using namespace probes;
using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;
using Lines = std::vector<std::string>;

class OutcomeRunTest : public testing::Test {
 protected:
  WindowProbe& Probe(const std::wstring& className, WindowProbeOptions options = {},
                     const std::wstring& title = L"probe") {
    const std::wstring image = L"out-" + className + L".exe";
    EXPECT_TRUE(StartWindowProbe(folder_, probes_.emplace_back(), title, className, image, options));
    return probes_.back();
  }
  // The list run with options; its exit code, and the log's outcome and end lines, stamps left out.
  DWORD Run(const std::vector<TaskEntry>& entries, const std::wstring& options, Lines& lines) {
    EXPECT_TRUE(WriteFileBytes(list_, EncodeTaskList(entries)));
    ChildProcess run;
    const std::wstring arguments = L"/e " + Quote(list_) + L" /log " + Quote(log_) + options;
    EXPECT_TRUE(run.Start(WindowsPath(L"" NAGITOME_EXE), arguments));
    EXPECT_TRUE(run.WaitForExit(60000));
    std::istringstream log(ReadFileBytes(log_));
    for (std::string line; std::getline(log, line, '\r');) {
      log.ignore(1);  // the LF
      const std::string fields = line.substr(line.find('\t') + 1);
      if (fields.starts_with("outcome\t") || fields.starts_with("end\t")) lines.push_back(fields);
    }
    return run.ExitCode();
  }
  static void ExpectLines(const Lines& lines, const Lines& patterns) {
    ASSERT_EQ(lines.size(), patterns.size()) << testing::PrintToString(lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << lines[i] << " ~ " << patterns[i];
    }
  }

  TempFolder folder_;
  const std::wstring list_ = folder_.File(L"list.txt");
  const std::wstring log_ = folder_.File(L"run.log");
  std::deque<WindowProbe> probes_;
  const std::wstring u_ = UniqueSuffix();
};

TaskEntry CloseClass(const std::wstring& className) {
  return {E::CloseWindow, T::WindowClass, M::Wildcard, className};
}

// One run waits out what is left: a window that closes, one that ignores it, one that asks, one
// that hangs, and a process killed; 4 since some did not end.
TEST_F(OutcomeRunTest, TheRunWaitsAndSaysWhatWasLeft) {
  Probe(L"Closes" + u_);
  const WindowProbe& ignores = Probe(L"Ignores" + u_, {.ignoreClose = true});
  const WindowProbe& prompts = Probe(L"Prompts" + u_, {.onClose = L"--prompt-on-close"});
  Probe(L"Hangs" + u_, {.onClose = L"--hang-on-close"});
  const WindowProbe& killed = Probe(L"Killed" + u_, {.count = 0});
  Lines lines;
  const std::vector<TaskEntry> entries = {
      CloseClass(L"Closes" + u_),
      CloseClass(L"Ignores" + u_),
      CloseClass(L"Prompts" + u_),
      CloseClass(L"Hangs" + u_),
      {E::Taskkill, T::ProcessName, M::Wildcard, killed.imageName},
  };
  EXPECT_EQ(Run(entries, L"", lines), 4u);
  const std::string pid = std::to_string(killed.process.id());
  ExpectLines(lines, {
      "outcome\t0x[0-9A-F]{8,}\t1\tclosed",
      "outcome\t0x[0-9A-F]{8,}\t2\tstill open",
      "outcome\t0x[0-9A-F]{8,}\t3\tprompting",
      "outcome\t0x[0-9A-F]{8,}\t4\tnot responding",
      "outcome\t" + pid + "\t5\tended(\t0)?",
      "end\tcloses 4\tkills 1\trejected 0\tcut short 0\tclosed 1\tended 1\tprompting 1\tnot responding 1"
      "\tstill open 1\texit 4",
  });
  EXPECT_TRUE(ignores.process.Running());
  EXPECT_TRUE(prompts.process.Running());
}

// "/force 1": the window that ignores its close has its process ended, the one that asks is left
// alone. Entries cut short hold the actions back until the process of the last is gone.
TEST_F(OutcomeRunTest, TheForceEndsWhatIgnoresItsCloseButNeverAPrompt) {
  Probe(L"Slow" + u_, {}, std::wstring(400, L'a') + L"!");  // what the regex is cut short on
  const WindowProbe& ignores = Probe(L"Ignores" + u_, {.ignoreClose = true});
  const WindowProbe& prompts = Probe(L"Prompts" + u_, {.onClose = L"--prompt-on-close"});
  const WindowProbe& gone = Probe(L"Gone" + u_, {.count = 0, .exitOn = log_});
  const TaskEntry cut{E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(a*)*\\1[b]"};
  Lines lines;
  const std::vector<TaskEntry> entries = {
      cut,
      cut,
      cut,
      CloseClass(L"Ignores" + u_),
      CloseClass(L"Prompts" + u_),
      {E::Taskkill, T::ProcessName, M::Wildcard, gone.imageName},
  };
  EXPECT_EQ(Run(entries, L" /FORCE 1 /wait 3", lines), 1u);
  ExpectLines(lines, {
      "outcome\t0x[0-9A-F]{8,}\t4\tforced ended(\t0)?",
      "outcome\t0x[0-9A-F]{8,}\t5\tprompting",
      "outcome\t" + std::to_string(gone.process.id()) + "\t6\tgone",
      "end\tcloses 2\tkills 1\trejected 0\tcut short 3\tprompting 1\tgone 1\tforced ended 1\texit 1",
  });
  EXPECT_FALSE(ignores.process.Running());
  EXPECT_TRUE(prompts.process.Running());
}

}  // namespace
}  // namespace nagitome
