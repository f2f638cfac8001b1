// A scripted desktop: the windows and processes it reports, and every action asked of it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/desktop.h"
#include "tasks/task_list.h"
#include "tests/support/test_support.h"

namespace nagitome {

class FakeDesktop : public Desktop {
 public:
  std::vector<RawWindow> windows;                              // in enumeration order
  std::vector<std::uint32_t> processIds;                       // in enumeration order
  std::map<std::uint32_t, std::wstring> paths, win32Paths;     // device paths; missing: unreadable
  std::map<std::uint32_t, std::optional<bool>> critical;       // missing: the system cannot say
  bool enumerationFails = false;
  bool fillsEveryBuffer = false;                               // as if ever more processes came
  bool recordActions = true;
  std::vector<std::string> actions;                            // "close <handle>", "kill <pid>"
  std::vector<std::uint32_t> capacities;                       // of each process enumeration
  // Outcomes, on a clock that only Wait moves. Process tokens are pids, commands 1000 on.
  std::int64_t now = 0;
  std::map<std::uint32_t, std::int64_t> endsAt;                // when a process ends by itself
  std::set<std::uint32_t> gone, survivesKill;
  std::map<WindowHandle, std::int64_t> closesAt;               // once sent WM_CLOSE; missing: never
  std::map<WindowHandle, PostResult> postResults;              // missing: posted
  std::set<WindowHandle> promptsOnClose, hung;
  std::map<std::uint32_t, std::uint32_t> taskkillCodes;        // missing: 0, the process ends with it
  bool taskkillFails = false;
  std::map<ProcessToken, std::pair<std::int64_t, std::uint32_t>> commands;  // ends at, exit code
  std::vector<std::pair<WindowHandle, std::uint32_t>> dialogs;

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
  bool EnumerateProcessIds(std::uint32_t* ids, std::uint32_t capacityBytes, std::uint32_t& bytes) override {
    capacities.push_back(capacityBytes);
    if (enumerationFails) return false;
    const std::size_t count = std::min<std::size_t>(processIds.size(), capacityBytes / 4);
    std::copy_n(processIds.begin(), count, ids);
    bytes = fillsEveryBuffer ? capacityBytes : static_cast<std::uint32_t>(count * 4);
    return true;
  }
  std::wstring ProcessImagePath(std::uint32_t pid) override { return At(paths, pid); }
  std::optional<bool> ProcessCritical(std::uint32_t pid) override { return At(critical, pid); }
  std::wstring ProcessWin32Path(std::uint32_t pid) override { return At(win32Paths, pid); }
  std::wstring SystemFolder() override { return L"C:\\Windows\\System32"; }
  PostResult PostClose(WindowHandle window) override {
    if (recordActions) actions.push_back("close " + std::to_string(window));
    if (postResults.contains(window)) return postResults[window];
    if (promptsOnClose.contains(window)) dialogs.emplace_back(window + 500, OwnerOf(window));
    return PostResult::Posted;
  }
  ProcessToken StartTaskkill(std::uint32_t pid) override {
    if (recordActions) actions.push_back("kill " + std::to_string(pid));
    if (taskkillFails) return 0;
    const std::uint32_t code = At(taskkillCodes, pid);
    if (code == 0 && !survivesKill.contains(pid)) endsAt[pid] = std::min(At(endsAt, pid, now + 10), now + 10);
    const ProcessToken token = 1000 + commands.size();
    commands[token] = {now + 10, code};
    return token;
  }
  HeldProcess HoldProcess(std::uint32_t pid) override {
    return gone.contains(pid) ? HeldProcess{0, true} : HeldProcess{pid, false};
  }
  std::optional<std::uint32_t> EndedWith(ProcessToken token) override {
    if (commands.contains(token)) {
      if (now < commands[token].first) return std::nullopt;
      return commands[token].second;
    }
    if (now < At(endsAt, static_cast<std::uint32_t>(token), now + 1)) return std::nullopt;
    return 1;
  }
  bool WindowStillThere(WindowHandle window, std::uint32_t pid, std::wstring_view) override {
    return now < At(closesAt, window, now + 1) && !EndedWith(pid) && OwnerOf(window) == pid;
  }
  std::vector<std::pair<WindowHandle, std::uint32_t>> VisibleDialogs() override { return dialogs; }
  bool Responds(WindowHandle window) override { return !hung.contains(window); }
  std::int64_t Now() override { return now; }
  // Straight to the next thing that happens.
  void Wait(const std::vector<ProcessToken>& tokens, std::int64_t deadline) override {
    std::int64_t next = deadline;
    for (const ProcessToken token : tokens) {
      const auto pid = static_cast<std::uint32_t>(token);
      next = std::min(next, commands.contains(token) ? commands[token].first : At(endsAt, pid, deadline));
    }
    now = std::max(now, next);
  }

 private:
  template <class Map, class Value = typename Map::mapped_type>
  static Value At(const Map& map, typename Map::key_type key, Value missing = {}) {
    const auto found = map.find(key);
    return found == map.end() ? missing : found->second;
  }
  std::uint32_t OwnerOf(WindowHandle window) const {
    const auto found = std::ranges::find(windows, window, &RawWindow::handle);
    return found == windows.end() ? 0 : found->processId;
  }
};

// Entries as file lines ("131calc.exe").
inline TaskList ListOf(const std::vector<std::wstring>& entries) {
  TaskList list;
  std::vector<TaskEntry> parsed;
  for (const std::wstring& e : entries) parsed.push_back(testing_support::Te(e));
  list.ReplaceEntries(parsed);
  return list;
}

// Window 3 has no title and shares process 10 with 1, 4 has no class; process 30 is unreadable, 40
// windowless.
inline FakeDesktop SampleDesktop() {
  FakeDesktop desk;
  desk.AddProcess(10, L"\\D\\Windows\\notepad.exe");
  desk.AddProcess(20, L"\\D\\Tools\\calc.exe");
  desk.AddProcess(30, L"");
  desk.AddProcess(40, L"svchost.exe");
  desk.AddWindow(1, 10, L"memo.txt - Notepad", L"Notepad");
  desk.AddWindow(2, 20, L"Calculator", L"CalcFrame");
  desk.AddWindow(3, 10, L"", L"Notepad");
  desk.AddWindow(4, 30, L"Secret", L"");
  return desk;
}

}  // namespace nagitome
