// The task list file format: bytes to entries and back. Pure; no file is touched here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tasks/task_entry.h"

namespace nagitome {

struct DecodedTaskList {
  bool accepted = false;  // false: the encoding is refused (a UTF-16 big-endian mark)
  std::vector<TaskEntry> entries;  // may be empty; the loader then appends a blank entry
};

// Detects the encoding from the first bytes (FF FE, EF BB BF, FE FF refused, else one byte per
// character) and reads every line.
DecodedTaskList DecodeTaskList(std::string_view bytes);

// The canonical file: FF FE, then "%u\t%u\t%u\t%s" and CR LF per entry, UTF-16LE.
std::string EncodeTaskList(const std::vector<TaskEntry>& entries);

// One line's text (up to its terminator) to an entry; false when it has fewer than three TABs.
bool ParseTaskLine(std::wstring_view line, TaskEntry& entry);

// A numeric field: leading white space, optional sign, decimal digits of any script;
// clamped to the signed 32-bit range.
std::int32_t ParseNumericField(std::wstring_view field);

}  // namespace nagitome
