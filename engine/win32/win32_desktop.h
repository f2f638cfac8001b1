// The engine's platform operations over user32, psapi and shell32.
#pragma once

#include "engine/desktop.h"

namespace nagitome {

class Win32Desktop final : public Desktop {
 public:
  void EnumerateWindows(const std::function<void(RawWindow&&)>& visit) override;
  bool EnumerateProcessIds(std::uint32_t* ids, std::uint32_t capacityBytes,
                           std::uint32_t& bytesReturned) override;
  std::wstring ProcessImagePath(std::uint32_t processId) override;
  std::optional<bool> ProcessCritical(std::uint32_t processId) override;
  std::wstring ProcessWin32Path(std::uint32_t processId) override;
  std::wstring SystemFolder() override;
  PostResult PostClose(WindowHandle window) override;
  ProcessToken StartTaskkill(std::uint32_t processId) override;
  HeldProcess HoldProcess(std::uint32_t processId) override;
  void Release(ProcessToken token) override;
  std::optional<std::uint32_t> EndedWith(ProcessToken token) override;
  bool WindowStillThere(WindowHandle window, std::uint32_t processId, std::wstring_view className) override;
  std::vector<std::pair<WindowHandle, std::uint32_t>> VisibleDialogs() override;
  bool Responds(WindowHandle window) override;
  std::uint32_t OwnProcessId() override;
  std::int64_t Now() override;
  // Messages that come meanwhile are dispatched: the program's own windows stay alive.
  void Wait(const std::vector<ProcessToken>& tokens, std::int64_t deadline) override;
};

// The window's title, class and process as a snapshot records them; a process id of 0 when the
// window is gone.
RawWindow ReadWindow(WindowHandle window);

// "<system directory>\cmd.exe", so that no cmd.exe planted beside the program or on the search
// path runs instead; empty if the system directory is unknown.
std::wstring SystemCommandInterpreter();
std::wstring SystemDirectory();

}  // namespace nagitome
