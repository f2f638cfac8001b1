// Nagitome.exe run as a scheduled task or a script runs it, against probe windows and processes.
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "exe_test.h"

namespace nagitome {
namespace {

using namespace probes;
using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;
using Lines = std::vector<std::string>;
using CommandLineTest = e2e::ExeTest;

// The paths and names here are ASCII.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string Hex(HWND window) {  // as the report and the log write a handle
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

// Which code wins is the host tests'. On the visible desktop only a missing list shows anything: its
// message, then the editor, which alone writes settings. However the list's own file is spelled, no report
// lands on it, nor (as a hard link, sharing no part of its name) a log, the run going on without one. Where
// nobody can see the desktop (a window station of this process's making lacks WSF_VISIBLE), every start
// that would open the editor, and "/e" with a list it cannot load, ends at once. "/p" says why it failed
// in one line. A run that kills its own process has logged that before.
TEST_F(CommandLineTest, TheExitCodeAndTheLogSayHowTheRunWent) {
  const std::wstring u = UniqueSuffix();
  const WindowProbe& slow = Probe(std::wstring(400, L'a'), L"Slow" + u, {.onClose = L"--ignore-close"});
  const std::string window = Hex(FindWindowW(slow.className.c_str(), nullptr));
  const TaskEntry closeSlow{.MatchTarget = T::WindowClass, .Keyword = slow.className};
  const std::wstring list = WriteList(L"list.txt", {
      closeSlow,
      {.MatchMethod = M::RegexCaseSensitive, .Keyword = L"(a*)*\\1[b]"},  // cut short on the run of "a"
      {.MatchMethod = M::RegexCaseSensitive, .Keyword = L"(x" + u},
  });
  const std::wstring plain = WriteList(L"night rules.txt", {closeSlow});
  const std::string plainBytes = ReadFileBytes(plain);
  const std::wstring none = WriteList(L"none.txt", {});
  const std::wstring selfName = L"self" + u + L".exe";
  const std::wstring self = WriteList(L"self.txt", {{E::Taskkill, T::ProcessName, M::Wildcard, selfName}});
  ASSERT_TRUE(CopyFileW(exe_.c_str(), folder_.File(selfName).c_str(), TRUE));
  const std::wstring missing = folder_.File(L"missing.txt");
  const std::wstring report = folder_.File(L"r.txt");
  const std::wstring unwritable = folder_.File(L"no\\r.txt");
  const std::wstring log = folder_.File(L"run.log");
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(plain.c_str(), shortName, MAX_PATH), 0u);
  const std::wstring link = folder_.File(L"link.txt");
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), plain.c_str(), nullptr));
  std::wstring upper = plain;
  CharUpperW(upper.data());
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.path().c_str()));
  const std::wstring held = folder_.File(L"held.txt");
  ASSERT_TRUE(CopyFileW(plain.c_str(), held.c_str(), TRUE));
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};  // also standard output that takes nothing
  UniqueFileHandle hold(CreateFileW(held.c_str(), GENERIC_READ, 0, &inherit, OPEN_EXISTING, 0, nullptr));
  const std::wstring station = L"NagitomeUnseen" + u;
  const HWINSTA own = GetProcessWindowStation();
  const HWINSTA made = CreateWindowStationW(station.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
  ASSERT_TRUE(made && SetProcessWindowStation(made));
  const bool desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr) != nullptr;
  SetProcessWindowStation(own);
  ASSERT_TRUE(desktop);
  const std::wstring unseen = station + L"\\Default";
  const std::wstring p = L"/p " + Quote(plain) + L" ";
  const std::string hour = LocalHour();
  const struct {
    std::wstring arguments;
    DWORD code;
    std::wstring named = {};  // the path "/p" ends its one line with
    bool complains = !named.empty();
    bool editor = false;
    std::wstring desktop = {};
    HANDLE output = nullptr;
  } cases[] = {
      {L"/e " + Quote(list) + L" /LOG " + Quote(log) + L" /wait 0", 1},
      {L"/e " + Quote(missing) + L" /log " + Quote(log), 2, {}, false, true},
      {L"/p " + Quote(missing) + L" " + Quote(report), 2, missing},
      {L"/p " + Quote(none) + L" " + Quote(unwritable), 3, unwritable},
      {L"/e " + Quote(none) + L" /log " + Quote(unwritable), 3},
      {p + Quote(plain), 3, plain},
      {p + L"\"night rules.txt\"", 3, L"night rules.txt"},
      {p + Quote(upper), 3, upper},
      {p + Quote(shortName), 3, shortName},
      {p + Quote(L"\\\\?\\" + plain), 3, L"\\\\?\\" + plain},
      {p + Quote(link), 3, link},
      {L"/e " + Quote(plain) + L" /log " + Quote(link) + L" /wait 0", 3},
      {L"/e " + Quote(plain) + L" /log NUL /wait 0", 0},
      {L"/p " + Quote(plain), 3, {}, true, false, {}, hold.get()},
      {L"/e " + Quote(missing), 2, {}, false, false, unseen},
      {L"/e " + Quote(held), 2, {}, false, false, unseen},
      {L"/P", 2, {}, true, false, unseen},
      {L"", 2, {}, false, false, unseen},
      {Quote(plain) + L" extra", 2, {}, false, false, unseen},
  };
  std::vector<std::string> pids;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const Ran ran = Run(c.arguments, {.answer = c.editor, .output = c.output, .desktop = c.desktop});
    pids.push_back(std::to_string(ran.pid));
    EXPECT_EQ(ran.code, c.code);
    EXPECT_EQ(ran.shown, c.editor);
    EXPECT_EQ(TakeSettings(), c.editor);
    const std::string end = c.named.empty() ? "\r\n" : " " + Narrow(c.named) + "\r\n";
    const bool oneLine = ran.error.ends_with(end) && ran.error.find('\n') + 1 == ran.error.size();
    EXPECT_EQ(oneLine, c.complains) << ran.error;
  }
  EXPECT_EQ(ReadFileBytes(plain), plainBytes);
  EXPECT_TRUE(WaitUntil([&] { return slow.Closes() == 3; }));
  EXPECT_EQ(GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES);
  const std::string killed = std::to_string(Run(L"/e " + Quote(self) + L" /log " + Quote(log),
                                                {.exe = folder_.File(selfName)}).pid);
  Lines lines = LogLines(log, {hour, LocalHour()});
  // The run that kills itself may log its end before the kill lands.
  ASSERT_GE(lines.size(), 11u);
  lines.resize(11);
  EXPECT_TRUE(lines[7].starts_with("not loaded\t")) << lines[7];  // the message is the host tests'
  lines[7] = "not loaded";
  const std::string version = "\t" NAGITOME_VERSION "\tpid ";
  const std::string escaped = std::regex_replace(Narrow(folder_.File(L"")), std::regex(R"(\\)"), R"(\\)");
  EXPECT_EQ(lines, (Lines{
      "start\t" + escaped + "list.txt" + version + pids[0],
      "close\t0x" + window + "\t1\t" + Narrow(slow.imageName) + "\tSlow" + Narrow(u),
      "outcome\t0x" + window + "\t1\tnot checked",
      "rejected\t3\t(x" + Narrow(u),
      "cut short\t2\t(a*)*\\\\1[b]",
      "end\tcloses 1\tkills 0\trejected 1\tcut short 1\tnot checked 1\texit 1",
      "start\t" + escaped + "missing.txt" + version + pids[1],
      "not loaded",
      "end\tcloses 0\tkills 0\trejected 0\tcut short 0\texit 2",
      "start\t" + escaped + "self.txt" + version + killed,
      "taskkill\t" + killed + "\t1\t" + Narrow(selfName) + "\t" + Narrow(selfName),
  }));
}

