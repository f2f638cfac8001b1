// Nagitome.exe from outside: "/e" with a task list ends exactly what the list names and never
// shows a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <deque>
#include <iomanip>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "probe_client.h"
#include "tasks/task_file_format.h"
#include "tasks/utf8.h"

namespace nagitome {
namespace {

using probes::ChildProcess;
using probes::Quote;
using probes::WaitUntil;
using probes::WindowProbe;
using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;

constexpr int kTaskListViewId = 2000;

class CommandLineRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    // A copy of its own, so that the settings file beside the exe lands in the folder.
    ASSERT_TRUE(CopyFileW(probes::WindowsPath(L"" NAGITOME_EXE).c_str(), exe_.c_str(), TRUE));
  }

  std::wstring WriteList(const std::vector<TaskEntry>& entries, const std::wstring& name = L"list.txt") {
    const std::wstring path = folder_.File(name);
    EXPECT_TRUE(probes::WriteFileBytes(path, EncodeTaskList(entries)));
    return path;
  }

  std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    std::vector<HWND> shown;
    for (const auto& w : probes::TopLevelWindows()) {
      if (w.processId == processId && w.visible) shown.push_back(w.hwnd);
    }
    return shown;
  }

  // Runs the exe to its end and names every window of it that was visible meanwhile. Under
  // Wine the dialog ended in its WM_INITDIALOG can flash before it is destroyed (Windows never
  // shows it), so the main dialog itself is let through; a dialog that stayed would keep the
  // process alive, and any other window (a message box) is named.
  DWORD RunHidden(const std::wstring& arguments, std::vector<std::wstring>& shown, HANDLE output = nullptr) {
    ChildProcess nagitome;
    EXPECT_TRUE(nagitome.Start(exe_, arguments, output));
    std::vector<HWND> seen;
    EXPECT_TRUE(WaitUntil([&] {
      for (HWND w : VisibleWindowsOf(nagitome.id())) {
        if (GetDlgItem(w, kTaskListViewId) || std::count(seen.begin(), seen.end(), w)) continue;
        seen.push_back(w);
        shown.push_back(probes::ClassOf(w) + L" " + probes::WindowText(w));
      }
      return !nagitome.Running();
    }, 30000, 1));
    return nagitome.ExitCode();
  }

  // Runs the exe to its end, closing every window it shows (a message box, then the editor).
  DWORD RunAnswering(const std::wstring& exe, const std::wstring& arguments, const std::wstring& desktop,
                     DWORD& processId) {
    ChildProcess nagitome;
    EXPECT_TRUE(nagitome.Start(exe, arguments, nullptr, desktop));
    processId = nagitome.id();
    EXPECT_TRUE(WaitUntil([&] {
      for (HWND w : VisibleWindowsOf(nagitome.id())) PostMessageW(w, WM_CLOSE, 0, 0);
      return !nagitome.Running();
    }, 30000, 50));
    return nagitome.ExitCode();
  }

  // The local hour as the log writes it, "2026-12-08T13", and the zone's offset, "+09:00".
  static std::string LocalHour() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d", t.wYear, t.wMonth, t.wDay, t.wHour);
    return text;
  }
  static std::string Offset() {
    TIME_ZONE_INFORMATION zone{};
    const bool daylight = GetTimeZoneInformation(&zone) == TIME_ZONE_ID_DAYLIGHT;
    const long bias = -(zone.Bias + (daylight ? zone.DaylightBias : 0));
    char text[16];
    std::snprintf(text, sizeof text, "%c%02ld:%02ld", bias < 0 ? '-' : '+', std::labs(bias) / 60, std::labs(bias) % 60);
    return text;
  }

  // The log's lines after their time stamps, each the local time of one of the hours given, in
  // ISO 8601 with the zone's offset; "!" marks a line without one, "?" a file without the mark.
  std::vector<std::string> LogLines(const std::wstring& path, const std::vector<std::string>& hours) {
    const std::string bytes = probes::ReadFileBytes(path);
    std::vector<std::string> lines;
    if (bytes.empty()) return lines;
    if (bytes.rfind("\xEF\xBB\xBF", 0) != 0) lines.push_back("?");
    static const std::regex stamp(R"((\d{4}-\d\d-\d\dT\d\d):\d\d:\d\d\.\d{3}([+-]\d\d:\d\d)\t(.*))");
    for (std::size_t at = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0, end; at < bytes.size(); at = end + 2) {
      if ((end = bytes.find("\r\n", at)) == std::string::npos) end = bytes.size();
      std::smatch m;
      const std::string line = bytes.substr(at, end - at);
      const bool stamped = std::regex_match(line, m, stamp) && m[2] == Offset() &&
                           std::count(hours.begin(), hours.end(), m[1].str());
      lines.push_back(stamped ? m[3].str() : "!" + line);
    }
    return lines;
  }

  WindowProbe& Window(const std::wstring& title, const std::wstring& className,
                      probes::WindowProbeOptions options = {}, std::wstring image = {}) {
    windows_.emplace_back();
    if (image.empty()) image = L"e2e-w" + probes::UniqueSuffix() + L".exe";
    EXPECT_TRUE(StartWindowProbe(folder_, windows_.back(), title, className, image, options));
    return windows_.back();
  }

  probes::TempFolder folder_;
  const std::wstring exe_ = folder_.File(L"Nagitome.exe");
  std::deque<WindowProbe> windows_;  // stable addresses as probes are added
};

