// The few platform operations the engine needs. Win32Desktop talks to Windows; tests use a fake.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace nagitome {

using WindowHandle = std::uintptr_t;  // an HWND

struct RawWindow {
  WindowHandle handle = 0;
  std::uint32_t processId = 0;
  std::wstring title;      // at most 1023 units
  std::wstring className;  // at most 1023 units
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // Every top-level window, hidden ones included, in enumeration order, synchronously.
  virtual void EnumerateWindows(const std::function<void(RawWindow&&)>& visit) = 0;
  // Fills ids (capacityBytes long) with process ids; false when the enumeration fails.
  virtual bool EnumerateProcessIds(std::uint32_t* ids, std::uint32_t capacityBytes,
                                   std::uint32_t& bytesReturned) = 0;
  // The image path in device form ("\Device\HarddiskVolume2\...\notepad.exe"); empty when the
  // process cannot be opened with full access or its path cannot be read.
  virtual std::wstring ProcessImagePath(std::uint32_t processId) = 0;
  // WM_CLOSE, posted; the result is not looked at.
  virtual void PostClose(WindowHandle window) = 0;
  // The system's "cmd.exe /c taskkill /f /pid N", hidden, not waited for.
  virtual void StartTaskkill(std::uint32_t processId) = 0;
};

}  // namespace nagitome