// "/p" reports what "/e" then ends, as the snapshot reads it: a hidden window whose title holds
// Japanese with a surrogate pair and is cut at 1023 units; a close posted to each window, a taskkill
// for a process without windows and for one whose window ignores its close.
TEST_F(CommandLineTest, PreviewReportsWhatTheRunEnds) {
  const std::wstring u = UniqueSuffix();
  const std::string n = Narrow(u);
  const std::wstring title = L"e2e\\wild\t" + u + L" なぎ止め 😀" + std::wstring(1100, L'm');
  WindowProbe& hidden = Probe(title, L"Hidden" + u);
  WindowProbe& stubborn = Probe(L"stubborn", L"Stubborn" + u, {.onClose = L"--ignore-close"});
  WindowProbe& named = Probe(L"by name", L"ByName" + u, {}, L"e2e-close-" + u + L"-d.exe");
  WindowProbe& windowless = Probe(L"-", L"-", {.count = 0}, L"e2e-kill-" + u + L".exe");
  ShowWindow(FindWindowW(hidden.className.c_str(), nullptr), SW_HIDE);
  const std::wstring list = WriteList(L"list.txt", {
      {E::CloseWindow, T::WindowTitle, M::Wildcard, L"e2e\\wild\t" + u + L" *"},
      {E::Taskkill, T::WindowClass, M::RegexCaseSensitive, L"Stubborn" + u},
      {E::CloseWindow, T::ProcessName, M::Wildcard, L"e2e-close-" + u + L"-?.exe"},
      {E::Taskkill, T::ProcessName, M::Wildcard, L"e2e-kill-" + u + L".exe"},
  });
  const std::string m(1006 - n.size(), 'm');  // to 1023 units
  const std::string cut = "e2e\\\\wild\\t" + n + " なぎ止め 😀" + m;
  // The row's file values and text, the closes the probe gets.
  const std::tuple<WindowProbe*, std::string, std::string, int> rows[] = {
      {&hidden, "1\t0\t0", cut, 1},
      {&stubborn, "2\t1\t1", "Stubborn" + n, 0},
      {&named, "3\t0\t3", Narrow(named.imageName), 1},
      {&windowless, "4\t1\t3", Narrow(windowless.imageName), 0},
  };
  std::string report = "row\tend\ttarget\tpid\tprocess\twindow\ttext\r\n";
  for (const auto& [p, values, text, closes] : rows) {
    const HWND window = FindWindowW(p->className.c_str(), nullptr);
    report += values + "\t" + std::to_string(p->process.id()) + "\t" + Narrow(p->imageName) + "\t" +
              (window ? Hex(window) : "") + "\t" + text + "\r\n";
  }
  const std::wstring file = folder_.File(L"report.txt");
  EXPECT_EQ(Run(L"/p " + Quote(list) + L" " + Quote(file)).code, 0u);
  EXPECT_EQ(ReadFileBytes(file), "\xEF\xBB\xBF" + report);
  EXPECT_EQ(Run(L"/P " + Quote(list)).output, report);
  const Ran ran = Run(L"/e " + Quote(list));
  EXPECT_EQ(ran.code, 0u);
  EXPECT_FALSE(ran.shown);
  for (const auto& [p, values, text, closes] : rows) {
    EXPECT_TRUE(p->process.WaitForExit(20000)) << values;
    EXPECT_EQ(p->Closes(), closes) << values;
  }
}

