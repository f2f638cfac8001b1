// Wine cannot say what is critical: a system image name is kept in the system directory, not elsewhere.
#include "exe_test.h"

namespace nagitome::e2e {
namespace {

using GuardTest = ExeTest;

TEST_F(GuardTest, TheSystemsOwnImageIsNeverKilledAPlantedOneIs) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_TRUE(GetSystemDirectoryW(system, MAX_PATH));
  const ChildProcess& kept = Probe(L"-", L"-", L"--count 0", system + std::wstring(L"\\csrss.exe")).process;
  const ChildProcess& planted = Probe(L"-", L"-", L"--count 0", L"csrss.exe").process;
  const std::wstring log = folder_.File(L"run.log");
  const std::wstring list = WriteList(L"list.txt", {Te(L"130csrss.exe")});
  EXPECT_EQ(Run(L"/e " + Quote(list) + L" /log " + Quote(log)).code, 0u);
  EXPECT_TRUE(planted.WaitForExit(20000));
  EXPECT_TRUE(kept.Running());
  EXPECT_EQ(LogLines(log, ".*protected"), Lines{"outcome\t" + std::to_string(kept.id()) + "\t1\tprotected"});
}

}  // namespace
}  // namespace nagitome::e2e
