// Nagitome.exe run as a scheduled task or a script runs it, against probe windows and processes: a copy
// of its own in a fresh folder, so that settings written beside the exe land there.
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

// As the log writes a path.
inline std::string Escaped(const std::wstring& path) {
  return std::regex_replace(Narrow(path), std::regex(R"(\\)"), R"(\\)");
}

inline std::string Hour() {  // "2026-12-08T13", as a log line stamped now begins
  SYSTEMTIME t{};
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d", t.wYear, t.wMonth, t.wDay, t.wHour);
  return text;
}

struct How {
  bool answer = false;  // close each window of the exe as it shows: a message box, the editor
  HANDLE output = nullptr;  // standard output, else a file read into Ran::output
  std::wstring desktop = {};  // "station\\desktop"
  std::wstring exe = {};
};
struct Ran {
  DWORD code = 0;
  DWORD pid = 0;
  bool shown = false;  // a window, not the main dialog, which Wine flashes when it ends in WM_INITDIALOG
  std::string output{}, error{};
};

class ExeTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CopyFileW(WindowsPath(L"" NAGITOME_EXE).c_str(), exe_.c_str(), TRUE)); }

  std::wstring WriteList(const std::wstring& name, const std::vector<TaskEntry>& entries) {
    EXPECT_TRUE(WriteFileBytes(folder_.File(name), EncodeTaskList(entries)));
    return folder_.File(name);
  }
  // options: the probe's own ("--count 0"...).
  WindowProbe& Probe(const std::wstring& title, const std::wstring& className, const std::wstring& options = {},
                     std::wstring image = {}) {
    if (image.empty()) image = L"e2e-" + UniqueSuffix() + L".exe";
    EXPECT_TRUE(probes_.emplace_back().Start(folder_, title, className, image, options));
    return probes_.back();
  }
  // The log's lines that match keep, after their stamps: local time (TZ=IST-5:30) in this test's hours.
  // "!" marks a line without its stamp or CR LF, "?" a log without its mark.
  Lines LogLines(const std::wstring& path, const std::string& keep = ".*") {
    std::istringstream in(ReadFileBytes(path));
    Lines lines;
    if (in.peek() != EOF && (in.get() != 0xEF || in.get() != 0xBB || in.get() != 0xBF)) lines.push_back("?");
    const std::regex stamp(R"((\d{4}-\d\d-\d\dT\d\d):\d\d:\d\d\.\d{3}\+05:30\t(.*)\r)");
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
      const bool stamped = std::regex_match(line, m, stamp) && (m[1] == hour_ || m[1] == Hour());
      lines.push_back(stamped ? m[2].str() : "!" + line);
    }
    std::erase_if(lines, [&](const std::string& line) { return !std::regex_match(line, std::regex(keep)); });
    return lines;
  }

  // Runs the exe to its end, its standard output and error into files.
  Ran Run(const std::wstring& arguments, const How& how = {}) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto file = [&](const wchar_t* name) {
      const std::wstring path = folder_.File(name);
      return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    };
    UniqueFileHandle output(file(L"output.txt"));
    UniqueFileHandle error(file(L"error.txt"));
    ChildProcess nagitome;
    const HANDLE out = how.output ? how.output : output.get();
    EXPECT_TRUE(nagitome.Start(how.exe.empty() ? exe_ : how.exe, arguments, out, error.get(), how.desktop));
    output.reset();
    error.reset();
    Ran ran{.pid = nagitome.id()};
    const auto ended = [&] {
      for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != ran.pid || !IsWindowVisible(w)) continue;
        if (how.answer) PostMessageW(w, WM_CLOSE, 0, 0);
        // The dialog Wine flashes may be torn down while it is read: its list view goes first.
        ran.shown |= !GetDlgItem(w, 2000) && IsWindow(w);
      }
      return !nagitome.Running();
    };
    EXPECT_TRUE(WaitUntil(ended, 60000, how.answer ? 50 : 1));
    ran.code = nagitome.ExitCode();
    ran.output = ReadFileBytes(folder_.File(L"output.txt"));
    ran.error = ReadFileBytes(folder_.File(L"error.txt"));
    return ran;
  }

  TempFolder folder_;
  const std::wstring exe_ = folder_.File(L"Nagitome.exe");
  const std::wstring u_ = UniqueSuffix();
  const std::string hour_ = Hour();
  std::deque<WindowProbe> probes_;  // stable addresses as probes are added
};

}  // namespace nagitome::e2e
