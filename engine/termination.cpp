#include "engine/termination.h"

#include "engine/keyword_matcher.h"
#include "engine/snapshot.h"

namespace nagitome {

namespace {

const std::wstring& WindowText(const WindowInfo& window, MatchTarget target) {
  switch (target) {
    case MatchTarget::WindowClass: return window.className;
    case MatchTarget::TitleAndClass: return window.combinedText;
    case MatchTarget::ProcessName: return window.processName;
    case MatchTarget::WindowTitle: break;
  }
  return window.title;
}

void RunEntry(const TaskEntry& entry, KeywordMatcher& matcher, Desktop& desktop) {
  if (entry.EndMethod == EndMethod::Taskkill && entry.MatchTarget == MatchTarget::ProcessName) {
    for (const ProcessInfo& process : ProcessSnapshot()) {
      if (!process.processName.empty() && matcher.Matches(process.processName)) {
        desktop.StartTaskkill(process.processId);
      }
    }
    return;
  }
  for (const WindowInfo& window : WindowSnapshot()) {
    const std::wstring& text = WindowText(window, entry.MatchTarget);
    if (text.empty() || !matcher.Matches(text)) continue;
    if (entry.EndMethod == EndMethod::Taskkill) desktop.StartTaskkill(window.processId);
    else desktop.PostClose(window.window);
  }
}

}  // namespace

TerminationReport RunTermination(const TaskList& list, Desktop& desktop) {
  ClearSnapshots();
  TakeWindowSnapshot(desktop);
  TakeProcessSnapshot(desktop);

  TerminationReport report;
  for (int i = 0; i < list.Count(); ++i) {
    const TaskEntry& entry = list.At(i);
    if (entry.Keyword.empty()) continue;
    KeywordMatcher matcher(entry.Keyword, entry.MatchMethod);
    if (!matcher.IsValid()) {
      report.invalidEntries.push_back(i);
      continue;
    }
    RunEntry(entry, matcher, desktop);
  }
  return report;
}

}  // namespace nagitome
