// The watcher (/w) as a user starts it, against probe windows and processes: one watcher for the
// whole story, then the forms that talk to it (a second /w, /stop).
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <regex>

#include "probe_client.h"
#include "tasks/task_file_format.h"
#include "ui/res/resource.h"

namespace nagitome {
namespace {

using namespace probes;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The log's lines without their stamps.
std::vector<std::string> Lines(const std::wstring& path) {
  const std::string text = ReadFileBytes(path);
  static const std::regex line(R"(\S+\t([^\r]*)\r\n)");
  std::vector<std::string> lines;
  for (std::sregex_iterator i(text.begin(), text.end(), line), end; i != end; ++i) lines.push_back((*i)[1]);
  return lines;
}

TEST(WatchTest, EndsWhatAppearsOnceUntilStopped) {
  TempFolder folder;
  const std::wstring exe = folder.File(L"Nagitome.exe");
  ASSERT_TRUE(CopyFileW(WindowsPath(L"" NAGITOME_EXE).c_str(), exe.c_str(), TRUE));
  const std::wstring u = UniqueSuffix();
  const std::wstring list = folder.File(L"list.txt");
  const std::wstring log = folder.File(L"watch.log");
  const std::wstring log2 = folder.File(L"watch2.log");
  const std::wstring killed = L"w" + u + L".exe";
  // A hostile alternative first: a run of "a" uses up its budget, "Ad..." still matches.
  std::vector<TaskEntry> entries = {{.MatchMethod = MatchMethod::RegexCaseSensitive,
                                     .Keyword = L"(a*)*\\1[b]|Ad" + u + L".*"},
                                    {EndMethod::Taskkill, MatchTarget::ProcessName, MatchMethod::Wildcard, killed}};
  ASSERT_TRUE(WriteFileBytes(list, EncodeTaskList(entries)));
  std::deque<WindowProbe> probes;
  const auto probe = [&](const std::wstring& title, WindowProbeOptions options = {}, std::wstring image = L"") {
    if (image.empty()) image = L"p" + UniqueSuffix() + L".exe";
    EXPECT_TRUE(StartWindowProbe(folder, probes.emplace_back(), title, L"C" + u, image, options));
    return &probes.back();
  };
  const auto closedOnce = [](WindowProbe* p) { return WaitUntil([&] { return p->Closes() == 1; }); };
  const auto logged = [&](const std::string& text) {
    return WaitUntil([&] { return ReadFileBytes(log).find(text) != std::string::npos; });
  };
  probe(std::wstring(400, L'a') + L"!");

  ChildProcess watcher;
  ASSERT_TRUE(watcher.Start(exe, L"/w " + Quote(list) + L" /log " + Quote(log)));
  ASSERT_TRUE(logged("cut short"));
  WindowProbe* other = probe(L"Plain" + u);
  probe(std::wstring(400, L'a') + L"?");
  EXPECT_TRUE(closedOnce(probe(L"Ad" + u + L" new")));
  EXPECT_TRUE(closedOnce(probe(L"Plain" + u, {.renameAfterMs = 500, .renameTo = L"Ad" + u + L" renamed"})));
  EXPECT_TRUE(probe(L"", {.count = 0}, killed)->process.WaitForExit(10000));

  const HWND window = FindWindowW(L"NagitomeWatcher", nullptr);
  PostMessageW(window, WM_COMMAND, IDM_WATCH_PAUSE, 0);
  ASSERT_TRUE(logged("pause"));
  WindowProbe* paused = probe(L"Ad" + u + L" paused");
  Sleep(3000);  // more than a scan's interval
  EXPECT_EQ(paused->Closes(), 0);
  PostMessageW(window, WM_COMMAND, IDM_WATCH_PAUSE, 0);
  EXPECT_TRUE(closedOnce(paused));

  entries.push_back({.Keyword = L"New" + u});
  ASSERT_TRUE(WriteFileBytes(list, EncodeTaskList(entries)));
  ASSERT_TRUE(logged("reload"));
  EXPECT_TRUE(closedOnce(probe(L"New" + u)));

  ChildProcess second;
  ASSERT_TRUE(second.Start(exe, L"/W " + Quote(list) + L" /log " + Quote(log2)));
  EXPECT_TRUE(second.WaitForExit(10000));
  EXPECT_EQ(second.ExitCode(), 0u);
  ChildProcess stop;
  ASSERT_TRUE(stop.Start(exe, L"/stop"));
  EXPECT_TRUE(stop.WaitForExit(10000));
  EXPECT_EQ(stop.ExitCode(), 0u);
  EXPECT_TRUE(watcher.WaitForExit(10000));
  EXPECT_EQ(watcher.ExitCode(), 1u);  // an entry was cut short
  ChildProcess none;
  ASSERT_TRUE(none.Start(exe, L"/STOP"));
  EXPECT_TRUE(none.WaitForExit(10000));
  EXPECT_EQ(none.ExitCode(), 1u);
  EXPECT_EQ(other->Closes(), 0);

  std::vector<std::string> lines = Lines(log);
  std::erase_if(lines, [](const std::string& l) { return l.starts_with("close") || l.starts_with("start"); });
  const std::string pid = std::to_string(probes[5].process.id());
  const std::string cut = "cut short\t1\t(a*)*\\\\1[b]|Ad" + Narrow(u) + ".*";
  const std::string kill = "taskkill\t" + pid + "\t2\t" + Narrow(killed) + "\t" + Narrow(killed);
  const std::string reload = "reload\t" + std::regex_replace(Narrow(list), std::regex(R"(\\)"), R"(\\)");
  const std::string end = "end\tcloses 4\tkills 1\trejected 0\tcut short 2\texit 1";
  EXPECT_EQ(lines, (std::vector<std::string>{cut, kill, "pause", "resume", reload, cut, end}));
  lines = Lines(log2);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "end\tcloses 0\tkills 0\trejected 0\tcut short 1\texit 1");
}

}  // namespace
}  // namespace nagitome
