// Nagitome.exe run as a scheduled task or a script runs it, against probe windows and processes: a copy
// of its own in a fresh folder, so that settings written beside the exe land there.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <deque>

#include "probe_client.h"
#include "tasks/task_file_format.h"

namespace nagitome::e2e {

using namespace probes;

// Whether a taskkill or the command it runs in is there.
inline bool CommandsRunning() {
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W p{};
  p.dwSize = sizeof p;
  bool running = false;
  for (BOOL more = Process32FirstW(snapshot.get(), &p); more; more = Process32NextW(snapshot.get(), &p)) {
    running |= !_wcsicmp(p.szExeFile, L"cmd.exe") || !_wcsicmp(p.szExeFile, L"taskkill.exe");
  }
  return running;
}

class ExeTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CopyFileW(WindowsPath(L"" NAGITOME_EXE).c_str(), exe_.c_str(), TRUE)); }

  std::wstring WriteList(const std::wstring& name, const std::vector<TaskEntry>& entries) {
    EXPECT_TRUE(WriteFileBytes(folder_.File(name), EncodeTaskList(entries)));
    return folder_.File(name);
  }
  WindowProbe& Probe(const std::wstring& title, const std::wstring& className,
                     WindowProbeOptions options = {}, const std::wstring& image = L"") {
    const std::wstring name = image.empty() ? L"e2e-" + UniqueSuffix() + L".exe" : image;
    EXPECT_TRUE(probes_.emplace_back().Start(folder_, title, className, name, options));
    return probes_.back();
  }
  // Whether the editor wrote its settings since last asked.
  bool TakeSettings() {
    wchar_t user[256] = {};
    DWORD size = 256;
    GetUserNameW(user, &size);
    return DeleteFileW(folder_.File(std::wstring(user) + L" Nagitome.ini").c_str()) != FALSE;
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
    std::string output, error;
  };
  // Runs exe to its end and that of the commands its taskkills start.
  Ran Run(const std::wstring& arguments) { return Run(arguments, How()); }
  Ran Run(const std::wstring& arguments, const How& how) {
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
    Ran ran;
    ran.pid = nagitome.id();
    const auto ended = [&] {
      for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != ran.pid || !IsWindowVisible(w)) continue;
        if (how.answer) PostMessageW(w, WM_CLOSE, 0, 0);
        // The dialog Wine flashes may be torn down while it is read: its list view goes first.
        ran.shown |= !GetDlgItem(w, 2000) && IsWindow(w);
      }
      return !nagitome.Running() && !CommandsRunning();
    };
    EXPECT_TRUE(WaitUntil(ended, 60000, how.answer ? 50 : 1));
    ran.code = nagitome.ExitCode();
    ran.output = ReadFileBytes(folder_.File(L"output.txt"));
    ran.error = ReadFileBytes(folder_.File(L"error.txt"));
    return ran;
  }

  TempFolder folder_;
  const std::wstring exe_ = folder_.File(L"Nagitome.exe");
  std::deque<WindowProbe> probes_;  // stable addresses as probes are added
};

}  // namespace nagitome::e2e
