// The few platform operations the engine needs. Win32Desktop talks to Windows; tests use a fake.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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
  // process cannot be opened to query it or its path cannot be read.
  virtual std::wstring ProcessImagePath(std::uint32_t processId) = 0;
  // Whether the system marks the process critical (its end stops Windows); nothing where the
  // system cannot say.
  virtual std::optional<bool> ProcessCritical(std::uint32_t) { return std::nullopt; }
  // The image path in Win32 form ("C:\Windows\System32\csrss.exe"), or a bare name for a
  // process without an image ("System"); empty when it cannot be read.
  virtual std::wstring ProcessWin32Path(std::uint32_t) { return {}; }
  // The system directory ("C:\Windows\System32"); empty when unknown.
  virtual std::wstring SystemFolder() { return {}; }
  // WM_CLOSE, posted; the result is not looked at.
  virtual void PostClose(WindowHandle window) = 0;
  // The system's "cmd.exe /c taskkill /f /pid N", hidden, not waited for.
  virtual void StartTaskkill(std::uint32_t processId) = 0;
};

}  // namespace nagitome