TEST_F(CommandLineRunTest, EndsExactlyWhatTheListNamesWithoutShowingAWindow) {
  const std::wstring u = probes::UniqueSuffix();
  const std::vector<TaskEntry> list = {
      {E::CloseWindow, T::WindowTitle, M::Wildcard, L"e2e wild " + u + L" *"},
      {E::CloseWindow, T::WindowClass, M::Wildcard, L"E2eClass" + u},
      {E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L"e2e regex " + u + L"（rx" + u + L"[a-z]+）"},
      {E::CloseWindow, T::ProcessName, M::Wildcard, L"e2e-close-" + u + L"-?.exe"},
      {E::Taskkill, T::ProcessName, M::Wildcard, L"e2e-kill-" + u + L".exe"},
      {E::Taskkill, T::WindowTitle, M::RegexCaseSensitive, L"e2e kill title " + u},
  };
  const std::wstring listPath = WriteList(list);
  // How patterns match is for the engine's tests; here every target reaches real windows and
  // processes, and a near miss of a class or a process name is left alone.
  struct Expect { WindowProbe* probe; int closes; bool ends; };
  const std::vector<Expect> windows = {
      {&Window(L"e2e wild " + u + L" alpha", L"Wild" + u), 1, true},
      {&Window(L"e2e class", L"E2eClass" + u), 1, true},
      {&Window(L"e2e class", L"E2eClass" + u + L"x"), 0, false},
      {&Window(L"E2E Regex " + u, L"rx" + u + L"main"), 1, true},
      {&Window(L"e2e kill title " + u, L"KillTitle" + u, {.ignoreClose = true}), 0, true},
      {&Window(L"by name", L"ByName" + u, {}, L"e2e-close-" + u + L"-d.exe"), 1, true},
  };
  ChildProcess killed, spared;
  ASSERT_TRUE(StartProcessProbe(folder_, killed, L"e2e-kill-" + u + L".exe"));
  ASSERT_TRUE(StartProcessProbe(folder_, spared, L"e2e-kill-" + u + L"x.exe"));

  std::vector<std::wstring> shown;
  EXPECT_EQ(RunHidden(L"/e " + Quote(listPath), shown), 0u);  // "/E" alike: a row of the start-up forms
  EXPECT_TRUE(shown.empty()) << testing::PrintToString(shown);

  std::vector<const ChildProcess*> ending = {&killed};
  for (const Expect& w : windows) if (w.ends) ending.push_back(&w.probe->process);
  EXPECT_TRUE(WaitUntil([&] { return std::none_of(ending.begin(), ending.end(), [](auto* p) { return p->Running(); }); }, 20000));
  // Whatever the run started has had its say once its taskkill commands are over.
  WaitUntil([] {
    const std::vector<DWORD> ids = probes::ProcessIds();
    return std::none_of(ids.begin(), ids.end(), [](DWORD id) {
      const std::wstring name = probes::ImageNameOf(id);
      return name == L"cmd.exe" || name == L"taskkill.exe";
    });
  }, 20000);
  for (const Expect& w : windows) {
    SCOPED_TRACE(testing::PrintToString(w.probe->title + L"（" + w.probe->className + L"）"));
    EXPECT_EQ(w.probe->Closes(), w.closes);
    EXPECT_EQ(w.probe->process.Running(), !w.ends);
  }
  EXPECT_TRUE(spared.Running());
}

