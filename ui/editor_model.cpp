#include "ui/editor_model.h"

#include <utility>

namespace nagitome {

namespace {
constexpr std::size_t kEnd = 0, kTarget = 2, kWildcard = 7, kRegex = 8, kCase = 9;

// Index of the first checked radio of a group, 0 when none is.
std::uint32_t CheckedIndex(const EditorChecks& checks, std::size_t first, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (checks[first + i]) return static_cast<std::uint32_t>(i);
  }
  return 0;
}
}  // namespace

RowTexts RowTextsOf(const TaskEntry& entry) {
  return {EndMethodText(entry.EndMethod), MatchTargetText(entry.MatchTarget), MatchMethodText(entry.MatchMethod),
          entry.Keyword};
}

EditorState EditorStateOf(const TaskEntry& entry) {
  EditorState state;
  state.checks[kEnd + static_cast<std::size_t>(entry.EndMethod)] = true;
  state.checks[kTarget + static_cast<std::size_t>(entry.MatchTarget)] = true;
  const bool regex = entry.MatchMethod != MatchMethod::Wildcard;
  state.checks[regex ? kRegex : kWildcard] = true;
  state.checks[kCase] = entry.MatchMethod == MatchMethod::RegexCaseSensitive;
  state.caseEnabled = regex;
  return state;
}

TaskEntry EntryOfEditor(const EditorChecks& checks, std::wstring keyword) {
  MatchMethod method = MatchMethod::Wildcard;
  if (!checks[kWildcard] && checks[kRegex]) {
    method = checks[kCase] ? MatchMethod::RegexCaseSensitive : MatchMethod::RegexIgnoreCase;
  }
  return {EndMethodFromNumber(CheckedIndex(checks, kEnd, 2)), MatchTargetFromNumber(CheckedIndex(checks, kTarget, 4)),
          method, std::move(keyword)};
}

RowChange ApplyEntryCommand(TaskList& list, EntryCommand command, TaskEntry edited) {
  const int from = list.SelectedIndex();
  int row = kNoRow;
  switch (command) {
    case EntryCommand::Insert:
      row = list.InsertBlankEntry();
      return {kNoRow, row, row};
    case EntryCommand::Delete:
      row = list.DeleteSelectedEntry();
      return row == kNoRow ? RowChange{} : RowChange{from, kNoRow, row};
    case EntryCommand::Up: row = list.MoveSelectedEntryUp(); break;
    case EntryCommand::Down: row = list.MoveSelectedEntryDown(); break;
    case EntryCommand::Update:
      if (!list.HasSelection()) return {};
      row = list.UpdateSelectedEntry(edited.EndMethod, edited.MatchTarget, edited.MatchMethod,
                                     std::move(edited.Keyword));
      return {row, row, row};
  }
  return row == kNoRow ? RowChange{} : RowChange{from, row, row};
}

}  // namespace nagitome
