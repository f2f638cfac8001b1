// The probe program (its path from the build as NAGITOME_PROBE_WINDOW_EXE) and other processes
// started and owned by a test; Win32 helpers the Wine-side tests and benchmarks share.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

#include "tests/support/test_support.h"
#include "win32/handle.h"

namespace nagitome::probes {

using namespace testing_support;

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

// A path from the build (Unix under Wine) as a Windows path: Wine maps drive Z: to the root.
inline std::wstring WindowsPath(std::wstring path) {
  if (path.rfind(L"/", 0) != 0) return path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return L"Z:" + path;
}

// Unique within the machine for this run: process id, tick and a counter.
inline std::wstring UniqueSuffix() {
  static LONG counter = 0;
  wchar_t text[64];
  const auto tick = GetTickCount64() % 100000;
  swprintf(text, 64, L"%lux%llux%ld", GetCurrentProcessId(), tick, InterlockedIncrement(&counter));
  return text;
}

inline std::wstring Quote(const std::wstring& argument) { return L"\"" + argument + L"\""; }

// A child process, terminated if it still runs when its owner goes.
class ChildProcess {
 public:
  ~ChildProcess() {
    if (Running() && TerminateProcess(process_.get(), 99)) WaitForExit(10000);
  }
  // Standard output and error to out and err (inheritable) when given; desktop: "station\\desktop".
  bool Start(const std::wstring& exe, const std::wstring& arguments, HANDLE out = nullptr,
             HANDLE err = nullptr, std::wstring desktop = {}) {
    std::wstring command = Quote(exe) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = out ? STARTF_USESTDHANDLES : 0;
    startup.hStdOutput = out;
    startup.hStdError = err;
    if (!desktop.empty()) startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, out != nullptr, 0, nullptr, nullptr,
                        &startup, &info)) {
      return false;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
    return true;
  }
  DWORD id() const { return id_; }
  bool Running() const { return process_ && !WaitForExit(0); }
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
  const wchar_t* onClose = L"";  // "--ignore-close", "--prompt-on-close", "--hang-on-close"
  int count = 1;                 // 0: a process without windows
  std::wstring exitOn = {};      // a log: gone half a second after its start line
  int renameAfterMs = 0;
  std::wstring renameTo = {};    // the first window's title after renameAfterMs
};

struct WindowProbe {
  ChildProcess process;
  std::wstring className, imageName, resultFile;

  // The probe copied to imageName in folder, reporting to that path and ".txt"; false unless it came up.
  bool Start(const TempFolder& folder, const std::wstring& title, const std::wstring& windowClass,
             const std::wstring& image, const WindowProbeOptions& o = {}) {
    className = windowClass;
    imageName = image;
    const std::wstring exe = folder.File(image);
    resultFile = exe + L".txt";
    std::wstring arguments = Quote(title) + L" " + Quote(className) + L" " + Quote(resultFile) +
                             L" --count " + std::to_wstring(o.count) + L" " + o.onClose;
    if (!o.exitOn.empty()) arguments += L" --exit-on " + Quote(o.exitOn);
    if (!o.renameTo.empty()) {
      arguments += L" --rename " + std::to_wstring(o.renameAfterMs) + L" " + Quote(o.renameTo);
    }
    const auto cameUp = [&] { return ReadFileBytes(resultFile).find("ready") != std::string::npos; };
    return CopyFileW(WindowsPath(L"" NAGITOME_PROBE_WINDOW_EXE).c_str(), exe.c_str(), TRUE) &&
           process.Start(exe, arguments) && WaitUntil(cameUp, 30000);
  }
  int Closes() const {  // WM_CLOSE messages its windows got so far: the lines after "ready"
    const std::string text = ReadFileBytes(resultFile);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n')) - 1;
  }
};

}  // namespace nagitome::probes