// "/p" previews the same probes: the report's exact bytes to a file or to standard output, one
// line on standard error and its exit code when the list or the report fails, and nothing ends.
TEST_F(CommandLineRunTest, PreviewWritesTheReportAndEndsNothing) {
  const std::wstring u = probes::UniqueSuffix();
  const std::string a = ToUtf8(u);
  const WindowProbe& window = Window(L"e2e preview " + u, L"E2ePreview" + u, {}, L"e2e-pw-" + u + L".exe");
  ChildProcess process;
  ASSERT_TRUE(StartProcessProbe(folder_, process, L"e2e-pp-" + u + L".exe"));
  const std::wstring list = WriteList({{E::Taskkill, T::TitleAndClass, M::Wildcard, L"e2e preview " + u + L"*"},
                                       {E::Taskkill, T::ProcessName, M::Wildcard, L"e2e-pp-" + u + L".exe"},
                                       {E::CloseWindow, T::WindowClass, M::RegexCaseSensitive, L"("}});
  std::ostringstream hwnd;
  hwnd << std::uppercase << std::hex << std::setw(8) << std::setfill('0')
       << reinterpret_cast<std::uintptr_t>(FindWindowW((L"E2ePreview" + u).c_str(), nullptr));
  const std::string report = "row\tend\ttarget\tpid\tprocess\twindow\ttext\r\n1\t1\t2\t" +
      std::to_string(window.process.id()) + "\te2e-pw-" + a + ".exe\t" + hwnd.str() + "\te2e preview " + a +
      "\xEF\xBC\x88" "E2ePreview" + a + "\xEF\xBC\x89\r\n2\t1\t3\t" + std::to_string(process.id()) + "\te2e-pp-" + a +
      ".exe\t\te2e-pp-" + a + ".exe\r\n# invalid row 3\r\n";
  const std::wstring missing = folder_.File(L"missing.txt"), unwritable = folder_.File(L"no\\r.txt");
  const std::wstring target = Quote(folder_.File(L"r.txt"));
  const struct { std::wstring arguments; DWORD code; std::string output, file; } cases[] = {
      {L"/p " + Quote(list) + L" " + target, 0, "", "\xEF\xBB\xBF" + report},
      {L"/P " + Quote(list), 0, report, ""},
      {L"/p " + Quote(missing) + L" " + target, 2, "コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。 " +
           ToUtf8(missing) + "\r\n", ""},
      {L"/p " + Quote(folder_.path()) + L" " + target, 2, "タスクリストファイルのオープンに失敗しました。 " + ToUtf8(folder_.path()) + "\r\n", ""},
      {L"/p " + Quote(list) + L" " + Quote(unwritable), 3, "プレビューの結果を書き込めませんでした。 " + ToUtf8(unwritable) + "\r\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    DeleteFileW(folder_.File(L"r.txt").c_str());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::wstring outputPath = folder_.File(L"output.txt");
    const HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    std::vector<std::wstring> shown;
    EXPECT_EQ(RunHidden(c.arguments, shown, output), c.code);
    CloseHandle(output);
    EXPECT_TRUE(shown.empty()) << testing::PrintToString(shown);
    EXPECT_EQ(probes::ReadFileBytes(outputPath), c.output);
    EXPECT_EQ(probes::ReadFileBytes(folder_.File(L"r.txt")), c.file);
  }
  EXPECT_TRUE(window.process.Running());
  EXPECT_EQ(window.Closes(), 0);
  EXPECT_TRUE(process.Running());
}

}  // namespace
}  // namespace nagitome

