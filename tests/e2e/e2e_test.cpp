// Nagitome.exe run as a scheduled task or a script runs it, against probe windows and processes.
#include <cstdio>
#include <map>
#include <regex>
#include <sstream>

#include "exe_test.h"

namespace nagitome {
namespace {

using namespace probes;
using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;
using Lines = std::vector<std::string>;

// Cut short on a long run of "a": its entry's budget runs out first.
constexpr const wchar_t* kCut = L"(a*)*\\1[b]";

// The paths and names here are ASCII.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A path as a log line holds it: backslashes doubled.
std::string Escaped(const std::wstring& path) {
  return std::regex_replace(Narrow(path), std::regex(R"(\\)"), R"(\\)");
}

// A window's handle in eight hexadecimal digits; nothing for none.
std::string Hex(HWND window) {
  if (!window) return "";
  char text[24];
  std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(std::uintptr_t(window)));
  return text;
}

std::string LocalHour() {  // "2026-12-08T13", as a log line stamped now begins
  SYSTEMTIME t{};
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d", t.wYear, t.wMonth, t.wDay, t.wHour);
  return text;
}

// The log's lines after their stamps: ISO 8601 local time in one of the hours, with TZ=IST-5:30's
// offset. "!" marks a line without one or without CR LF, "?" a file without the mark.
Lines LogLines(const std::wstring& path, const std::set<std::string>& hours) {
  std::istringstream in(ReadFileBytes(path));
  Lines lines;
  if (in.peek() != EOF && (in.get() != 0xEF || in.get() != 0xBB || in.get() != 0xBF)) lines.push_back("?");
  static const std::regex stamp(R"((\d{4}-\d\d-\d\dT\d\d):\d\d:\d\d\.\d{3}\+05:30\t(.*)\r)");
  std::smatch m;
  for (std::string line; std::getline(in, line);) {
    const bool stamped = std::regex_match(line, m, stamp) && hours.count(m[1]);
    lines.push_back(stamped ? m[2].str() : "!" + line);
  }
  return lines;
}

using CommandLineTest = e2e::ExeTest;

// Each exit code on the visible desktop (the unseen one is ListSafetyTest's). Only a missing list shows
// anything: its message, then the editor, which alone writes settings. "/p" says why in one line that
// ends with the path.
TEST_F(CommandLineTest, ExitCodesSayHowTheRunWent) {
  Probe(std::wstring(400, L'a') + L"!", L"Slow" + UniqueSuffix());  // what kCut is cut short on
  const std::wstring none = WriteList(L"none.txt", {});
  const std::wstring rejected =
      WriteList(L"rejected.txt", {{.MatchMethod = M::RegexCaseSensitive, .Keyword = L"("}});
  const std::wstring cut = WriteList(L"cut.txt", {{.MatchMethod = M::RegexCaseSensitive, .Keyword = kCut}});
  const std::wstring held = WriteList(L"held.txt", {});
  const HANDLE hold = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const std::wstring missing = folder_.File(L"missing.txt");
  const std::wstring report = folder_.File(L"r.txt");
  const std::wstring unwritable = folder_.File(L"no\\r.txt");
  const struct {
    std::wstring arguments;
    DWORD code;
    std::wstring named = {};  // the path "/p" names
    bool editor = false;
  } cases[] = {
      {L"/p " + Quote(missing) + L" " + Quote(report), 2, missing},
      {L"/p " + Quote(held) + L" " + Quote(report), 2, held},
      {L"/p " + Quote(none) + L" " + Quote(unwritable), 3, unwritable},
      {L"/e " + Quote(rejected), 1},
      {L"/e " + Quote(cut), 1},
      {L"/e " + Quote(missing), 2, {}, true},
      {L"/e " + Quote(none) + L" /log " + Quote(unwritable), 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const Ran ran = Run(c.arguments, {.answer = c.editor});
    EXPECT_EQ(ran.code, c.code);
    EXPECT_EQ(ran.shown.empty(), !c.editor) << testing::PrintToString(ran.shown);
    EXPECT_EQ(TakeSettings(), c.editor);
    EXPECT_EQ(GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ran.error.empty(), c.named.empty());
    if (!c.named.empty()) {
      EXPECT_TRUE(ran.error.ends_with(" " + Narrow(c.named) + "\r\n")) << ran.error;
      EXPECT_EQ(ran.error.find('\n') + 1, ran.error.size()) << ran.error;
    }
  }
  CloseHandle(hold);
}

// "/p" reports what "/e" then ends, as the snapshot reads it: a hidden window whose title holds
// Japanese with a surrogate pair and is cut at 1023 units; a close posted to each window, a taskkill
// for a process without windows and for one whose window ignores its close.
TEST_F(CommandLineTest, PreviewReportsWhatTheRunEnds) {
  const std::wstring u = UniqueSuffix();
  const std::string n = Narrow(u);
  const std::wstring title = L"e2e\\wild\t" + u + L" なぎ止め 😀" + std::wstring(1100, L'm');
  WindowProbe& hidden = Probe(title, L"Hidden" + u);
  WindowProbe& stubborn = Probe(L"stubborn", L"Stubborn" + u, {.ignoreClose = true});
  WindowProbe& named = Probe(L"by name", L"ByName" + u, {}, L"e2e-close-" + u + L"-d.exe");
  WindowProbe& windowless = Probe(L"-", L"-", {.count = 0}, L"e2e-kill-" + u + L".exe");
  ShowWindow(FindWindowW(hidden.className.c_str(), nullptr), SW_HIDE);
  const std::wstring list = WriteList(L"list.txt", {
      {E::CloseWindow, T::WindowTitle, M::Wildcard, L"e2e\\wild\t" + u + L" *"},
      {E::Taskkill, T::WindowClass, M::RegexCaseSensitive, L"Stubborn" + u},
      {E::CloseWindow, T::ProcessName, M::Wildcard, L"e2e-close-" + u + L"-?.exe"},
      {E::Taskkill, T::ProcessName, M::Wildcard, L"e2e-kill-" + u + L".exe"},
  });
  const auto row = [](const std::string& values, const WindowProbe& p, const std::string& text) {
    const std::string window = Hex(FindWindowW(p.className.c_str(), nullptr));
    const std::string pid = std::to_string(p.process.id());
    return values + "\t" + pid + "\t" + Narrow(p.imageName) + "\t" + window + "\t" + text + "\r\n";
  };
  const std::string rest(1023 - 17 - n.size(), 'm');  // 17 units and the suffix come before the m's
  const std::string report = "row\tend\ttarget\tpid\tprocess\twindow\ttext\r\n" +
                             row("1\t0\t0", hidden, "e2e\\\\wild\\t" + n + " なぎ止め 😀" + rest) +
                             row("2\t1\t1", stubborn, "Stubborn" + n) +
                             row("3\t0\t3", named, Narrow(named.imageName)) +
                             row("4\t1\t3", windowless, Narrow(windowless.imageName));
  const std::wstring file = folder_.File(L"report.txt");
  EXPECT_EQ(Run(L"/p " + Quote(list) + L" " + Quote(file)).code, 0u);
  EXPECT_EQ(ReadFileBytes(file), "\xEF\xBB\xBF" + report);
  EXPECT_EQ(Run(L"/P " + Quote(list)).output, report);
  const Ran ran = Run(L"/e " + Quote(list));
  EXPECT_EQ(ran.code, 0u);
  EXPECT_TRUE(ran.shown.empty());
  const std::pair<const WindowProbe*, int> ended[] = {
      {&hidden, 1},
      {&stubborn, 0},
      {&named, 1},
      {&windowless, 0},
  };
  const auto running = [](auto e) { return e.first->process.Running(); };
  WaitUntil([&] { return std::none_of(std::begin(ended), std::end(ended), running); }, 20000);
  for (const auto& [p, closes] : ended) {
    EXPECT_FALSE(p->process.Running()) << testing::PrintToString(p->className);
    EXPECT_EQ(p->Closes(), closes) << testing::PrintToString(p->className);
  }
}

// A new log starts with the mark, every line with the local time and Win32's offset; a run logs its
// actions, then the entries rejected and cut short, then its end; a list not loaded is logged too.
// A run that kills its own process has logged that before.
TEST_F(CommandLineTest, TheLogNamesEveryEvent) {
  const std::wstring u = UniqueSuffix();
  const std::string n = Narrow(u);
  const WindowProbe& slow = Probe(std::wstring(400, L'a') + L"!", L"Slow" + u, {.ignoreClose = true});
  const std::string window = Hex(FindWindowW(slow.className.c_str(), nullptr));
  const std::wstring list = WriteList(L"list.txt", {
      {.MatchTarget = T::WindowClass, .Keyword = L"Slow" + u},
      {.MatchMethod = M::RegexCaseSensitive, .Keyword = kCut},
      {.MatchMethod = M::RegexCaseSensitive, .Keyword = L"(x" + u},
  });
  const std::wstring missing = folder_.File(L"missing.txt");
  const std::wstring self =
      WriteList(L"self.txt", {{E::Taskkill, T::ProcessName, M::Wildcard, L"self-" + u + L".exe"}});
  const std::wstring selfExe = folder_.File(L"self-" + u + L".exe");
  ASSERT_TRUE(CopyFileW(exe_.c_str(), selfExe.c_str(), TRUE));
  const std::wstring log = folder_.File(L"run.log");
  const std::string hour = LocalHour();
  const Ran run = Run(L"/e " + Quote(list) + L" /LOG " + Quote(log) + L" /wait 0");
  const Ran notLoaded = Run(L"/e " + Quote(missing) + L" /log " + Quote(log), {.answer = true});
  const Ran killed = Run(L"/e " + Quote(self) + L" /log " + Quote(log), {.exe = selfExe});
  Lines lines = LogLines(log, {hour, LocalHour()});
  // The run that ends itself may still log its end before the kill lands.
  ASSERT_GE(lines.size(), 11u);
  lines.resize(11);
  EXPECT_TRUE(lines[7].starts_with("not loaded\t")) << lines[7];  // the message is the host tests'
  lines[7] = "not loaded";
  const std::string version = "\t" NAGITOME_VERSION "\tpid ";
  EXPECT_EQ(lines, (Lines{
      "start\t" + Escaped(list) + version + std::to_string(run.pid),
      "close\t0x" + window + "\t1\t" + Narrow(slow.imageName) + "\tSlow" + n,
      "outcome\t0x" + window + "\t1\tnot checked",
      "rejected\t3\t(x" + n,
      "cut short\t2\t(a*)*\\\\1[b]",
      "end\tcloses 1\tkills 0\trejected 1\tcut short 1\tnot checked 1\texit 1",
      "start\t" + Escaped(missing) + version + std::to_string(notLoaded.pid),
      "not loaded",
      "end\tcloses 0\tkills 0\trejected 0\tcut short 0\texit 2",
      "start\t" + Escaped(self) + version + std::to_string(killed.pid),
      "taskkill\t" + std::to_string(killed.pid) + "\t1\tself-" + n + ".exe\tself-" + n + ".exe",
  }));
}

// Two runs appending to one log at once leave every line whole. Writers take turns on one byte far
// past the end: holding it keeps both from writing, letting go sets them racing for it.
TEST_F(CommandLineTest, RunsSharingALogLeaveEveryLineWhole) {
  const std::wstring u = UniqueSuffix();
  constexpr int kWindows = 400;
  const WindowProbe& many = Probe(L"shared", L"SharedLog" + u, {.ignoreClose = true, .count = kWindows});
  const std::wstring list =
      WriteList(L"shared.txt", {{.MatchTarget = T::WindowClass, .Keyword = many.className}});
  const std::wstring log = folder_.File(L"run.log");
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  const HANDLE lock = CreateFileW(log.c_str(), GENERIC_READ, share, nullptr, CREATE_NEW, 0, nullptr);
  OVERLAPPED range{};
  range.OffsetHigh = 0x7FFFFFFF;
  ASSERT_TRUE(LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range));
  ChildProcess runs[2];
  const std::string hour = LocalHour();
  const std::wstring arguments = L"/e " + Quote(list) + L" /log " + Quote(log) + L" /wait 0";
  for (ChildProcess& run : runs) ASSERT_TRUE(run.Start(exe_, arguments));
  EXPECT_FALSE(runs[0].WaitForExit(3000));
  EXPECT_EQ(ReadFileBytes(log), "");
  UnlockFileEx(lock, 0, 1, 0, &range);
  CloseHandle(lock);
  EXPECT_TRUE(runs[0].WaitForExit(60000));
  EXPECT_TRUE(runs[1].WaitForExit(60000));
  // Each line whole, stamped and ended (the literal lines are TheLogNamesEveryEvent's), by its kind.
  std::map<std::string, int> kinds;
  for (const std::string& line : LogLines(log, {hour, LocalHour()})) ++kinds[line.substr(0, line.find('\t'))];
  EXPECT_EQ(kinds, (std::map<std::string, int>{{"close", 2 * kWindows}, {"end", 2}, {"outcome", 2 * kWindows},
                                                {"start", 2}}));
}

}  // namespace
}  // namespace nagitome
