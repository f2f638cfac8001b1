// What the main dialog decides rather than draws: the texts of a task list row, the entry
// editor's check marks for an entry and the entry they stand for, and the rows an entry
// command changes. Platform-free, so the host tests it.
#pragma once

#include <array>
#include <string>

#include "tasks/task_list.h"

namespace nagitome {

using RowTexts = std::array<std::wstring, 4>;
RowTexts RowTextsOf(const TaskEntry& entry);

// The buttons 1010 to 1019 by id - 1010: end method radios, match target radios, the keyword
// edit (1016, never checked), wildcard and regex radios, the case check box.
inline constexpr int kFirstEditorButton = 1010;
using EditorChecks = std::array<bool, 10>;
struct EditorState {
  EditorChecks checks{};
  bool caseEnabled = false;  // 1019 only counts for a regex
};
EditorState EditorStateOf(const TaskEntry& entry);
// A group with no radio checked (an editor never loaded) reads as its first value.
TaskEntry EntryOfEditor(const EditorChecks& checks, std::wstring keyword);

// The single-entry commands 1006 to 1009 and Update (1020) on the model, and what the view
// must do to follow: remove a row, insert one from the list, select one (kNoRow: nothing).
enum class EntryCommand { Insert, Delete, Up, Down, Update };
struct RowChange {
  int removed = kNoRow, inserted = kNoRow, selected = kNoRow;
  bool operator==(const RowChange&) const = default;
};
RowChange ApplyEntryCommand(TaskList& list, EntryCommand command, TaskEntry edited = {});

}  // namespace nagitome
