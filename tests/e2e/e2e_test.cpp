// Nagitome.exe from outside: "/e" with a task list ends exactly what the list names and never
// shows a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <deque>
#include <iomanip>
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

  std::wstring WriteList(const std::vector<TaskEntry>& entries) {
    const std::wstring path = folder_.File(L"list.txt");
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
  for (const wchar_t* flag : {L"/e", L"/E"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(flag)));
    windows_.clear();
    const std::wstring u = probes::UniqueSuffix();  // names differing in case only are one file
    const std::vector<TaskEntry> list = {
        {E::CloseWindow, T::WindowTitle, M::Wildcard, L"e2e wild " + u + L" *"},
        {E::CloseWindow, T::WindowClass, M::Wildcard, L"E2eClass" + u},
        {E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L"e2e regex " + u + L"（rx" + u + L"[a-z]+）"},
        {E::CloseWindow, T::ProcessName, M::Wildcard, L"e2e-close-" + u + L"-?.exe"},
        {E::Taskkill, T::ProcessName, M::Wildcard, L"e2e-kill-" + u + L".exe"},
        {E::Taskkill, T::WindowTitle, M::RegexCaseSensitive, L"e2e kill title " + u},
    };
    const std::wstring listPath = WriteList(list);
    struct Expect { WindowProbe* probe; int closes; bool ends; };
    const std::vector<Expect> windows = {
        {&Window(L"e2e wild " + u + L" alpha", L"Wild" + u), 1, true},
        {&Window(L"e2e wild " + u + L" ", L"WildBare" + u), 0, false},  // the star wants a unit
        {&Window(L"E2E wild " + u + L" alpha", L"WildCase" + u), 0, false},
        {&Window(L"e2e class", L"E2eClass" + u), 1, true},
        {&Window(L"e2e class", L"E2eClass" + u + L"x"), 0, false},
        {&Window(L"E2E Regex " + u, L"rx" + u + L"main"), 1, true},
        {&Window(L"E2E Regex " + u, L"rx" + u + L"9"), 0, false},
        {&Window(L"E2E Regex " + u + L" more", L"rx" + u + L"main"), 0, false},
        {&Window(L"e2e kill title " + u, L"KillTitle" + u, {.ignoreClose = true}), 0, true},
        {&Window(L"E2E kill title " + u, L"KillTitleCase" + u, {.ignoreClose = true}), 0, false},
        {&Window(L"by name", L"ByName" + u, {}, L"e2e-close-" + u + L"-d.exe"), 1, true},
        {&Window(L"by name", L"ByName" + u, {}, L"e2e-close-" + u + L"-dd.exe"), 0, false},
    };
    ChildProcess killed, spared;
    ASSERT_TRUE(StartProcessProbe(folder_, killed, L"e2e-kill-" + u + L".exe"));
    ASSERT_TRUE(StartProcessProbe(folder_, spared, L"e2e-kill-" + u + L"x.exe"));

    std::vector<std::wstring> shown;
    EXPECT_EQ(RunHidden(std::wstring(flag) + L" " + Quote(listPath), shown), 0u);
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
