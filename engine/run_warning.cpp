#include "engine/run_warning.h"

#include <vector>

#include "tasks/texts.h"

namespace nagitome {

namespace {

constexpr std::size_t kMessageUnits = kTextBufferUnits;
constexpr std::size_t kShownKeywordUnits = 48;
constexpr std::size_t kShownRows = 10;

std::wstring Shortened(std::wstring text) {
  if (text.size() > kShownKeywordUnits) text = text.substr(0, kShownKeywordUnits) + L"...";
  return text;
}

// The header, then one line per row of lines, up to ten of them and how many more.
void AppendGroup(std::wstring& text, const wchar_t* header, const std::vector<std::wstring>& lines) {
  if (lines.empty()) return;
  if (!text.empty()) text += L"\n\n";
  text += header;
  text += L"\n";
  for (std::size_t i = 0; i < lines.size() && i < kShownRows; ++i) text += L"\n" + lines[i];
  if (lines.size() > kShownRows) {
    text += L"\n" + (texts::kInvalidRegexMoreBefore + std::to_wstring(lines.size() - kShownRows)) +
            texts::kInvalidRegexMoreAfter;
  }
}

std::vector<std::wstring> EntryLines(const TaskList& list, const std::vector<int>& rows) {
  std::vector<std::wstring> lines;
  for (const int row : rows) {
    lines.push_back(std::to_wstring(row + 1) + texts::kInvalidRegexRow + Shortened(list.At(row).Keyword));
  }
  return lines;
}

}  // namespace

const wchar_t* OutcomeText(Outcome outcome) {
  switch (outcome) {
    case Outcome::Prompting: return texts::kOutcomePrompting;
    case Outcome::NotResponding: return texts::kOutcomeNotResponding;
    case Outcome::StillRunning: return texts::kOutcomeStillRunning;
    case Outcome::Denied: return texts::kOutcomeDenied;
    case Outcome::NotStarted: return texts::kOutcomeNotStarted;
    case Outcome::ForcedStillRunning: return texts::kOutcomeForcedStillRunning;
    case Outcome::ForcedDenied: return texts::kOutcomeForcedDenied;
    default: return texts::kOutcomeStillOpen;
  }
}

std::vector<LeftTarget> LeftTargets(const Plan& plan, const Outcomes& outcomes) {
  std::vector<LeftTarget> left;
  for (std::size_t i = 0; i < outcomes.Results().size() && i < plan.actions.size(); ++i) {
    const Outcome outcome = outcomes.Results()[i].outcome;
    if (!LeftRunning(outcome)) continue;
    const TerminationAction& action = plan.actions[i];
    const std::wstring_view name = action.title.empty() ? action.processName : action.title;
    left.push_back({action.entryIndex, std::wstring(name), outcome});
  }
  return left;
}

std::wstring RunWarningMessage(const TaskList& list, const TerminationReport& report,
                               const std::vector<LeftTarget>& left) {
  std::wstring text;
  AppendGroup(text, texts::kInvalidRegexHeader, EntryLines(list, report.invalidEntries));
  AppendGroup(text, texts::kRegexGaveUpHeader, EntryLines(list, report.gaveUpEntries));
  std::vector<std::wstring> lines;
  for (const LeftTarget& target : left) {
    lines.push_back(std::to_wstring(target.entryIndex + 1) + texts::kInvalidRegexRow + Shortened(target.name) +
                    texts::kOutcomeBefore + OutcomeText(target.outcome) + texts::kOutcomeAfter);
  }
  AppendGroup(text, texts::kLeftRunningHeader, lines);
  if (text.size() >= kMessageUnits) text.resize(kMessageUnits - 1);
  return text;
}

}  // namespace nagitome