// Two runs appending to one log at once leave every line whole. Writers take turns on one byte far
// past the end: holding it keeps both from writing, letting go sets them racing for it.
TEST_F(CommandLineTest, RunsSharingALogLeaveEveryLineWhole) {
  constexpr int kWindows = 400;
  Probe(L"-", L"Shared" + UniqueSuffix(), {.onClose = L"--ignore-close", .count = kWindows});
  const std::wstring list = WriteList(L"list.txt", {{.MatchTarget = T::WindowClass, .Keyword = L"Shared*"}});
  const std::wstring log = folder_.File(L"run.log");
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  UniqueFileHandle lock(CreateFileW(log.c_str(), GENERIC_READ, share, nullptr, CREATE_NEW, 0, nullptr));
  OVERLAPPED range{};
  range.OffsetHigh = 0x7FFFFFFF;
  ASSERT_TRUE(LockFileEx(lock.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range));
  ChildProcess runs[2];
  const std::string hour = LocalHour();
  const std::wstring arguments = L"/e " + Quote(list) + L" /log " + Quote(log) + L" /wait 0";
  for (ChildProcess& run : runs) ASSERT_TRUE(run.Start(exe_, arguments));
  EXPECT_FALSE(runs[0].WaitForExit(3000));
  EXPECT_EQ(ReadFileBytes(log), "");
  lock.reset();
  EXPECT_TRUE(runs[0].WaitForExit(60000));
  EXPECT_TRUE(runs[1].WaitForExit(60000));
  // Each line whole, stamped and ended, by its kind.
  const std::map<std::string, int> whole = {{"close", 2 * kWindows}, {"end", 2}, {"outcome", 2 * kWindows},
                                            {"start", 2}};
  std::map<std::string, int> kinds;
  for (const std::string& line : LogLines(log, {hour, LocalHour()})) {
    ++kinds[line.substr(0, line.find('\t'))];
  }
  EXPECT_EQ(kinds, whole);
}

}  // namespace
}  // namespace nagitome
