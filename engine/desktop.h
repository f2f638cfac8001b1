// The few platform operations the engine needs. Win32Desktop talks to Windows; tests use a fake.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nagitome {

using WindowHandle = std::uintptr_t;  // an HWND
// A process held open to learn when it ends, or a started command; 0 is none. Released by its holder.
using ProcessToken = std::uintptr_t;

enum class PostResult { Posted, Denied, Gone };  // denied: error 5, a window of a higher integrity level

struct HeldProcess {
  ProcessToken token = 0;  // 0 and not gone: alive, but it cannot be watched
  bool gone = false;       // no such process any more
};

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
  // WM_CLOSE, posted.
  virtual PostResult PostClose(WindowHandle window) = 0;
  // The system's "cmd.exe /c taskkill /f /pid N", hidden, not waited for; the command's process,
  // 0 when it could not be started.
  virtual ProcessToken StartTaskkill(std::uint32_t processId) = 0;

  // What outcomes are judged by. A desktop that only plans needs none of it.
  virtual HeldProcess HoldProcess(std::uint32_t) { return {}; }
  virtual void Release(ProcessToken) {}
  // The exit code once the held process or the command has ended; nothing while it runs.
  virtual std::optional<std::uint32_t> EndedWith(ProcessToken) { return std::nullopt; }
  // The window still exists, with the same owner and class.
  virtual bool WindowStillThere(WindowHandle, std::uint32_t, std::wstring_view) { return false; }
  // Every visible dialog box (class #32770) with its process.
  virtual std::vector<std::pair<WindowHandle, std::uint32_t>> VisibleDialogs() { return {}; }
  // The window's thread answers within about 100 ms.
  virtual bool Responds(WindowHandle) { return true; }
  virtual std::uint32_t OwnProcessId() { return 0; }
  // Milliseconds on a steady clock.
  virtual std::int64_t Now() { return 0; }
  // Returns when a token is signalled, a message came (and was handled) or the deadline passed.
  virtual void Wait(const std::vector<ProcessToken>&, std::int64_t) {}
};

}  // namespace nagitome
