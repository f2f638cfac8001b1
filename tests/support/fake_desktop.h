// A scripted desktop: the windows and processes it reports, and every action asked of it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/desktop.h"

namespace nagitome {

class FakeDesktop : public Desktop {
 public:
  std::vector<RawWindow> windows;               // in enumeration order
  std::vector<std::uint32_t> processIds;        // in enumeration order
  std::map<std::uint32_t, std::wstring> paths;  // device paths; a missing one cannot be read
  std::map<std::uint32_t, bool> critical;       // what the system says; a missing one it cannot say
  std::map<std::uint32_t, std::wstring> win32Paths;
  std::wstring systemFolder = L"C:\\Windows\\System32";
  bool enumerationFails = false;
  bool fillsEveryBuffer = false;                // as if ever more processes came
  bool recordActions = true;
  std::vector<std::string> actions;             // "close <handle>", "kill <pid>", in call order
  std::vector<std::uint32_t> capacities;        // capacityBytes of each process enumeration

  void AddWindow(WindowHandle handle, std::uint32_t pid, std::wstring title, std::wstring className) {
    windows.push_back(RawWindow{handle, pid, std::move(title), std::move(className)});
  }
  void AddProcess(std::uint32_t pid, std::wstring path) {
    processIds.push_back(pid);
    if (!path.empty()) paths[pid] = std::move(path);
  }

  void EnumerateWindows(const std::function<void(RawWindow&&)>& visit) override {
    for (RawWindow window : windows) visit(std::move(window));
  }
  // Like EnumProcesses: as many ids as fit, and the bytes written.
  bool EnumerateProcessIds(std::uint32_t* ids, std::uint32_t capacityBytes,
                           std::uint32_t& bytesReturned) override {
    capacities.push_back(capacityBytes);
    if (enumerationFails) return false;
    if (fillsEveryBuffer) {
      bytesReturned = capacityBytes;
      return true;
    }
    const std::size_t count = std::min<std::size_t>(processIds.size(), capacityBytes / 4);
    std::copy_n(processIds.begin(), count, ids);
    bytesReturned = static_cast<std::uint32_t>(count * 4);
    return true;
  }
  std::wstring ProcessImagePath(std::uint32_t pid) override {
    return paths.contains(pid) ? paths[pid] : std::wstring();
  }
  std::optional<bool> ProcessCritical(std::uint32_t pid) override {
    if (!critical.contains(pid)) return std::nullopt;
    return critical[pid];
  }
  std::wstring ProcessWin32Path(std::uint32_t pid) override {
    return win32Paths.contains(pid) ? win32Paths[pid] : std::wstring();
  }
  std::wstring SystemFolder() override { return systemFolder; }
  void PostClose(WindowHandle window) override {
    if (recordActions) actions.push_back("close " + std::to_string(window));
  }
  void StartTaskkill(std::uint32_t pid) override {
    if (recordActions) actions.push_back("kill " + std::to_string(pid));
  }
};

// Window 3 has no title and shares process 10 with 1, 4 has no class; process 30 is unreadable, 40
// windowless.
inline FakeDesktop SampleDesktop() {
  FakeDesktop desk;
  desk.AddProcess(10, L"\\Device\\HarddiskVolume2\\Windows\\notepad.exe");
  desk.AddProcess(20, L"\\Device\\HarddiskVolume2\\Tools\\calc.exe");
  desk.AddProcess(30, L"");
  desk.AddProcess(40, L"svchost.exe");
  desk.AddWindow(1, 10, L"memo.txt - Notepad", L"Notepad");
  desk.AddWindow(2, 20, L"Calculator", L"CalcFrame");
  desk.AddWindow(3, 10, L"", L"Notepad");
  desk.AddWindow(4, 30, L"Secret", L"");
  return desk;
}

}  // namespace nagitome
