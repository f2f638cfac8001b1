// A task list is never the output of a run or a preview, and no start waits where nobody can
// answer it.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "probe_client.h"
#include "tasks/task_file_format.h"

namespace nagitome {
namespace {

using namespace probes;

// A desktop on a window station of this process's making, which lacks WSF_VISIBLE: where a task
// runs "whether the user is logged on or not".
const std::wstring& InvisibleDesktop() {
  static const std::wstring name = [] {
    const std::wstring station = L"NagitomeUnseen" + UniqueSuffix();
    const HWINSTA own = GetProcessWindowStation();
    const HWINSTA made = CreateWindowStationW(station.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
    if (!made || !SetProcessWindowStation(made)) return std::wstring();
    const bool desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr) != nullptr;
    SetProcessWindowStation(own);
    return desktop ? station + L"\\Default" : std::wstring();
  }();
  return name;
}

class ListSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileW(WindowsPath(L"" NAGITOME_EXE).c_str(), exe_.c_str(), TRUE));
    const std::vector<TaskEntry> entries = {{EndMethod::CloseWindow, MatchTarget::WindowClass,
                                             MatchMethod::Wildcard, L"ListSafety" + suffix_}};
    listBytes_ = EncodeTaskList(entries);
    ASSERT_TRUE(WriteFileBytes(list_, listBytes_));
  }

  struct Ran {
    DWORD code = STILL_ACTIVE;
    std::string error;  // what it wrote to standard error
  };
  // Runs the exe to its end; nothing here may wait for a user, so 20 s is a hang.
  Ran Run(const std::wstring& arguments, const std::wstring& desktop = {}, HANDLE output = nullptr) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::wstring errorFile = folder_.File(L"error" + UniqueSuffix() + L".txt");
    UniqueFileHandle error(CreateFileW(errorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                       CREATE_ALWAYS, 0, nullptr));
    ChildProcess nagitome;
    EXPECT_TRUE(nagitome.Start(exe_, arguments, output ? output : error.get(), desktop, error.get()));
    EXPECT_TRUE(nagitome.WaitForExit(20000)) << "still running";
    error.reset();
    return {nagitome.ExitCode(), ReadFileBytes(errorFile)};
  }

  bool SettingsWritten() const {
    wchar_t user[256] = {};
    DWORD size = 256;
    GetUserNameW(user, &size);
    return GetFileAttributesW(folder_.File(std::wstring(user) + L" Nagitome.ini").c_str()) !=
           INVALID_FILE_ATTRIBUTES;
  }

  TempFolder folder_;
  const std::wstring suffix_ = UniqueSuffix();
  const std::wstring exe_ = folder_.File(L"Nagitome.exe");
  const std::wstring list_ = folder_.File(L"night rules for the desktop.txt");
  std::string listBytes_;
};

// One reason line on standard error.
bool OneLine(const std::string& text) {
  return text.size() > 2 && text.find("\r\n") == text.size() - 2;
}

// However the list's own file is spelled, neither a report nor a log lands on it; the run goes on.
TEST_F(ListSafetyTest, NoReportOrLogIsWrittenOverTheList) {
  WindowProbe probe;
  ASSERT_TRUE(StartWindowProbe(folder_, probe, L"-", L"ListSafety" + suffix_, L"safety-" + suffix_ + L".exe",
                               {.ignoreClose = true}));
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(list_.c_str(), shortName, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(shortName), list_);
  const std::wstring link = folder_.File(L"link.txt");
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), list_.c_str(), nullptr));
  std::wstring upper = list_;
  CharUpperW(upper.data());
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.path().c_str()));
  const std::wstring spellings[] = {list_, L"night rules for the desktop.txt", upper, shortName,
                                    L"\\\\?\\" + list_, link};
  int runs = 0;
  for (const std::wstring& spelled : spellings) {
    SCOPED_TRACE(testing::PrintToString(spelled));
    const Ran preview = Run(L"/p " + Quote(list_) + L" " + Quote(spelled));
    EXPECT_EQ(preview.code, 3u);
    EXPECT_TRUE(OneLine(preview.error)) << preview.error;
    const Ran run = Run(L"/e " + Quote(list_) + L" /log " + Quote(spelled) + L" /wait 0");
    EXPECT_EQ(run.code, 3u);
    EXPECT_EQ(run.error, "");
    ++runs;
    EXPECT_EQ(ReadFileBytes(list_), listBytes_);
  }
  EXPECT_TRUE(WaitUntil([&] { return probe.Closes() == runs; }));
  EXPECT_FALSE(SettingsWritten());
}

// "/e" and "/p" without a list, and every start that would open the editor where nobody can see
// it, end at once with 2 and show nothing; a log on a device is written like any other.
TEST_F(ListSafetyTest, StartsNobodyCanAnswerEndAtOnce) {
  const std::wstring& unseen = InvisibleDesktop();
  ASSERT_FALSE(unseen.empty());
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, &inherit, 0));
  CloseHandle(read);  // standard output that takes nothing
  UniqueKernelHandle closedOutput(write);
  const struct {
    std::wstring arguments, desktop;
    DWORD code;
    bool complains = false;
    HANDLE output = nullptr;
  } cases[] = {
      {L"/e", unseen, 2},
      {L"/P", {}, 2, true},
      {L"/p", unseen, 2, true},
      {L"", unseen, 2},
      {Quote(list_), unseen, 2},
      {Quote(list_) + L" extra", unseen, 2},
      {L"/e " + Quote(list_) + L" /log NUL", {}, 0},
      {L"/p " + Quote(list_), {}, 3, true, closedOutput.get()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const Ran ran = Run(c.arguments, c.desktop, c.output);
    EXPECT_EQ(ran.code, c.code);
    EXPECT_EQ(OneLine(ran.error), c.complains) << ran.error;
    EXPECT_FALSE(SettingsWritten());
  }
}

// On the desktop, "/e" alone is a missing list: its message, then the editor, then exit code 2.
TEST_F(ListSafetyTest, RunWithoutAListShowsItsMessageThenTheEditor) {
  ChildProcess nagitome;
  ASSERT_TRUE(nagitome.Start(exe_, L"/e"));
  std::set<HWND> answered;
  EXPECT_TRUE(WaitUntil([&] {
    for (HWND w : VisibleWindows()) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid != nagitome.id()) continue;
      PostMessageW(w, WM_CLOSE, 0, 0);
      answered.insert(w);
    }
    return !nagitome.Running();
  }, 30000, 100));
  EXPECT_GE(answered.size(), 2u);  // the message, the editor
  EXPECT_EQ(nagitome.ExitCode(), 2u);
}

}  // namespace
}  // namespace nagitome
