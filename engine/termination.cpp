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

void RunEntry(int index, const TaskEntry& entry, KeywordMatcher& matcher, Desktop& desktop,
              const ActionObserver& observe) {
  TerminationAction action;
  action.entryIndex = index;
  action.endMethod = entry.EndMethod;
  action.matchTarget = entry.MatchTarget;
  if (entry.EndMethod == EndMethod::Taskkill && entry.MatchTarget == MatchTarget::ProcessName) {
    for (const ProcessInfo& process : ProcessSnapshot()) {
      if (process.processName.empty() || !matcher.Matches(process.processName)) continue;
      if (observe) {
        action.matchedText = action.processName = process.processName;
        action.processId = process.processId;
        observe(action);
      }
      desktop.StartTaskkill(process.processId);
    }
    return;
  }
  for (const WindowInfo& window : WindowSnapshot()) {
    const std::wstring& text = WindowText(window, entry.MatchTarget);
    if (text.empty() || !matcher.Matches(text)) continue;
    if (observe) {
      action.matchedText = text;
      action.window = window.window;
      action.processId = window.processId;
      action.processName = window.processName;
      observe(action);
    }
    if (entry.EndMethod == EndMethod::Taskkill) desktop.StartTaskkill(window.processId);
    else desktop.PostClose(window.window);
  }
}

}  // namespace

TerminationReport RunTermination(const TaskList& list, Desktop& desktop, const ActionObserver& observe) {
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
    RunEntry(i, entry, matcher, desktop, observe);
    if (matcher.GaveUp()) report.gaveUpEntries.push_back(i);
  }
  return report;
}

}  // namespace nagitome
