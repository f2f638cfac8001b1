// What keeps Windows running is never ended: under Wine, which cannot say what is critical, an
// image of the system's own name in the system directory is kept, the same name elsewhere is not.
#include "exe_test.h"

namespace nagitome {
namespace {

using namespace probes;
using GuardTest = e2e::ExeTest;

// The windowless probe copied to exe and started; it has written "ready" once it runs.
bool StartAs(const std::wstring& exe, ChildProcess& process, const std::wstring& result) {
  return CopyFileW(WindowsPath(L"" NAGITOME_PROBE_WINDOW_EXE).c_str(), exe.c_str(), FALSE) &&
         process.Start(exe, L"- - " + Quote(result) + L" --count 0") &&
         WaitUntil([&] { return ReadFileBytes(result).find("ready") != std::string::npos; }, 30000);
}

TEST_F(GuardTest, TheSystemsOwnImageIsNeverKilledAPlantedOneIs) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  ChildProcess kept;
  ChildProcess planted;
  ASSERT_TRUE(StartAs(std::wstring(system) + L"\\csrss.exe", kept, folder_.File(L"kept.txt")));
  ASSERT_TRUE(StartAs(folder_.File(L"csrss.exe"), planted, folder_.File(L"planted.txt")));
  const TaskEntry csrss{EndMethod::Taskkill, MatchTarget::ProcessName, MatchMethod::Wildcard, L"csrss.exe"};
  const std::wstring list = WriteList(L"list.txt", {csrss});
  const std::wstring log = folder_.File(L"run.log");
  const std::string keptPid = std::to_string(kept.id());
  const std::string report = Run(L"/p " + Quote(list)).output;
  EXPECT_NE(report.find("\r\n# protected row 1 pid " + keptPid + "\r\n"), std::string::npos) << report;
  EXPECT_EQ(Run(L"/e " + Quote(list) + L" /log " + Quote(log)).code, 0u);
  EXPECT_TRUE(planted.WaitForExit(20000));
  EXPECT_TRUE(kept.Running());
  EXPECT_NE(ReadFileBytes(log).find("\toutcome\t" + keptPid + "\t1\tprotected\r\n"), std::string::npos);
}

}  // namespace
}  // namespace nagitome
