// Nagitome.exe run as a scheduled task or a script runs it, against probe windows and processes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "engine/report_text.h"
#include "probe_client.h"
#include "tasks/task_file_format.h"
#include "tasks/utf8.h"

namespace nagitome {
namespace {

using namespace probes;
using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;

// A handle and a text as the report and the log write them (the log puts "0x" before a handle).
std::string Hex(HWND w) { return ToUtf8(HandleHex(reinterpret_cast<std::uintptr_t>(w))); }
std::string Escaped(const std::wstring& text) { return ToUtf8(EscapeReportText(text)); }
std::string Start(const std::wstring& list, const std::string& pid) {
  return "start\t" + Escaped(list) + "\t" NAGITOME_VERSION "\tpid " + pid;
}
std::string LocalHour() {  // "2026-12-08T13", as a log line stamped now begins
  SYSTEMTIME t{};
  GetLocalTime(&t);
  char text[32];
  return {text, static_cast<std::size_t>(std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d", t.wYear, t.wMonth, t.wDay, t.wHour))};
}

// The log's lines after their stamps: ISO 8601 local time in one of the hours, with TZ=IST-5:30's
// offset. "!" marks a line without one or without CR LF, "?" a file without the mark.
std::vector<std::string> LogLines(const std::wstring& path, const std::set<std::string>& hours) {
  std::istringstream in(probes::ReadFileBytes(path));
  std::vector<std::string> lines;
  if (in.peek() != EOF && (in.get() != 0xEF || in.get() != 0xBB || in.get() != 0xBF)) lines.push_back("?");
  static const std::regex stamp(R"((\d{4}-\d\d-\d\dT\d\d):\d\d:\d\d\.\d{3}\+05:30\t(.*)\r)");
  std::smatch m;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(std::regex_match(line, m, stamp) && hours.count(m[1]) ? m[2].str() : "!" + line);
  }
  return lines;
}

class CommandLineTest : public ::testing::Test {
 protected:
  // A copy of its own, so that settings written beside the exe land in the folder.
  void SetUp() override { ASSERT_TRUE(CopyFileW(probes::WindowsPath(L"" NAGITOME_EXE).c_str(), exe_.c_str(), TRUE)); }

  std::wstring WriteList(const std::wstring& name, const std::vector<TaskEntry>& entries) {
    EXPECT_TRUE(probes::WriteFileBytes(folder_.File(name), EncodeTaskList(entries)));
    return folder_.File(name);
  }
  WindowProbe& Probe(const std::wstring& title, const std::wstring& className, probes::WindowProbeOptions options = {},
                     const std::wstring& image = L"") {
    EXPECT_TRUE(StartWindowProbe(folder_, probes_.emplace_back(), title, className,
                                 image.empty() ? L"e2e-" + UniqueSuffix() + L".exe" : image, options));
    return probes_.back();
  }

  // Runs exe to its end and that of the commands its taskkills start, naming every window shown
  // but the main dialog, which Wine flashes when it ends in WM_INITDIALOG. With answer, each is
  // closed as it shows: a message box, the editor.
  struct Ran { DWORD code, pid; std::set<std::wstring> shown; };
  Ran Run(const std::wstring& arguments, bool answer, HANDLE output, const std::wstring& desktop, const std::wstring& exe) {
    const std::vector<HWND> before = probes::VisibleWindows();
    ChildProcess nagitome;
    EXPECT_TRUE(nagitome.Start(exe.empty() ? exe_ : exe, arguments, output, desktop));
    Ran ran{0, nagitome.id(), {}};
    EXPECT_TRUE(probes::WaitUntil([&] {
      for (HWND w : probes::VisibleWindows()) {
        if (std::count(before.begin(), before.end(), w)) continue;
        if (answer) PostMessageW(w, WM_CLOSE, 0, 0);
        if (!GetDlgItem(w, 2000)) ran.shown.insert(probes::WindowText(w));
      }
      return !nagitome.Running() && !probes::CommandsRunning();
    }, 30000, answer ? 50 : 1));
    ran.code = nagitome.ExitCode();
    return ran;
  }

  probes::TempFolder folder_;
  const std::wstring exe_ = folder_.File(L"Nagitome.exe");
  std::deque<WindowProbe> probes_;  // stable addresses as probes are added
};

// "/p" reports what "/e" then ends and logs, as the snapshots recorded it; neither shows a window
// nor writes settings, and each exits with its code. Two runs can share one log.
TEST_F(CommandLineTest, PreviewsRunsAndLogsExactlyWhatTheListNames) {
  const std::wstring u = probes::UniqueSuffix();
  WindowProbe& slow = Probe(std::wstring(400, L'a') + L"!", L"Slow" + u, {.ignoreClose = true});  // a catastrophic pattern's
  // Each target, end method and pattern kind; a hidden window; Japanese with a surrogate pair; titles
  // the snapshot cuts at 1023 units, alone and in the combined text; near misses.
  const struct { WindowProbe& probe; std::optional<TaskEntry> entry; int closes; } targets[] = {
      {Probe(L"e2e\\wild\t" + u + L" なぎ止め 😀", L"Wild" + u), TaskEntry{E::CloseWindow, T::WindowTitle, M::Wildcard, L"e2e\\wild\t" + u + L" *"}, 1},
      {Probe(L"hidden", L"E2eClass" + u), TaskEntry{E::CloseWindow, T::WindowClass, M::RegexCaseSensitive, L"E2eClass" + u}, 1},
      {Probe(L"E2E Regex " + u, L"rx" + u + L"main"),
       TaskEntry{E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L"e2e regex " + u + L"（rx" + u + L"[a-z]+）"}, 1},
      {Probe(L"by name", L"ByName" + u, {}, L"e2e-close-" + u + L"-d.exe"),
       TaskEntry{E::CloseWindow, T::ProcessName, M::Wildcard, L"e2e-close-" + u + L"-?.exe"}, 1},
      {Probe(L"-", L"-", {.count = 0}, L"e2e-kill-" + u + L".exe"), TaskEntry{E::Taskkill, T::ProcessName, M::Wildcard, L"e2e-kill-" + u + L".exe"}, 0},
      {Probe(L"e2e kill title " + u, L"KillTitle" + u, {.ignoreClose = true}),
       TaskEntry{E::Taskkill, T::WindowTitle, M::RegexCaseSensitive, L"e2e kill title " + u}, 0},
      {Probe(u + std::wstring(1100, L'm'), L"Long" + u), TaskEntry{E::CloseWindow, T::WindowTitle, M::Wildcard, u + L"m*"}, 1},
      {Probe(u + std::wstring(1020 - u.size(), L'n'), L"LongBoth" + u), TaskEntry{E::CloseWindow, T::TitleAndClass, M::Wildcard, u + L"n*"}, 1},
      {Probe(L"near", L"E2eClass" + u + L"x"), {}, 0},
      {Probe(L"-", L"-", {.count = 0}, L"e2e-kill-" + u + L"x.exe"), {}, 0},
      {slow, {}, 1}};
  ShowWindow(FindWindowW(targets[1].probe.className.c_str(), nullptr), SW_HIDE);
  std::vector<TaskEntry> entries;
  std::string report = "row\tend\ttarget\tpid\tprocess\twindow\ttext\r\n";
  std::vector<std::string> logged = {Start(folder_.File(L"list.txt"), "{pid}")};
  for (const auto& [p, entry, closes] : targets) {
    if (!entry) continue;
    entries.push_back(*entry);
    const std::wstring texts[] = {p.title.substr(0, 1023), p.className, (p.title + L"（" + p.className + L"）").substr(0, 1023), p.imageName};
    const HWND w = FindWindowW(p.className.c_str(), nullptr);  // none for a windowless probe
    const std::string pid = std::to_string(p.process.id()), row = std::to_string(entries.size());
    const std::string kill = entry->EndMethod == E::Taskkill ? "1" : "0", target = std::to_string(int(entry->MatchTarget));
    const std::string image = ToUtf8(p.imageName), text = Escaped(texts[static_cast<int>(entry->MatchTarget)]);
    report += row + "\t" + kill + "\t" + target + "\t" + pid + "\t" + image + "\t" + (w ? Hex(w) : "") + "\t" + text + "\r\n";
    logged.push_back((kill == "1" ? "taskkill\t" + pid : "close\t0x" + Hex(w)) + "\t" + row + "\t" + image + "\t" + text);
  }
  logged.push_back("end\tcloses 6\tkills 2\trejected 0\tcut short 0\texit 0");
  const std::wstring list = WriteList(L"list.txt", entries);
  entries.push_back({E::CloseWindow, T::WindowClass, M::RegexCaseSensitive, L"("});
  report += "# invalid row 9\r\n";
  const std::wstring preview = WriteList(L"preview.txt", entries), held = WriteList(L"held.txt", {}), none = WriteList(L"none.txt", {});
  const std::wstring rejected = WriteList(L"rejected.txt", {{}, {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(x" + u}});
  const std::wstring cut = WriteList(L"cut.txt", {{E::CloseWindow, T::WindowClass, M::Wildcard, slow.className},
                                                  {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(a*)*\\1[b]"}});
  // A run that kills its own process by name, then spends up to 5 s on each entry it cuts short.
  const std::wstring self = folder_.File(L"self-" + u + L".exe");
  ASSERT_TRUE(CopyFileW(exe_.c_str(), self.c_str(), TRUE));
  std::vector<TaskEntry> selfEntries(11, {E::CloseWindow, T::WindowTitle, M::RegexCaseSensitive, L"(a*)*\\1[b]"});
  selfEntries[0] = {E::Taskkill, T::ProcessName, M::Wildcard, L"self-" + u + L".exe"};
  const std::wstring selfList = WriteList(L"self.txt", selfEntries), log = folder_.File(L"run.log");
  const HANDLE hold = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  // A window station of this process's making lacks WSF_VISIBLE: where a task runs "whether the
  // user is logged on or not".
  HWINSTA station = CreateWindowStationW((L"NagitomeHidden" + u).c_str(), 0, WINSTA_ALL_ACCESS, nullptr), own = GetProcessWindowStation();
  ASSERT_TRUE(station && SetProcessWindowStation(station));
  ASSERT_TRUE(CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr) && SetProcessWindowStation(own));
  const std::wstring invisible = L"NagitomeHidden" + u + L"\\Default", missing = folder_.File(L"missing.txt");
  const std::wstring target = folder_.File(L"r.txt"), unwritable = folder_.File(L"no\\r.txt");
  const auto e = [&](const std::wstring& list, const std::wstring& to = L"") { return L"/e " + Quote(list) + L" /LOG " + Quote(to.empty() ? log : to); };
  const std::string badPath = "コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。";
  const std::string openFailed = "タスクリストファイルのオープンに失敗しました。", notLoaded = "end\tcloses 0\tkills 0\trejected 0\tcut short 0\texit 2";
  constexpr DWORD kAny = ~0u;  // whatever taskkill leaves
  const struct {
    std::wstring arguments;
    DWORD code;
    std::vector<std::string> log;  // "{pid}" stands for the run's own
    std::string output = {}, report = {};
    std::wstring desktop = {}, exe = {};
    bool editor = false;
  } cases[] = {  // the previews first, the run that ends the targets last
      {L"/p " + Quote(preview) + L" " + Quote(target), 0, {}, "", "\xEF\xBB\xBF" + report},
      {L"/P " + Quote(preview), 0, {}, report},
      {L"/p " + Quote(missing) + L" " + Quote(target), 2, {}, badPath + " " + ToUtf8(missing) + "\r\n"},
      {L"/p " + Quote(folder_.path()) + L" " + Quote(target), 2, {}, openFailed + " " + ToUtf8(folder_.path()) + "\r\n"},
      {L"/p " + Quote(preview) + L" " + Quote(unwritable), 3, {}, "プレビューの結果を書き込めませんでした。 " + ToUtf8(unwritable) + "\r\n"},
      {e(rejected), 1, {Start(rejected, "{pid}"), "rejected\t2\t(x" + ToUtf8(u), "end\tcloses 0\tkills 0\trejected 1\tcut short 0\texit 1"}},
      {e(cut), 1, {Start(cut, "{pid}"),
                   "close\t0x" + Hex(FindWindowW(slow.className.c_str(), nullptr)) + "\t1\t" + ToUtf8(slow.imageName) + "\t" +
                       ToUtf8(slow.className),
                   "cut short\t2\t(a*)*\\\\1[b]", "end\tcloses 1\tkills 0\trejected 0\tcut short 1\texit 1"}},
      {e(missing), 2, {Start(missing, "{pid}"), "not loaded\t" + badPath, notLoaded}, "", "", {}, {}, true},
      {e(missing), 2, {Start(missing, "{pid}"), "not loaded\t" + badPath, notLoaded}, "", "", invisible},
      {e(held), 2, {Start(held, "{pid}"), "not loaded\t" + openFailed + "\\n\\n" + Escaped(held), notLoaded}, "", "", invisible},
      {e(none, folder_.File(L"no\\x.log")), 3, {}},
      {e(selfList), kAny, {Start(selfList, "{pid}"), "taskkill\t{pid}\t1\tself-" + ToUtf8(u) + ".exe\tself-" + ToUtf8(u) + ".exe"}, "", "", {}, self},
      {e(list), 0, logged}};
  wchar_t user[256] = {};
  DWORD size = 256;
  GetUserNameW(user, &size);
  const std::wstring settings = folder_.File(std::wstring(user) + L" Nagitome.ini"), outputFile = folder_.File(L"output.txt");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE output = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    const std::string hour = LocalHour();
    const Ran ran = Run(c.arguments, c.editor, output, c.desktop, c.exe);
    CloseHandle(output);
    EXPECT_TRUE(ran.code == c.code || c.code == kAny) << ran.code;
    EXPECT_EQ(ran.shown.empty(), !c.editor) << testing::PrintToString(ran.shown);
    EXPECT_EQ(probes::ReadFileBytes(outputFile), c.output);
    EXPECT_EQ(probes::ReadFileBytes(target), c.report);
    EXPECT_EQ(DeleteFileW(settings.c_str()) != FALSE, c.editor);  // only the editor writes settings
    std::vector<std::string> lines = c.log;
    for (std::string& line : lines) line = std::regex_replace(line, std::regex("\\{pid\\}"), std::to_string(ran.pid));
    std::vector<std::string> logged = LogLines(log, {hour, LocalHour()});
    // A run that ends itself may still write what follows its taskkill before the kill lands.
    if (!c.exe.empty() && logged.size() > lines.size()) logged.resize(lines.size());
    EXPECT_EQ(logged, lines);
    DeleteFileW(target.c_str());
    DeleteFileW(log.c_str());
  }
  CloseHandle(hold);
  WaitUntil([&] { return std::none_of(std::begin(targets), std::end(targets), [](auto& t) { return t.entry && t.probe.process.Running(); }); }, 20000);
  for (const auto& [p, entry, closes] : targets) {  // what was not to end runs on
    EXPECT_EQ(p.process.Running(), !entry) << testing::PrintToString(p.imageName);
    EXPECT_EQ(p.Closes(), closes) << testing::PrintToString(p.imageName);
  }
  constexpr int kWindows = 400;
  const WindowProbe& many = Probe(L"shared log " + u, L"SharedLog" + u, {.ignoreClose = true, .count = kWindows});
  const std::wstring shared = WriteList(L"shared.txt", {{E::CloseWindow, T::WindowClass, M::Wildcard, many.className}});
  // Two runs appending to one log at once leave every line whole. Writers take turns on one byte
  // far past the end: holding it keeps both from writing, letting go sets them racing for it.
  const HANDLE lock = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW, 0, nullptr);
  OVERLAPPED range{};
  range.OffsetHigh = 0x7FFFFFFF;
  ASSERT_TRUE(LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range));
  ChildProcess runs[2];
  const std::string before = LocalHour();
  for (ChildProcess& run : runs) ASSERT_TRUE(run.Start(exe_, L"/e " + Quote(shared) + L" /log " + Quote(log)));
  EXPECT_FALSE(runs[0].WaitForExit(3000));
  EXPECT_EQ(probes::ReadFileBytes(log), "");
  UnlockFileEx(lock, 0, 1, 0, &range);
  CloseHandle(lock);
  EXPECT_TRUE(runs[0].WaitForExit(60000) && runs[1].WaitForExit(60000));
  std::map<std::string, int> lines, expected = {{"close\t0x#\t1\t" + ToUtf8(many.imageName) + "\t" + ToUtf8(many.className), 2 * kWindows},
      {Start(shared, std::to_string(runs[0].id())), 1}, {Start(shared, std::to_string(runs[1].id())), 1},
      {"end\tcloses " + std::to_string(kWindows) + "\tkills 0\trejected 0\tcut short 0\texit 0", 2}};
  for (const std::string& line : LogLines(log, {before, LocalHour()})) ++lines[std::regex_replace(line, std::regex("0x[0-9A-F]{8,}"), "0x#")];
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace nagitome
