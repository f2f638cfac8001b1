// A task list is never the output of a run or a preview, and no start waits where nobody can
// answer it.
#include "exe_test.h"

namespace nagitome {
namespace {

using namespace probes;
using ListSafetyTest = e2e::ExeTest;

// However the list's own file is spelled, a report does not land on it, nor (spelled as a hard link,
// which shares no part of its name) a log, the run going on without one. Where nobody can see the desktop
// (a window station of this process's making lacks WSF_VISIBLE), every start that would open the editor,
// and "/e" with a list it cannot load, ends at once with 2. "/p" says why it failed in one line; a log on
// a device is written like any other.
TEST_F(ListSafetyTest, NoOutputLandsOnTheListAndNoStartWaitsForNobody) {
  const WindowProbe& probe = Probe(L"-", L"ListSafety" + UniqueSuffix(), {.onClose = L"--ignore-close"});
  const std::wstring list = WriteList(L"night rules.txt", {{.MatchTarget = MatchTarget::WindowClass,
                                                             .Keyword = probe.className}});
  const std::string bytes = ReadFileBytes(list);
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(list.c_str(), shortName, MAX_PATH), 0u);
  const std::wstring link = folder_.File(L"link.txt");
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), list.c_str(), nullptr));
  std::wstring upper = list;
  CharUpperW(upper.data());
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.path().c_str()));
  const std::wstring held = folder_.File(L"held.txt");
  ASSERT_TRUE(CopyFileW(list.c_str(), held.c_str(), TRUE));
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};  // also standard output that takes nothing
  UniqueFileHandle hold(CreateFileW(held.c_str(), GENERIC_READ, 0, &inherit, OPEN_EXISTING, 0, nullptr));
  const std::wstring station = L"NagitomeUnseen" + UniqueSuffix();
  const HWINSTA own = GetProcessWindowStation();
  const HWINSTA made = CreateWindowStationW(station.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
  ASSERT_TRUE(made && SetProcessWindowStation(made));
  const bool desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr) != nullptr;
  SetProcessWindowStation(own);
  ASSERT_TRUE(desktop);
  const std::wstring unseen = station + L"\\Default";
  const std::wstring p = L"/p " + Quote(list) + L" ";
  const struct {
    std::wstring arguments;
    DWORD code;
    bool complains;
    std::wstring desktop = {};
    HANDLE output = nullptr;
  } cases[] = {
      {p + Quote(list), 3, true},
      {p + L"\"night rules.txt\"", 3, true},
      {p + Quote(upper), 3, true},
      {p + Quote(shortName), 3, true},
      {p + Quote(L"\\\\?\\" + list), 3, true},
      {p + Quote(link), 3, true},
      {L"/e " + Quote(list) + L" /log " + Quote(link) + L" /wait 0", 3, false},
      {L"/e " + Quote(list) + L" /log NUL /wait 0", 0, false},
      {L"/p " + Quote(list), 3, true, {}, hold.get()},
      {L"/e " + Quote(folder_.File(L"missing.txt")), 2, false, unseen},
      {L"/e " + Quote(held), 2, false, unseen},
      {L"/P", 2, true, unseen},
      {L"", 2, false, unseen},
      {Quote(list) + L" extra", 2, false, unseen},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const Ran ran = Run(c.arguments, {.output = c.output, .desktop = c.desktop});
    EXPECT_EQ(ran.code, c.code);
    const bool oneLine = ran.error.size() > 2 && ran.error.find("\r\n") + 2 == ran.error.size();
    EXPECT_EQ(oneLine, c.complains) << ran.error;
    EXPECT_TRUE(ran.shown.empty());
    EXPECT_FALSE(TakeSettings());
  }
  EXPECT_EQ(ReadFileBytes(list), bytes);
  EXPECT_TRUE(WaitUntil([&] { return probe.Closes() == 2; }));
}

}  // namespace
}  // namespace nagitome
