// Processes a test starts and owns, the probe program among them.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

#include "tests/support/test_support.h"
#include "win32/handle.h"

namespace nagitome::probes {

using namespace testing_support;

inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000, DWORD pollMs = 10) {
  for (const ULONGLONG end = GetTickCount64() + timeoutMs; !condition(); Sleep(pollMs)) {
    if (GetTickCount64() >= end) return false;
  }
  return true;
}

inline std::wstring WindowText(HWND window) {
  std::wstring text(65536, L'\0');
  text.resize(GetWindowTextW(window, text.data(), 65536));
  return text;
}

// A path from the build (Unix under Wine) as a Windows path: Wine maps drive Z: to the root.
inline std::wstring WindowsPath(std::wstring path) {
  if (!path.starts_with(L'/')) return path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return L"Z:" + path;
}

inline std::wstring UniqueSuffix() {
  static LONG counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(GetTickCount64() % 100000) + L"x" +
         std::to_wstring(InterlockedIncrement(&counter));
}

inline std::wstring Quote(const std::wstring& argument) { return L"\"" + argument + L"\""; }

class ChildProcess {  // terminated if it still runs when its owner goes
 public:
  ~ChildProcess() {
    if (Running() && TerminateProcess(process_.get(), 99)) WaitForExit(10000);
  }
  bool Start(const std::wstring& exe, const std::wstring& arguments, HANDLE out = nullptr,
             HANDLE err = nullptr, std::wstring desktop = {}) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    if (!desktop.empty()) startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION info{};
    std::wstring line = Quote(exe) + L" " + arguments;
    const bool ok = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, !!out, 0, nullptr, nullptr,
                                   &startup, &info);
    UniqueKernelHandle thread(info.hThread);
    process_.reset(info.hProcess);
    return ok;
  }
  DWORD id() const { return GetProcessId(process_.get()); }
  bool Running() const { return process_ && !WaitForExit(0); }
  bool WaitForExit(DWORD ms) const { return WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  UniqueKernelHandle process_;
};

struct WindowProbe {
  ChildProcess process;
  std::wstring className, imageName, resultFile;

  // Copied to folder as image; false unless it came up.
  bool Start(const TempFolder& folder, const std::wstring& title, const std::wstring& windowClass,
             const std::wstring& image, const std::wstring& options = L"") {
    className = windowClass;
    imageName = image;
    const std::wstring exe = folder.File(image);
    resultFile = exe + L".txt";
    const std::wstring arguments = Quote(title) + L" " + Quote(windowClass) + L" " + Quote(resultFile) + L" ";
    return CopyFileW(WindowsPath(L"" NAGITOME_PROBE_WINDOW_EXE).c_str(), exe.c_str(), TRUE) &&
           process.Start(exe, arguments + options) && WaitUntil([&] { return Closes() >= 0; }, 30000);
  }
  int Closes() const {  // the lines after "ready"
    const std::string text = ReadFileBytes(resultFile);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n')) - 1;
  }
};

}  // namespace nagitome::probes
