// What keeps Windows running is never ended: under Wine, which cannot say what is critical, an
// image of the system's own name in the system directory is kept, the same name elsewhere is not.
#include <gtest/gtest.h>

#include <windows.h>

#include "probe_client.h"
#include "tasks/task_file_format.h"

namespace nagitome {
namespace {

using namespace probes;

// The windowless probe copied to exe and started; it has written "ready" once it runs.
bool StartAs(const std::wstring& exe, ChildProcess& process, const std::wstring& result) {
  return CopyFileW(WindowsPath(L"" NAGITOME_PROBE_WINDOW_EXE).c_str(), exe.c_str(), FALSE) &&
         process.Start(exe, L"- - " + Quote(result) + L" --count 0") &&
         WaitUntil([&] { return ReadFileBytes(result).find("ready") != std::string::npos; }, 30000);
}

TEST(GuardTest, TheSystemsOwnImageIsNeverKilledAPlantedOneIs) {
  TempFolder folder;
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring own = std::wstring(system) + L"\\csrss.exe";
  ChildProcess kept;
  ChildProcess planted;
  ASSERT_TRUE(StartAs(own, kept, folder.File(L"kept.txt")));
  ASSERT_TRUE(StartAs(folder.File(L"csrss.exe"), planted, folder.File(L"planted.txt")));
  const std::wstring list = folder.File(L"list.txt");
  const std::wstring log = folder.File(L"run.log");
  const std::vector<TaskEntry> entries = {
      {EndMethod::Taskkill, MatchTarget::ProcessName, MatchMethod::Wildcard, L"csrss.exe"}};
  ASSERT_TRUE(WriteFileBytes(list, EncodeTaskList(entries)));
  const std::wstring exe = WindowsPath(L"" NAGITOME_EXE);
  ChildProcess preview;
  ASSERT_TRUE(preview.Start(exe, L"/p " + Quote(list) + L" " + Quote(folder.File(L"report.txt"))));
  ASSERT_TRUE(preview.WaitForExit(20000));
  const std::string keptPid = std::to_string(kept.id());
  EXPECT_NE(ReadFileBytes(folder.File(L"report.txt")).find("\r\n# protected row 1 pid " + keptPid + "\r\n"),
            std::string::npos);
  ChildProcess run;
  ASSERT_TRUE(run.Start(exe, L"/e " + Quote(list) + L" /log " + Quote(log)));
  ASSERT_TRUE(run.WaitForExit(20000));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_TRUE(planted.WaitForExit(20000));
  EXPECT_TRUE(kept.Running());
  EXPECT_NE(ReadFileBytes(log).find("\toutcome\t" + keptPid + "\t1\tprotected\r\n"), std::string::npos);
}

}  // namespace
}  // namespace nagitome
