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
  std::vector<std::uint32_t> ids;
  if (!ListProcessIds(desktop, ids)) return;
  const std::size_t count = ids.size();
  try {
    processes.reserve(count);
  } catch (const std::bad_alloc&) {
  }
  for (std::size_t i = 0; i < count; ++i) {
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

bool ListProcessIds(Desktop& desktop, std::vector<std::uint32_t>& ids) try {
  const auto none = [&] {
    ids.clear();
    return false;
  };
  auto capacity = std::max<std::uint32_t>(4096, static_cast<std::uint32_t>(ids.capacity() * 4));
  std::uint32_t returned = 0;
  for (;;) {
    ids.resize(capacity / 4);
    if (!desktop.EnumerateProcessIds(ids.data(), capacity, returned)) return none();
    if (returned < capacity) break;
    if (capacity >= kMaxProcessIdBytes) return none();
    capacity *= 2;
  }
  ids.resize(returned / 4);
  return true;
} catch (const std::bad_alloc&) {
  ids.clear();
  return false;
}

Snapshot TakeSnapshot(Desktop& desktop) {
  Snapshot snapshot;
  TakeWindows(desktop, snapshot.windows);
  TakeProcesses(desktop, snapshot.processes);
  return snapshot;
}

}  // namespace nagitome
