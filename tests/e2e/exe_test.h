// The exe copied to a fresh folder, where its settings land, and run against probe windows and processes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <regex>
#include <sstream>

#include "probe_client.h"
#include "tasks/task_file_format.h"

namespace nagitome::e2e {

using namespace probes;
using Lines = std::vector<std::string>;

inline std::string Narrow(const std::wstring& text) { return {text.begin(), text.end()}; }  // ASCII only

inline std::string Escaped(const std::wstring& path) {  // as the log writes a path
  return std::regex_replace(Narrow(path), std::regex(R"(\\)"), R"(\\)");
}

struct How {
  bool answer = false;  // each window of the exe closed
  HANDLE output = nullptr;
  std::wstring desktop = {};
  std::wstring exe = {};  // a copy under another name
};
struct Ran {
  DWORD code = 0;
  DWORD pid = 0;
  bool shown = false;  // a window but the main dialog, which Wine flashes when it ends in WM_INITDIALOG
  std::string output{};
};

class ExeTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CopyFileW(WindowsPath(L"" NAGITOME_EXE).c_str(), exe_.c_str(), TRUE)); }

  std::wstring WriteList(const std::wstring& name, const std::vector<TaskEntry>& entries) {
    EXPECT_TRUE(WriteFileBytes(folder_.File(name), EncodeTaskList(entries)));
    return folder_.File(name);
  }
  WindowProbe& Probe(const std::wstring& title, const std::wstring& windowClass,
                     const std::wstring& options = {}, std::wstring image = {}) {
    if (image.empty()) image = L"e2e-" + UniqueSuffix() + L".exe";
    EXPECT_TRUE(probes_.emplace_back().Start(folder_, title, windowClass, image, options));
    return probes_.back();
  }
  // The lines that match keep, unstamped; "!" marks one without a stamp or CR LF.
  Lines LogLines(const std::wstring& path, const std::string& keep = ".*") {
    std::istringstream in(ReadFileBytes(path).substr(3));
    Lines lines;
    const std::regex stamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}\+05:30\t(.*)\r)");
    const std::regex wanted(keep);
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
      line = std::regex_match(line, m, stamp) ? m[1].str() : "!" + line;
      if (std::regex_match(line, wanted)) lines.push_back(line);
    }
    return lines;
  }
  Ran Run(const std::wstring& arguments, const How& how = {}) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::wstring said = folder_.File(L"said.txt");  // standard output and error
    UniqueFileHandle file(CreateFileW(said.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr));
    ChildProcess run;
    const HANDLE out = how.output ? how.output : file.get();
    EXPECT_TRUE(run.Start(how.exe.empty() ? exe_ : how.exe, arguments, out, file.get(), how.desktop));
    file.reset();
    Ran ran{.pid = run.id()};
    const auto ended = [&] {
      for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != ran.pid || !IsWindowVisible(w)) continue;
        if (how.answer) PostMessageW(w, WM_CLOSE, 0, 0);
        // The dialog Wine flashes may be torn down while it is read: its list view goes first.
        ran.shown |= !GetDlgItem(w, 2000) && IsWindow(w);
      }
      return !run.Running();
    };
    EXPECT_TRUE(WaitUntil(ended, 60000, how.answer ? 50 : 1));
    ran.code = run.ExitCode();
    ran.output = ReadFileBytes(said);
    return ran;
  }

  TempFolder folder_;
  const std::wstring exe_ = folder_.File(L"Nagitome.exe");
  const std::wstring u_ = UniqueSuffix();
  std::deque<WindowProbe> probes_;  // stable addresses as probes are added
};

}  // namespace nagitome::e2e
