// What a run would do, found by the run itself over a desktop that enumerates the real one but
// ends nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/desktop.h"
#include "engine/snapshot.h"
#include "engine/termination.h"
#include "tasks/task_list.h"

namespace nagitome {

struct PreviewAction {
  int row = 0;  // 1-based row of the entry
  EndMethod endMethod = EndMethod::CloseWindow;
  MatchTarget matchTarget = MatchTarget::WindowTitle;
  std::wstring_view matchedText;  // into the Preview's snapshot
  WindowHandle window = 0;        // 0 for a process of the process snapshot
  std::uint32_t processId = 0;
  std::wstring_view processName;  // into the Preview's snapshot
};

// Move-only: the actions' texts are views into the snapshot the preview took, which it keeps
// (a move leaves them where they are), so recording an action copies no text.
class Preview {
 public:
  Preview() = default;
  Preview(Preview&&) = default;
  Preview& operator=(Preview&&) = default;

  std::vector<PreviewAction> actions;  // in run order
  TerminationReport report;

 private:
  friend Preview PreviewTermination(const TaskList& list, Desktop& desktop);
  std::vector<WindowInfo> windows_;
  std::vector<ProcessInfo> processes_;
};

// Forwards every enumeration to the desktop it wraps; asked to end something, does nothing.
class ReadOnlyDesktop final : public Desktop {
 public:
  explicit ReadOnlyDesktop(Desktop& real) : real_(real) {}
  void EnumerateWindows(const std::function<void(RawWindow&&)>& visit) override { real_.EnumerateWindows(visit); }
  bool EnumerateProcessIds(std::uint32_t* ids, std::uint32_t capacityBytes, std::uint32_t& bytesReturned) override {
    return real_.EnumerateProcessIds(ids, capacityBytes, bytesReturned);
  }
  std::wstring ProcessImagePath(std::uint32_t processId) override { return real_.ProcessImagePath(processId); }
  void PostClose(WindowHandle) override {}
  void StartTaskkill(std::uint32_t) override {}

 private:
  Desktop& real_;
};

// The run of the list over a fresh snapshot of the desktop, with every action recorded and none
// taken.
Preview PreviewTermination(const TaskList& list, Desktop& desktop);

// The TAB-separated report, lines ended by CR LF, UTF-8 without a mark.
std::string FormatPreviewReport(const Preview& preview);

// The dialog's summary: the counts, and on a second line the rows rejected or cut short.
std::wstring PreviewSummary(const Preview& preview);

}  // namespace nagitome
