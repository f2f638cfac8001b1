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
  void PostClose(WindowHandle window) override;
  void StartTaskkill(std::uint32_t processId) override;
};

// "<system directory>\cmd.exe", so that no cmd.exe planted beside the program or on the search
// path runs instead; empty if the system directory is unknown.
std::wstring SystemCommandInterpreter();
std::wstring SystemDirectory();

}  // namespace nagitome
