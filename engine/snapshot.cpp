#include "engine/snapshot.h"

#include <algorithm>
#include <memory>
#include <new>
#include <unordered_map>

#include "tasks/task_entry.h"

namespace nagitome {

namespace {

std::wstring Cut(std::wstring text) {
  if (text.size() > kMaxTextUnits) text.resize(kMaxTextUnits);
  return text;
}

void TakeWindows(Desktop& desktop, std::vector<WindowInfo>& windows) {
  // Opening a process costs more than reading a window; most windows share a few processes.
  std::unordered_map<std::uint32_t, std::wstring> names;
  desktop.EnumerateWindows([&](RawWindow&& raw) {
    auto [name, added] = names.try_emplace(raw.processId);
    if (added) name->second = ProcessImageName(desktop, raw.processId);
    windows.push_back(DescribeWindow(std::move(raw), name->second));
  });
}

void TakeProcesses(Desktop& desktop, std::vector<ProcessInfo>& processes) {
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
    processes.reserve(count);
  } catch (const std::bad_alloc&) {
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    try {
      processes.push_back(ProcessInfo{ids[i], ProcessImageName(desktop, ids[i])});
    } catch (const std::bad_alloc&) {
    }
  }
}

}  // namespace

WindowInfo DescribeWindow(RawWindow&& raw, std::wstring processName) {
  WindowInfo info;
  info.window = raw.handle;
  info.processId = raw.processId;
  info.title = Cut(std::move(raw.title));
  info.className = Cut(std::move(raw.className));
  info.combinedText = Cut(info.title + L'（' + info.className + L'）');
  info.processName = std::move(processName);
  return info;
}

std::wstring ProcessImageName(Desktop& desktop, std::uint32_t processId) {
  const std::wstring path = desktop.ProcessImagePath(processId);
  const std::size_t slash = path.find_last_of(L'\\');
  return Cut(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

Snapshot TakeSnapshot(Desktop& desktop) {
  Snapshot snapshot;
  TakeWindows(desktop, snapshot.windows);
  TakeProcesses(desktop, snapshot.processes);
  return snapshot;
}

}  // namespace nagitome
