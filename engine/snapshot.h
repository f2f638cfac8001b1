// One picture of the desktop per run: every top-level window and every process.
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

const std::vector<WindowInfo>& WindowSnapshot();
const std::vector<ProcessInfo>& ProcessSnapshot();

void ClearSnapshots();
// Hands both lists over, leaving them empty; texts viewed in them stay where they are.
void ReleaseSnapshots(std::vector<WindowInfo>& windows, std::vector<ProcessInfo>& processes);
void TakeWindowSnapshot(Desktop& desktop);
void TakeProcessSnapshot(Desktop& desktop);

// The image name: the part of the device path after its last backslash.
std::wstring ProcessImageName(Desktop& desktop, std::uint32_t processId);

// The process id buffer stops growing here (16 Mi ids): a system that keeps filling it gives
// an empty process snapshot rather than a loop without end.
inline constexpr std::uint32_t kMaxProcessIdBytes = 64u << 20;

}  // namespace nagitome
