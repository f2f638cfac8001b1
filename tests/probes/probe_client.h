// Starting the probe program (its path comes from the build as NAGITOME_PROBE_WINDOW_EXE) and
// other processes from a test, owning them, and reading what they left; small Win32 helpers the
// Wine-side tests and benchmarks share.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "win32/handle.h"

namespace nagitome::testing_support {

// Polls until the condition holds or the time is up; true if it held.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000, DWORD pollMs = 10) {
  for (const ULONGLONG end = GetTickCount64() + timeoutMs; !condition(); Sleep(pollMs)) {
    if (GetTickCount64() >= end) return false;
  }
  return true;
}

inline std::wstring WindowText(HWND window) {
  std::wstring text(64 * 1024, L'\0');
  return text.substr(0, std::max(0, GetWindowTextW(window, text.data(), 64 * 1024)));
}

}  // namespace nagitome::testing_support

namespace nagitome::probes {

using namespace testing_support;

// A path from the build (Unix under Wine) as a Windows path: Wine maps drive Z: to the root.
inline std::wstring WindowsPath(std::wstring path) {
  if (path.rfind(L"/", 0) != 0) return path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return L"Z:" + path;
}

// Unique within the machine for this run: process id, tick and a counter.
inline std::wstring UniqueSuffix() {
  static LONG counter = 0;
  const std::wstring process = std::to_wstring(GetCurrentProcessId());
  const std::wstring tick = std::to_wstring(GetTickCount64() % 100000);
  return process + L"x" + tick + L"x" + std::to_wstring(InterlockedIncrement(&counter));
}

inline std::wstring Quote(const std::wstring& argument) { return L"\"" + argument + L"\""; }

// A child process, terminated if it still runs when its owner goes.
class ChildProcess {
 public:
  ~ChildProcess() {
    if (Running() && TerminateProcess(process_.get(), 99)) WaitForExit(10000);
  }
  // Its standard output and error go to output when given (inheritable), its standard error to
  // error when that is given too; desktop: "station\\desktop".
  bool Start(const std::wstring& exe, const std::wstring& arguments, HANDLE output = nullptr,
             std::wstring desktop = {}, HANDLE error = nullptr) {
    std::wstring command = Quote(exe) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdOutput = output;
      startup.hStdError = error ? error : output;
    }
    if (!desktop.empty()) startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION info{};
    const BOOL made = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, output != nullptr, 0,
                                     nullptr, nullptr, &startup, &info);
    if (!made) return false;
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
    return true;
  }
  DWORD id() const { return id_; }
  bool Running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  bool WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  UniqueKernelHandle process_;
  DWORD id_ = 0;
};

struct WindowProbeOptions {
  bool ignoreClose = false;
  int count = 1;                  // 0: a process without windows
  const wchar_t* onClose = L"";   // "--prompt-on-close", "--hang-on-close"
  std::wstring exitOn = {};       // a log: gone half a second after its start line
  int renameAfterMs = 0;
  std::wstring renameTo = {};     // the first window's title after renameAfterMs
};

struct WindowProbe {
  ChildProcess process;
  std::wstring title, className, imageName, resultFile;

  int Closes() const {  // WM_CLOSE messages its windows got so far
    const std::string text = ReadFileBytes(resultFile);
    int count = 0;
    for (std::size_t at = 0; (at = text.find("close", at)) != std::string::npos; ++at) ++count;
    return count;
  }
};

// The probe copied to imageName in folder, reporting to that path and ".txt"; false unless it came up.
inline bool StartWindowProbe(const TempFolder& folder, WindowProbe& probe, const std::wstring& title,
                             const std::wstring& className, const std::wstring& imageName,
                             const WindowProbeOptions& options = {}) {
  const std::wstring exe = folder.File(imageName);
  probe.title = title;
  probe.className = className;
  probe.imageName = imageName;
  probe.resultFile = exe + L".txt";
  const std::wstring arguments = Quote(title) + L" " + Quote(className) + L" " + Quote(probe.resultFile) +
                                 L" --count " + std::to_wstring(options.count) +
                                 (options.ignoreClose ? L" --ignore-close " : L" ") + options.onClose +
                                 (options.exitOn.empty() ? L"" : L" --exit-on " + Quote(options.exitOn)) +
                                 (options.renameTo.empty() ? L"" : L" --rename " +
                                  std::to_wstring(options.renameAfterMs) + L" " + Quote(options.renameTo));
  const auto cameUp = [&] {
    return ReadFileBytes(probe.resultFile).find("ready") != std::string::npos || !probe.process.Running();
  };
  return CopyFileW(WindowsPath(L"" NAGITOME_PROBE_WINDOW_EXE).c_str(), exe.c_str(), TRUE) &&
         probe.process.Start(exe, arguments) && WaitUntil(cameUp, 30000) && probe.process.Running();
}

inline std::vector<HWND> VisibleWindows() {
  std::vector<HWND> visible;
  EnumWindows([](HWND w, LPARAM to) {
    if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(to)->push_back(w);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&visible));
  return visible;
}

// Whether a process taskkill runs in (or its console) is there.
inline bool CommandsRunning() {
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W p{};
  p.dwSize = sizeof p;
  bool running = false;
  for (BOOL more = Process32FirstW(snapshot.get(), &p); more; more = Process32NextW(snapshot.get(), &p)) {
    for (const wchar_t* name : {L"cmd.exe", L"conhost.exe", L"taskkill.exe"}) {
      running |= !_wcsicmp(p.szExeFile, name);
    }
  }
  return running;
}

}  // namespace nagitome::probes
