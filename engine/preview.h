// What a run would do, found by the run itself over a desktop that enumerates the real one but
// ends nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/desktop.h"
#include "engine/termination.h"
#include "tasks/task_list.h"

namespace nagitome {

struct PreviewAction {
  int row = 0;  // 1-based row of the entry
  EndMethod endMethod = EndMethod::CloseWindow;
  MatchTarget matchTarget = MatchTarget::WindowTitle;
  std::wstring matchedText;
  WindowHandle window = 0;  // 0 for a process of the process snapshot
  std::uint32_t processId = 0;
  std::wstring processName;

  friend bool operator==(const PreviewAction&, const PreviewAction&) = default;
};

struct Preview {
  std::vector<PreviewAction> actions;  // in run order
  TerminationReport report;
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
