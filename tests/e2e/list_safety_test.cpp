// A task list is never the output of a run or a preview, and no start waits where nobody can
// answer it.
#include "exe_test.h"

namespace nagitome {
namespace {

using namespace probes;

class ListSafetyTest : public e2e::ExeTest {
 protected:
  void SetUp() override {
    ExeTest::SetUp();
    ASSERT_TRUE(WriteFileBytes(list_, listBytes_));
  }

  const std::wstring class_ = L"ListSafety" + UniqueSuffix();
  const std::wstring list_ = folder_.File(L"night rules for the desktop.txt");
  const std::string listBytes_ =
      EncodeTaskList({{.MatchTarget = MatchTarget::WindowClass, .Keyword = class_}});
};

// One reason line on standard error.
bool OneLine(const std::string& text) {
  return text.size() > 2 && text.find("\r\n") == text.size() - 2;
}

// However the list's own file is spelled, a report does not land on it, nor (spelled as a hard link, which
// shares no part of its name) a log; the run goes on without one.
TEST_F(ListSafetyTest, NoReportOrLogIsWrittenOverTheList) {
  const WindowProbe& probe = Probe(L"-", class_, {.ignoreClose = true});
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
  for (const std::wstring& spelled : spellings) {
    const Ran preview = Run(L"/p " + Quote(list_) + L" " + Quote(spelled));
    EXPECT_EQ(preview.code, 3u) << testing::PrintToString(spelled);
    EXPECT_TRUE(OneLine(preview.error)) << preview.error;
  }
  const Ran run = Run(L"/e " + Quote(list_) + L" /log " + Quote(link) + L" /wait 0");
  EXPECT_EQ(run.code, 3u);
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(ReadFileBytes(list_), listBytes_);
  EXPECT_TRUE(WaitUntil([&] { return probe.Closes() == 1; }));
  EXPECT_FALSE(TakeSettings());
}

// Every start that would open the editor where nobody can see it, and "/e" with a list it cannot load
// there, end at once with 2 and show nothing, "/p" without a list or unable to write saying why in one
// line; a log on a device is written like any other.
TEST_F(ListSafetyTest, StartsNobodyCanAnswerEndAtOnce) {
  const std::wstring& unseen = UnseenDesktop();
  ASSERT_FALSE(unseen.empty());
  const std::wstring held = folder_.File(L"held.txt");
  ASSERT_TRUE(CopyFileW(list_.c_str(), held.c_str(), TRUE));
  UniqueFileHandle hold(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
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
      {L"/e " + Quote(folder_.File(L"missing.txt")), unseen, 2},
      {L"/e " + Quote(held), unseen, 2},
      {L"/P", unseen, 2, true},
      {L"", unseen, 2},
      {Quote(list_) + L" extra", unseen, 2},
      {L"/e " + Quote(list_) + L" /log NUL", {}, 0},
      {L"/p " + Quote(list_), {}, 3, true, closedOutput.get()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const Ran ran = Run(c.arguments, {.desktop = c.desktop, .output = c.output});
    EXPECT_EQ(ran.code, c.code);
    EXPECT_EQ(OneLine(ran.error), c.complains) << ran.error;
    EXPECT_TRUE(ran.shown.empty());
    EXPECT_FALSE(TakeSettings());
  }
}

}  // namespace
}  // namespace nagitome
