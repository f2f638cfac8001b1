// The watcher over a fake desktop: each window with its title and each process acted on once, the
// debounce on a made-up clock, the memory as it was once windows are gone.
#include <gtest/gtest.h>

#include "engine/watch.h"
#include "tests/support/fake_desktop.h"

namespace nagitome {
namespace {

using namespace std::chrono_literals;
using Actions = std::vector<std::string>;
constexpr std::uint32_t kOwn = 99;

// A hostile alternative first: a run of "a" uses up its budget, "Ad ..." still matches.
const TaskList kList = ListOf({L"001(a*)*\\1[b]|Ad.*", L"130*.exe"});

Actions Take(FakeDesktop& desk) { return std::exchange(desk.actions, {}); }

TEST(WatcherTest, ActsOnceOnEachWindowTitleAndProcessUntilItChanges) {
  FakeDesktop desk;
  desk.AddWindow(1, 10, L"Ad one", L"C");
  desk.AddWindow(2, 10, L"Plain", L"C");
  desk.AddProcess(10, L"\\D\\app.exe");
  desk.AddProcess(11, L"\\D\\Windows\\System32\\csrss.exe");
  desk.win32Paths[11] = L"C:\\Windows\\System32\\csrss.exe";
  desk.AddWindow(3, kOwn, L"Ad own", L"C");
  Watcher watcher(desk, kList, kOwn, 20ms);
  watcher.RunOnce();
  EXPECT_EQ(Take(desk), (Actions{"close 1", "kill 10"}));
  const struct {
    std::function<void()> change;
    Actions expected;
  } steps[] = {
      {[] {}, {}},
      {[&] { desk.windows[1].title = L"Ad two"; }, {"close 2"}},
      {[&] { desk.AddWindow(4, 20, std::wstring(300, L'a') + L"!", L"C"); }, {}},
      {[&] { desk.AddWindow(5, 20, L"Ad five", L"C"); }, {"close 5"}},
      {[&] { desk.AddProcess(20, L"\\D\\new.exe"); }, {"kill 20"}},
      {[&] { desk.windows[0].title = L"Ad one again"; }, {"close 1"}},
  };
  for (const auto& step : steps) {
    step.change();
    watcher.Scan();
    EXPECT_EQ(Take(desk), step.expected);
  }
  EXPECT_EQ(watcher.TakeCutShort(), std::vector<int>{0});
  desk.AddWindow(6, 20, std::wstring(300, L'a') + L"?", L"C");
  watcher.Scan();
  EXPECT_EQ(watcher.TakeCutShort(), std::vector<int>{});
  watcher.Load(kList);
  watcher.Scan();
  EXPECT_EQ(Take(desk), (Actions{"close 1", "close 2", "close 5", "kill 10", "kill 20"}));
  EXPECT_EQ(watcher.TakeCutShort(), std::vector<int>{0});
}

TEST(WatcherTest, TestsAWindowOnceItsDebounceEndsAndForgetsWhatIsGone) {
  FakeDesktop desk;
  Watcher watcher(desk, kList, kOwn);
  watcher.RunOnce();
  const auto t = WatchClock::time_point{} + 1h;
  watcher.Report(7, t);
  watcher.Report(7, t + 60ms);
  EXPECT_EQ(watcher.NextDue(), t + 100ms);
  EXPECT_EQ(watcher.TakeDue(t + 99ms), std::vector<WindowHandle>{});
  EXPECT_EQ(watcher.TakeDue(t + 100ms), std::vector<WindowHandle>{7});
  watcher.Test({7, 10, L"Ad seven", L"C"});
  watcher.Test({7, 10, L"Ad seven", L"C"});
  watcher.Test({8, kOwn, L"Ad own", L"C"});
  EXPECT_EQ(Take(desk), Actions{"close 7"});

  const std::size_t windows = watcher.RememberedWindows(), processes = watcher.RememberedProcesses();
  for (WindowHandle w = 100; w < 1100; ++w) {
    watcher.Report(w, t);
    desk.AddWindow(w, static_cast<std::uint32_t>(w), L"Plain", L"C");
    desk.AddProcess(static_cast<std::uint32_t>(w), L"\\D\\p.com");
    if (w % 100 == 99) {
      watcher.Scan();
      EXPECT_EQ(watcher.TakeDue(t + 1s).size(), 100u);
      desk.windows.clear();
      desk.processIds.clear();
    }
  }
  watcher.Scan();
  EXPECT_EQ(watcher.RememberedWindows(), windows - 1);  // window 7 is gone too
  EXPECT_EQ(watcher.RememberedProcesses(), processes);
  EXPECT_EQ(watcher.PendingWindows(), 0u);
  EXPECT_EQ(Take(desk), Actions{});
}

}  // namespace
}  // namespace nagitome
