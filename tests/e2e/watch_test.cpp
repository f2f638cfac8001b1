// One watcher for the whole story, then the forms that talk to it.
#include "exe_test.h"
#include "ui/res/resource.h"

namespace nagitome::e2e {
namespace {

using WatchTest = ExeTest;

TEST_F(WatchTest, EndsWhatAppearsOnceUntilStopped) {
  const std::wstring log = folder_.File(L"watch.log");
  const std::wstring killed = L"w" + u_ + L".exe";
  // A hostile alternative first: a run of "a" uses up its budget, "Ad..." still matches.
  const std::wstring hostile = L"(a*)*\\1[b]|Ad" + u_ + L".*";
  std::vector<TaskEntry> entries = {Te(L"001" + hostile), Te(L"130" + killed), Te(L"001(x")};
  const std::wstring list = WriteList(L"list.txt", entries);
  const auto probe = [&](const std::wstring& title) -> const WindowProbe& { return Probe(title, L"C" + u_); };
  const auto closed = [](const WindowProbe& p) { return WaitUntil([&] { return p.Closes() == 1; }); };
  const auto logged = [&](const std::string& text) {
    return WaitUntil([&] { return ReadFileBytes(log).find(text) != std::string::npos; });
  };
  probe(std::wstring(400, L'a') + L"!");
  ChildProcess watcher;
  ASSERT_TRUE(watcher.Start(exe_, L"/w " + Quote(list) + L" /log " + Quote(log)));
  ASSERT_TRUE(logged("cut short"));
  const WindowProbe& other = probe(L"Plain" + u_);
  probe(std::wstring(400, L'a') + L"?");  // cut short again, logged once per load
  const WindowProbe& stays = Probe(L"Ad" + u_, L"C" + u_, L"--ignore-close");
  EXPECT_TRUE(closed(probe(L"Ad" + u_ + L" new")));
  const WindowProbe& renamed = probe(L"Was" + u_);
  Sleep(500);  // seen under its first title
  SetWindowTextW(FindWindowW(nullptr, (L"Was" + u_).c_str()), (L"Ad" + u_ + L" renamed").c_str());
  EXPECT_TRUE(closed(renamed));
  const ChildProcess& windowless = Probe(L"", L"-", L"--count 0", killed).process;
  EXPECT_TRUE(windowless.WaitForExit(10000));

  const HWND window = FindWindowW(L"NagitomeWatcher", nullptr);
  PostMessageW(window, WM_COMMAND, IDM_WATCH_PAUSE, 0);
  ASSERT_TRUE(logged("pause"));
  const WindowProbe& paused = probe(L"Ad" + u_ + L" paused");
  Sleep(3000);  // more than a scan's interval
  EXPECT_EQ(paused.Closes(), 0);
  PostMessageW(window, WM_COMMAND, IDM_WATCH_PAUSE, 0);
  EXPECT_TRUE(closed(paused));

  entries.push_back(Te(L"000New" + u_));
  WriteList(L"list.txt", entries);
  ASSERT_TRUE(logged("reload"));
  EXPECT_TRUE(closed(probe(L"New" + u_)));

  // Handed over with a force, which ends the window left open.
  const std::wstring log2 = folder_.File(L"watch2.log");
  const std::wstring forms[] = {L"/W " + Quote(list) + L" /force 1 /log " + Quote(log2), L"/stop", L"/STOP"};
  for (const std::wstring& form : forms) {
    if (form == L"/stop") {
      EXPECT_TRUE(stays.process.WaitForExit(10000));
    }
    ChildProcess second;
    ASSERT_TRUE(second.Start(exe_, form));
    EXPECT_TRUE(second.WaitForExit(10000));
    EXPECT_EQ(second.ExitCode(), form == L"/STOP" ? 1u : 0u) << Narrow(form);  // none was left to stop
  }
  EXPECT_TRUE(watcher.WaitForExit(10000));
  EXPECT_EQ(watcher.ExitCode(), 1u);
  EXPECT_EQ(other.Closes(), 0);
  EXPECT_EQ(stays.Closes(), 3);  // once per title and list

  const std::string rejected = "rejected\t3\t(x";
  const std::string cut = "cut short\t1\t" + Escaped(hostile);
  const std::string kill =
      "taskkill\t" + std::to_string(windowless.id()) + "\t2\t" + Narrow(killed + L"\t" + killed);
  const std::string end =
      "end\tcloses 6\tkills 1\trejected 2\tcut short 2\tclosed 4\tended 1\tstill open 2\texit 1";
  const std::string kinds = "(?!close|start|outcome).*";
  const std::string reload = "reload\t" + Escaped(list);
  const Lines lines = {rejected, cut, kill, "pause", "resume", reload, rejected, cut, end};
  EXPECT_EQ(LogLines(log, kinds), lines);
  const std::string end2 = "end\tcloses 1\tkills 0\trejected 1\tcut short 1\tforced ended 1\texit 1";
  EXPECT_EQ(LogLines(log2, kinds), (Lines{rejected, cut, end2}));
}

}  // namespace
}  // namespace nagitome::e2e
