// The watcher (/w) against probe windows and processes: one watcher for the whole story, then the
// forms that talk to it (a second /w, /stop).
#include <regex>

#include "exe_test.h"
#include "ui/res/resource.h"

namespace nagitome::e2e {
namespace {

using WatchTest = ExeTest;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The log's lines without their stamps; start, close and outcome lines left out (the end line counts
// the outcomes).
std::vector<std::string> Lines(const std::wstring& path) {
  const std::string text = ReadFileBytes(path);
  static const std::regex line(R"(\S+\t([^\r]*)\r\n)");
  std::vector<std::string> lines;
  for (std::sregex_iterator i(text.begin(), text.end(), line), end; i != end; ++i) lines.push_back((*i)[1]);
  std::erase_if(lines, [](const std::string& l) { return l.starts_with("close") || l.starts_with("start") ||
                                                       l.starts_with("outcome"); });
  return lines;
}

TEST_F(WatchTest, EndsWhatAppearsOnceUntilStopped) {
  const std::wstring u = UniqueSuffix();
  const std::wstring log = folder_.File(L"watch.log");
  const std::wstring log2 = folder_.File(L"watch2.log");
  const std::wstring killed = L"w" + u + L".exe";
  // A hostile alternative first: a run of "a" uses up its budget, "Ad..." still matches.
  std::vector<TaskEntry> entries = {
      {.MatchMethod = MatchMethod::RegexCaseSensitive, .Keyword = L"(a*)*\\1[b]|Ad" + u + L".*"},
      {.EndMethod = EndMethod::Taskkill, .MatchTarget = MatchTarget::ProcessName, .Keyword = killed}};
  const std::wstring list = WriteList(L"list.txt", entries);
  const auto probe = [&](const std::wstring& title, WindowProbeOptions options = {}) {
    return &Probe(title, L"C" + u, options, options.count ? L"" : killed);
  };
  const auto closedOnce = [](const WindowProbe* p) { return WaitUntil([&] { return p->Closes() == 1; }); };
  const auto logged = [&](const std::string& text) {
    return WaitUntil([&] { return ReadFileBytes(log).find(text) != std::string::npos; });
  };
  probe(std::wstring(400, L'a') + L"!");

  ChildProcess watcher;
  ASSERT_TRUE(watcher.Start(exe_, L"/w " + Quote(list) + L" /log " + Quote(log)));
  ASSERT_TRUE(logged("cut short"));
  const WindowProbe* other = probe(L"Plain" + u);
  probe(std::wstring(400, L'a') + L"?");
  EXPECT_TRUE(closedOnce(probe(L"Ad" + u + L" new")));
  EXPECT_TRUE(closedOnce(probe(L"Plain" + u, {.renameAfterMs = 500, .renameTo = L"Ad" + u + L" renamed"})));
  EXPECT_TRUE(probe(L"", {.count = 0})->process.WaitForExit(10000));

  const HWND window = FindWindowW(L"NagitomeWatcher", nullptr);
  PostMessageW(window, WM_COMMAND, IDM_WATCH_PAUSE, 0);
  ASSERT_TRUE(logged("pause"));
  const WindowProbe* paused = probe(L"Ad" + u + L" paused");
  Sleep(3000);  // more than a scan's interval
  EXPECT_EQ(paused->Closes(), 0);
  PostMessageW(window, WM_COMMAND, IDM_WATCH_PAUSE, 0);
  EXPECT_TRUE(closedOnce(paused));

  entries.push_back({.Keyword = L"New" + u});
  WriteList(L"list.txt", entries);
  ASSERT_TRUE(logged("reload"));
  EXPECT_TRUE(closedOnce(probe(L"New" + u)));

  // Handed over with a force: a window left open has its process ended.
  const std::wstring forms[] = {L"/W " + Quote(list) + L" /force 1 /log " + Quote(log2), L"/stop", L"/STOP"};
  for (const std::wstring& form : forms) {
    if (form == L"/stop") {
      EXPECT_TRUE(probe(L"Ad" + u, {.onClose = L"--ignore-close"})->process.WaitForExit(10000));
    }
    ChildProcess second;
    ASSERT_TRUE(second.Start(exe_, form));
    EXPECT_TRUE(second.WaitForExit(10000));
    EXPECT_EQ(second.ExitCode(), form == L"/STOP" ? 1u : 0u) << Narrow(form);  // none was left to stop
  }
  EXPECT_TRUE(watcher.WaitForExit(10000));
  EXPECT_EQ(watcher.ExitCode(), 1u);  // an entry was cut short
  EXPECT_EQ(other->Closes(), 0);

  const std::string cut = "cut short\t1\t(a*)*\\\\1[b]|Ad" + Narrow(u) + ".*";
  const std::string pid = std::to_string(probes_[5].process.id());
  const std::string kill = "taskkill\t" + pid + "\t2\t" + Narrow(killed) + "\t" + Narrow(killed);
  const std::string reload = "reload\t" + std::regex_replace(Narrow(list), std::regex(R"(\\)"), R"(\\)");
  const std::string end = "end\tcloses 4\tkills 1\trejected 0\tcut short 2\tclosed 4\tended 1\texit 1";
  EXPECT_EQ(Lines(log), (std::vector<std::string>{cut, kill, "pause", "resume", reload, cut, end}));
  const std::string end2 = "end\tcloses 1\tkills 0\trejected 0\tcut short 1\tforced ended 1\texit 1";
  EXPECT_EQ(Lines(log2), (std::vector<std::string>{cut, end2}));
}

}  // namespace
}  // namespace nagitome::e2e