namespace nagitome {
namespace {

std::string U8(const std::wstring& text) { return ToUtf8(text); }
std::string Pid(DWORD id) { return "pid " + std::to_string(id); }
std::string Hwnd(HWND w) {
  std::ostringstream out;
  out << "0x" << std::uppercase << std::hex << std::setw(8) << std::setfill('0') << reinterpret_cast<std::uintptr_t>(w);
  return out.str();
}
std::string Escaped(std::string text) {  // a Windows path as the log writes it
  for (std::size_t at = 0; (at = text.find('\\', at)) != std::string::npos; at += 2) text.insert(at, 1, '\\');
  return text;
}

TEST_F(CommandLineRunTest, ExitCodesAndRunLog) {
  const std::wstring u = probes::UniqueSuffix();
  WindowProbe& closed = Window(L"log\\close\t" + u, L"LogClass" + u);
  WindowProbe& slow = Window(std::wstring(400, L'a') + L"!", L"LogSlow" + u, {.ignoreClose = true});
  ChildProcess killed;
  ASSERT_TRUE(StartProcessProbe(folder_, killed, L"log-kill-" + u + L".exe"));
  const std::wstring invisible = probes::InvisibleDesktop();
  ASSERT_FALSE(invisible.empty());
  const std::wstring good = WriteList({{E::CloseWindow, T::WindowTitle, M::Wildcard, closed.title},
                                       {E::Taskkill, T::ProcessName, M::Wildcard, L"log-kill-" + u + L".exe"}}, L"good.txt");
  const std::wstring none = WriteList({{E::CloseWindow, T::WindowTitle, M::Wildcard, L"nothing " + u}}, L"none.txt");
  const std::wstring rejected = WriteList({{}, {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(x" + u}}, L"bad.txt");
  const std::wstring cut = WriteList({{E::CloseWindow, T::WindowClass, M::Wildcard, L"LogSlow" + u},
                                      {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(a*)*\\1[b]"}}, L"cut.txt");
  // A run that ends itself midway leaves what it did so far.
  const std::wstring self = L"nagitome-self-" + u + L".exe";
  ASSERT_TRUE(CopyFileW(exe_.c_str(), folder_.File(self).c_str(), TRUE));
  std::vector<TaskEntry> selfList(11, {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(a*)*\\1[b]"});
  selfList[0] = {E::Taskkill, T::ProcessName, M::Wildcard, self};  // then up to 5 s cut short
  const std::wstring ownEnd = WriteList(selfList, L"self.txt");
  const std::wstring held = WriteList({}, L"held.txt");
  const HANDLE hold = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  const std::wstring missing = folder_.File(L"missing.txt");
  const std::string badPath = "コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。";
  const std::string end0 = "end\tcloses 0\tkills 0\trejected 0\tcut short 0\texit ";
  struct Case {
    const char* name;
    std::wstring list, log, desktop;
    DWORD code;                      // kAnyCode: whatever taskkill leaves
    std::vector<std::string> lines;  // after the start line; "{pid}" stands for the run's own
    std::wstring exe = {};
  };
  constexpr DWORD kAnyCode = ~0u;
  const std::vector<Case> cases = {
      {"good", good, L"good.log", {}, 0,
       {"close\t" + Hwnd(FindWindowW(closed.className.c_str(), nullptr)) + "\t1\t" + U8(closed.imageName) + "\tlog\\\\close\\t" + U8(u),
        "taskkill\t" + std::to_string(killed.id()) + "\t2\tlog-kill-" + U8(u) + ".exe\tlog-kill-" + U8(u) + ".exe",
        "end\tcloses 1\tkills 1\trejected 0\tcut short 0\texit 0"}},
      {"rejected", rejected, L"bad.log", {}, 1,
       {"rejected\t2\t(x" + U8(u), "end\tcloses 0\tkills 0\trejected 1\tcut short 0\texit 1"}},
      {"cut short", cut, L"cut.log", {}, 1,
       {"close\t" + Hwnd(FindWindowW(slow.className.c_str(), nullptr)) + "\t1\t" + U8(slow.imageName) + "\t" + U8(slow.className),
        "cut short\t2\t(a*)*\\\\1[b]", "end\tcloses 1\tkills 0\trejected 0\tcut short 1\texit 1"}},
      {"missing, editor closed", missing, L"missing.log", {}, 2, {"not loaded\t" + badPath, end0 + "2"}},
      {"missing, unseen", missing, L"unseen.log", invisible, 2, {"not loaded\t" + badPath, end0 + "2"}},
      {"held open, unseen", held, L"held.log", invisible, 2,
       {"not loaded\tタスクリストファイルのオープンに失敗しました。\\n\\n" + Escaped(U8(held)), end0 + "2"}},
      {"log unwritable", none, L"no folder\\x.log", {}, 3, {}},
      {"ends itself", ownEnd, L"self.log", {}, kAnyCode, {"taskkill\t{pid}\t1\t" + U8(self) + "\t" + U8(self)}, folder_.File(self)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring log = folder_.File(c.log);
    DWORD pid = 0;
    const std::string before = LocalHour();
    const DWORD code = RunAnswering(c.exe.empty() ? exe_ : c.exe, L"/e " + Quote(c.list) + L" /LOG " + Quote(log), c.desktop, pid);
    if (c.code != kAnyCode) {
      EXPECT_EQ(code, c.code);
    }
    std::vector<std::string> expected;
    if (!c.lines.empty()) expected = {"start\t" + Escaped(U8(c.list)) + "\t" NAGITOME_VERSION "\t" + Pid(pid)};
    for (std::string line : c.lines) {
      if (const std::size_t at = line.find("{pid}"); at != std::string::npos) line.replace(at, 5, std::to_string(pid));
      expected.push_back(line);
    }
    EXPECT_EQ(LogLines(log, {before, LocalHour()}), expected);
  }
  CloseHandle(hold);
  EXPECT_TRUE(WaitUntil([&] { return !killed.Running(); }, 20000));
  EXPECT_EQ(closed.Closes(), 1);
}

}  // namespace
}  // namespace nagitome

namespace nagitome {
namespace {

// Two runs appending to one log at the same moment leave every line whole.
TEST_F(CommandLineRunTest, TwoRunsShareOneLogLineByLine) {
  constexpr int kWindows = 400;
  const std::wstring u = probes::UniqueSuffix();
  WindowProbe& many = Window(L"shared log " + u, L"SharedLog" + u, {.ignoreClose = true, .count = kWindows});
  const std::wstring list = WriteList({{E::CloseWindow, T::WindowClass, M::Wildcard, L"SharedLog" + u}});
  const std::wstring log = folder_.File(L"shared.log");
  // Writers take turns on one byte far past the end; holding it keeps both runs from writing,
  // and letting go sets them racing for it.
  const HANDLE held = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_NEW, 0, nullptr);
  OVERLAPPED range{};
  range.OffsetHigh = 0x7FFFFFFF;
  ASSERT_TRUE(LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range));
  ChildProcess first, second;
  const std::string before = LocalHour();
  ASSERT_TRUE(first.Start(exe_, L"/e " + Quote(list) + L" /log " + Quote(log)));
  ASSERT_TRUE(second.Start(exe_, L"/e " + Quote(list) + L" /log " + Quote(log)));
  EXPECT_FALSE(first.WaitForExit(3000));
  EXPECT_EQ(probes::ReadFileBytes(log), "");
  UnlockFileEx(held, 0, 1, 0, &range);
  CloseHandle(held);
  EXPECT_TRUE(first.WaitForExit(60000) && second.WaitForExit(60000));
  const std::vector<std::string> lines = LogLines(log, {before, LocalHour()});
  const std::regex close("close\t0x[0-9A-F]{8,}\t1\t" + U8(many.imageName) + "\tSharedLog" + U8(u));
  const std::string started = "start\t" + Escaped(U8(list)) + "\t" NAGITOME_VERSION "\tpid ";
  int closes = 0, starts = 0, ends = 0;
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    closes += std::regex_match(line, close);
    starts += line == started + std::to_string(first.id()) || line == started + std::to_string(second.id());
    ends += line == "end\tcloses " + std::to_string(kWindows) + "\tkills 0\trejected 0\tcut short 0\texit 0";
  }
  EXPECT_EQ(closes, 2 * kWindows);
  EXPECT_EQ(starts, 2);
  EXPECT_EQ(ends, 2);
  EXPECT_EQ(lines.size(), 2u * kWindows + 4);
}

}  // namespace
}  // namespace nagitome
