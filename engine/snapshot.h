// One picture of the desktop: every top-level window and every process, as values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/desktop.h"

namespace nagitome {

struct WindowInfo {
  WindowHandle window = 0;
  std::uint32_t processId = 0;
  std::wstring title;
  std::wstring className;
  std::wstring combinedText;  // "%s（%s）", cut at 1023 units
  std::wstring processName;
};

struct ProcessInfo {
  std::uint32_t processId = 0;
  std::wstring processName;
};

struct Snapshot {
  std::vector<WindowInfo> windows;      // in enumeration order
  std::vector<ProcessInfo> processes;   // in enumeration order
};

// The windows first, then the processes; each process's image is read once.
Snapshot TakeSnapshot(Desktop& desktop);

// One window as the snapshot records it, its texts cut and combined.
WindowInfo DescribeWindow(RawWindow&& raw, std::wstring processName);

// The image name: the part of the device path after its last backslash.
std::wstring ProcessImageName(Desktop& desktop, std::uint32_t processId);

// Every process id, the buffer doubled until they fit (from ids' own capacity, at least 1,024
// ids); false, ids empty, when the enumeration fails or never fits.
bool ListProcessIds(Desktop& desktop, std::vector<std::uint32_t>& ids);

// The process id buffer stops growing here (16 Mi ids): a system that keeps filling it gives
// an empty process list rather than a loop without end.
inline constexpr std::uint32_t kMaxProcessIdBytes = 64u << 20;

}  // namespace nagitome
