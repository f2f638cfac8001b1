#include "engine/snapshot.h"

#include <algorithm>
#include <memory>
#include <new>
#include <unordered_map>

#include "tasks/task_entry.h"

namespace nagitome {

namespace {
std::vector<WindowInfo> g_windows;
std::vector<ProcessInfo> g_processes;

std::wstring Cut(std::wstring text) {
  if (text.size() > kMaxTextUnits) text.resize(kMaxTextUnits);
  return text;
}
}  // namespace

const std::vector<WindowInfo>& WindowSnapshot() { return g_windows; }
const std::vector<ProcessInfo>& ProcessSnapshot() { return g_processes; }

void ReleaseSnapshots(std::vector<WindowInfo>& windows, std::vector<ProcessInfo>& processes) {
  windows = std::move(g_windows);
  processes = std::move(g_processes);
  ClearSnapshots();
}

void ClearSnapshots() {
  std::vector<WindowInfo>().swap(g_windows);
  std::vector<ProcessInfo>().swap(g_processes);
}

std::wstring ProcessImageName(Desktop& desktop, std::uint32_t processId) {
  const std::wstring path = desktop.ProcessImagePath(processId);
  const std::size_t slash = path.find_last_of(L'\\');
  return Cut(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

void TakeWindowSnapshot(Desktop& desktop) {
  // Opening a process costs more than reading a window; most windows share a few processes.
  std::unordered_map<std::uint32_t, std::wstring> names;
  desktop.EnumerateWindows([&](RawWindow&& raw) {
    WindowInfo info;
    info.window = raw.handle;
    info.processId = raw.processId;
    info.title = Cut(std::move(raw.title));
    info.className = Cut(std::move(raw.className));
    info.combinedText = Cut(info.title + L'（' + info.className + L'）');
    auto [name, added] = names.try_emplace(info.processId);
    if (added) name->second = ProcessImageName(desktop, info.processId);
    info.processName = name->second;
    g_windows.push_back(std::move(info));
  });
}

void TakeProcessSnapshot(Desktop& desktop) {
  std::uint32_t capacity = 4096;
  std::unique_ptr<std::uint32_t[]> ids;
  std::uint32_t returned = 0;
  for (;;) {
    ids.reset(new (std::nothrow) std::uint32_t[capacity / 4]);
    if (!ids || !desktop.EnumerateProcessIds(ids.get(), capacity, returned)) return;
    if (returned < capacity) break;
    if (capacity >= kMaxProcessIdBytes) return;
    capacity *= 2;
  }
  const std::uint32_t count = std::min(returned, capacity) / 4;
  try {
    g_processes.reserve(count);
  } catch (const std::bad_alloc&) {
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    try {
      g_processes.push_back(ProcessInfo{ids[i], ProcessImageName(desktop, ids[i])});
    } catch (const std::bad_alloc&) {
    }
  }
}

}  // namespace nagitome
