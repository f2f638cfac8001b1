// Starting the probe programs from a test, owning them, and reading what they report.
// The probes' paths come from the build as NAGITOME_PROBE_WINDOW_EXE / NAGITOME_PROBE_PROCESS_EXE.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/win32_test.h"

namespace nagitome::probes {

using testing_support::ReadFileBytes;
using testing_support::TempFolder;
using testing_support::WaitUntil;
using testing_support::WindowText;
using testing_support::WriteFileBytes;

// A path from the build (a Unix path when the tests run under Wine) as a Windows path; Wine
// maps drive Z: to the Unix root.
inline std::wstring WindowsPath(std::wstring path) {
  if (path.empty() || path[0] != L'/') return path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return L"Z:" + path;
}

inline std::wstring WindowProbeExe() { return WindowsPath(L"" NAGITOME_PROBE_WINDOW_EXE); }
inline std::wstring ProcessProbeExe() { return WindowsPath(L"" NAGITOME_PROBE_PROCESS_EXE); }

// Unique within the machine for this run: process id, start tick and a counter.
inline std::wstring UniqueSuffix() {
  static LONG counter = 0;
  static const ULONGLONG tick = GetTickCount64();
  return std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(tick % 100000) + L"x" +
         std::to_wstring(InterlockedIncrement(&counter));
}

inline std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

inline std::wstring OwnExeName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return FileNameOf(path);
}

inline std::wstring Quote(const std::wstring& argument) { return L"\"" + argument + L"\""; }

// A child process; one that is still running when its owner goes is terminated.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Release(); }

  // Starts "exe" with the arguments (already quoted as needed), its standard output and error
  // going to output when one is given (an inheritable handle), on another desktop when one is
  // named ("station\\desktop"); false if it could not start.
  bool Start(const std::wstring& exe, const std::wstring& arguments, HANDLE output = nullptr,
             std::wstring desktop = {}) {
    Release();
    std::wstring command = Quote(exe) + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdOutput = startup.hStdError = output;
    }
    if (!desktop.empty()) startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, output != nullptr, 0, nullptr, nullptr,
                        &startup, &info)) {
      return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    return true;
  }

  DWORD id() const { return id_; }
  bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  bool WaitForExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
  }
  // The exit code, or STILL_ACTIVE while it runs.
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
  }
  void Terminate() {
    if (Running()) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 10000);
    }
  }

 private:
  void Release() {
    if (!process_) return;
    Terminate();
    CloseHandle(process_);
    process_ = nullptr;
    id_ = 0;
  }

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// How often a probe wrote this line to its result file so far.
inline int CountLines(const std::wstring& path, const std::string& line) {
  const std::string text = ReadFileBytes(path);
  int count = 0;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    count += text.compare(start, end - start, line) == 0;
  }
  return count;
}

struct WindowProbeOptions {
  bool ignoreClose = false;
  bool hidden = false;
  int count = 1;
};

// probe_window.exe, copied under its own image name, showing windows of one title and class.
struct WindowProbe {
  ChildProcess process;
  std::wstring title;
  std::wstring className;
  std::wstring imageName;
  std::wstring resultFile;

  int Closes() const { return CountLines(resultFile, "close"); }
};

// Starts the probe and waits until its windows exist; false if it did not get that far.
inline bool StartWindowProbe(const TempFolder& folder, WindowProbe& probe, const std::wstring& title,
                             const std::wstring& className, const std::wstring& imageName,
                             const WindowProbeOptions& options = {}) {
  probe.title = title;
  probe.className = className;
  probe.imageName = imageName;
  probe.resultFile = folder.File(imageName + L".result.txt");
  const std::wstring exe = folder.File(imageName);
  if (!CopyFileW(WindowProbeExe().c_str(), exe.c_str(), TRUE)) return false;
  std::wstring arguments = Quote(title) + L" " + Quote(className) + L" " + Quote(probe.resultFile);
  if (options.ignoreClose) arguments += L" --ignore-close";
  if (options.hidden) arguments += L" --hidden";
  if (options.count != 1) arguments += L" --count " + std::to_wstring(options.count);
  if (!probe.process.Start(exe, arguments)) return false;
  return WaitUntil([&] { return CountLines(probe.resultFile, "ready") == 1 || !probe.process.Running(); }, 30000) &&
         probe.process.Running();
}

// probe_process.exe, windowless, copied under its own image name.
inline bool StartProcessProbe(const TempFolder& folder, ChildProcess& process, const std::wstring& imageName) {
  const std::wstring exe = folder.File(imageName);
  if (!CopyFileW(ProcessProbeExe().c_str(), exe.c_str(), TRUE)) return false;
  return process.Start(exe, L"120");
}

// "station\\desktop" on a window station of this process's own making, which nobody sees (it
// lacks WSF_VISIBLE): where a task runs "whether the user is logged on or not". Empty on failure.
inline std::wstring InvisibleDesktop() {
  static const std::wstring name = [] {
    const std::wstring station = L"NagitomeHidden" + UniqueSuffix();
    HWINSTA created = CreateWindowStationW(station.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
    HWINSTA own = GetProcessWindowStation();
    if (!created || !SetProcessWindowStation(created)) return std::wstring();
    const bool desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr) != nullptr;
    SetProcessWindowStation(own);
    return desktop ? station + L"\\Default" : std::wstring();
  }();
  return name;
}

// The image name of a running process (QueryFullProcessImageNameW), empty if unknown.
inline std::wstring ImageNameOf(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return {};
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  const bool ok = QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
  CloseHandle(process);
  return ok ? FileNameOf(std::wstring(path, size)) : std::wstring();
}

inline std::vector<DWORD> ProcessIds() {
  std::vector<DWORD> ids(4096);
  DWORD bytes = 0;
  while (EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes) &&
         bytes == ids.size() * sizeof(DWORD)) {
    ids.resize(ids.size() * 2);
  }
  ids.resize(bytes / sizeof(DWORD));
  return ids;
}

struct TopLevelWindow {
  HWND hwnd;
  DWORD processId;
  bool visible;
};

inline std::vector<TopLevelWindow> TopLevelWindows() {
  std::vector<TopLevelWindow> windows;
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        reinterpret_cast<std::vector<TopLevelWindow>*>(param)->push_back({hwnd, pid, IsWindowVisible(hwnd) != FALSE});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

inline std::wstring ClassOf(HWND hwnd) {
  wchar_t text[256] = {};
  GetClassNameW(hwnd, text, 256);
  return text;
}

}  // namespace nagitome::probes
