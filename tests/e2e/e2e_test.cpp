#include "exe_test.h"

namespace nagitome::e2e {
namespace {

using CommandLineTest = ExeTest;

std::string Hex(HWND window) {  // as the report and the log write a handle
  char text[24];
  std::snprintf(text, sizeof text, "%08llX", 0ull + std::uintptr_t(window));
  return text;
}

// The editor alone writes settings.
TEST_F(CommandLineTest, TheExitCodeAndTheLogSayHowTheRunWent) {
  const WindowProbe& slow = Probe(std::wstring(400, L'a'), L"Slow" + u_, L"--ignore-close");
  const std::string window = Hex(FindWindowW(slow.className.c_str(), nullptr));
  WriteList(L"list.txt", {Te(L"010Slow" + u_), Te(L"001(a*)*\\1[b]"), Te(L"001(x" + u_)});
  const std::wstring rules = WriteList(L"rules.txt", {Te(L"010Slow" + u_)});
  const std::string rulesBytes = ReadFileBytes(rules);
  ASSERT_TRUE(CreateHardLinkW(folder_.File(L"link.txt").c_str(), rules.c_str(), nullptr));
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::wstring held = folder_.File(L"held");
  UniqueFileHandle readOnly(CreateFileW(held.c_str(), GENERIC_READ, 0, &inherit, CREATE_NEW, 0, nullptr));
  // A station of our making lacks WSF_VISIBLE, as a scheduled task's does.
  const std::wstring station = L"NagitomeUnseen" + u_;
  const HWINSTA own = GetProcessWindowStation();
  const HWINSTA made = CreateWindowStationW(station.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
  ASSERT_TRUE(made && SetProcessWindowStation(made));
  ASSERT_TRUE(CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr));
  SetProcessWindowStation(own);
  const How unseen{.desktop = station + L"\\Default"};
  // "@" is the folder. The state: exit code, a box, the editor, what it says after its message.
  const struct {
    std::wstring arguments;
    std::string state;
    How how = {};
  } cases[] = {
      {LR"(/e "@list.txt" /LOG "@run.log" /wait 0)", "1"},
      {LR"(/e "@missing.txt" /log "@run.log")", "2 box editor", {.answer = true}},
      {LR"(/p "@missing.txt" "@r.txt")", "2 said @missing.txt"},
      {LR"(/p "@rules.txt" "@no\r.txt")", R"(3 said @no\r.txt)"},
      {LR"(/p "@rules.txt" "@link.txt")", "3 said @link.txt"},
      {LR"(/e "@rules.txt" /log "@link.txt" /wait 0)", "3"},
      {LR"(/e "@rules.txt" /log NUL /wait 0)", "0"},
      {LR"(/p "@rules.txt")", "3 said 標準出力", {.output = readOnly.get()}},
      {LR"(/e "@missing.txt")", "2", unseen},
      {LR"(/e "@held")", "2", unseen},
      {L"", "2", unseen},
  };
  const std::string at = Narrow(folder_.File(L""));
  Lines pids;
  for (const auto& c : cases) {
    const Ran ran = Run(std::regex_replace(c.arguments, std::wregex(L"@"), folder_.File(L"")), c.how);
    pids.push_back(std::to_string(ran.pid));
    const std::string said = std::regex_replace(ran.output, std::regex("^[^\n]* |\r\n$"), "");
    bool editor = false;
    for (const auto& file : std::filesystem::directory_iterator(folder_.path())) {
      editor |= file.path().extension() == ".ini" && std::filesystem::remove(file);
    }
    const std::string state = std::to_string(ran.code) + (ran.shown ? " box" : "") +
                              (editor ? " editor" : "") + (said.empty() ? "" : " said " + said);
    EXPECT_EQ(state, std::regex_replace(c.state, std::regex("@"), at)) << Narrow(c.arguments);
  }
  const std::wstring self = L"self" + u_ + L".exe";  // a run that ends itself has logged that first
  const std::wstring selfList = WriteList(L"self.txt", {Te(L"130" + self)});
  ASSERT_TRUE(CopyFileW(exe_.c_str(), folder_.File(self).c_str(), TRUE));
  const std::wstring selfRun = L"/e " + Quote(selfList) + L" /log " + Quote(folder_.File(L"run.log"));
  const How killsItself{.exe = folder_.File(self)};
  pids.push_back(std::to_string(Run(selfRun, killsItself).pid));
  EXPECT_EQ(ReadFileBytes(rules), rulesBytes);
  EXPECT_TRUE(WaitUntil([&] { return slow.Closes() == 3; }));
  Lines lines = LogLines(folder_.File(L"run.log"));
  lines.resize(11);  // it may log its end before the kill lands
  lines.at(7).resize(11);  // the message is the host tests'
  const std::string version = "\t" NAGITOME_VERSION "\tpid ";
  const std::string path = Escaped(folder_.File(L""));
  EXPECT_EQ(lines, (Lines{
      "start\t" + path + "list.txt" + version + pids[0],
      "close\t0x" + window + "\t1\t" + Narrow(slow.imageName) + "\tSlow" + Narrow(u_),
      "outcome\t0x" + window + "\t1\tnot checked",
      "rejected\t3\t(x" + Narrow(u_),
      "cut short\t2\t(a*)*\\\\1[b]",
      "end\tcloses 1\tkills 0\trejected 1\tcut short 1\tnot checked 1\texit 1",
      "start\t" + path + "missing.txt" + version + pids[1],
      "not loaded\t",
      "end\tcloses 0\tkills 0\trejected 0\tcut short 0\texit 2",
      "start\t" + path + "self.txt" + version + pids.back(),
      "taskkill\t" + pids.back() + "\t1\t" + Narrow(self) + "\t" + Narrow(self),
  }));
}

// "/p" reports what "/e" then ends: a hidden window, a title cut at 1023 units.
TEST_F(CommandLineTest, PreviewReportsWhatTheRunEnds) {
  const std::wstring title = L"e2e\\wild\t" + u_ + L" なぎ止め 😀" + std::wstring(1100, L'm');
  WindowProbe& hidden = Probe(title, L"Hidden" + u_);
  WindowProbe& named = Probe(L"by name", L"ByName" + u_, L"", L"e2e-close-" + u_ + L"-d.exe");
  ShowWindow(FindWindowW(hidden.className.c_str(), nullptr), SW_HIDE);
  const std::wstring list = WriteList(L"list.txt", {
      Te(L"000e2e\\wild\t" + u_ + L" *"),
      Te(L"030e2e-close-" + u_ + L"-?.exe"),
  });
  const std::string cut =
      "e2e\\\\wild\\t" + Narrow(u_) + " なぎ止め 😀" + std::string(1006 - u_.size(), 'm');
  const std::tuple<WindowProbe*, std::string, std::string> rows[] = {
      {&hidden, "1\t0\t0", cut},
      {&named, "2\t0\t3", Narrow(named.imageName)},
  };
  std::string report = "row\tend\ttarget\tpid\tprocess\twindow\ttext\r\n";
  for (const auto& [p, values, text] : rows) {
    report += values + "\t" + std::to_string(p->process.id()) + "\t" + Narrow(p->imageName) + "\t" +
              Hex(FindWindowW(p->className.c_str(), nullptr)) + "\t" + text + "\r\n";
  }
  const std::wstring file = folder_.File(L"report.txt");
  EXPECT_EQ(Run(L"/p " + Quote(list) + L" " + Quote(file)).code, 0u);
  EXPECT_EQ(ReadFileBytes(file), "\xEF\xBB\xBF" + report);
  EXPECT_EQ(Run(L"/P " + Quote(list)).output, report);
  EXPECT_EQ(Run(L"/e " + Quote(list)).code, 0u);
  for (const auto& [p, values, text] : rows) {
    EXPECT_TRUE(p->process.WaitForExit(20000)) << values;
    EXPECT_EQ(p->Closes(), 1) << values;
  }
}

// Writers take turns on one byte far past the end: holding it holds two runs back; let go, they race.
TEST_F(CommandLineTest, RunsSharingALogLeaveEveryLineWhole) {
  Probe(L"-", L"Shared" + u_, L"--ignore-close --count 400");
  const std::wstring arguments = L"/e " + Quote(WriteList(L"list.txt", {Te(L"010Shared*")})) + L" /log ";
  const std::wstring log = folder_.File(L"run.log");
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  UniqueFileHandle lock(CreateFileW(log.c_str(), GENERIC_READ, share, nullptr, CREATE_NEW, 0, nullptr));
  OVERLAPPED range{};
  range.OffsetHigh = 0x7FFFFFFF;
  ASSERT_TRUE(LockFileEx(lock.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range));
  ChildProcess runs[2];
  for (ChildProcess& run : runs) ASSERT_TRUE(run.Start(exe_, arguments + Quote(log) + L" /wait 0"));
  EXPECT_FALSE(runs[0].WaitForExit(3000));
  EXPECT_EQ(ReadFileBytes(log), "");
  lock.reset();
  EXPECT_TRUE(runs[0].WaitForExit(60000) && runs[1].WaitForExit(60000));
  EXPECT_EQ(LogLines(log, "(start|close|outcome|end)\t.*").size(), 1604u);  // a line lost or torn is missed
}

}  // namespace
}  // namespace nagitome::e2e
