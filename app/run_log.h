// The run log of "/e LIST /log FILE": one line per event, TAB-separated fields, UTF-8, CR LF.
// Each line starts with the local time; the fields after it are built here, apart from the
// platform, and the writer (run_log_file.h) adds the time and the line end.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/outcome.h"
#include "engine/termination.h"

namespace nagitome {

struct LogTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
  int offsetMinutes = 0;  // local time minus UTC
};

// ISO 8601 with milliseconds and the offset: "2026-12-08T13:32:00.123+09:00".
std::string FormatLogTime(const LogTime& time);

// The whole line as bytes: time, TAB, the fields as UTF-8, CR LF.
std::string LogLineBytes(const LogTime& time, std::wstring_view fields);

struct RunCounts {
  int closes = 0, kills = 0, rejected = 0, cutShort = 0;
  std::array<int, kOutcomeCount> outcomes = {};  // by Outcome
};

// "start <list> <version> pid <n>"
std::wstring LogStartLine(std::wstring_view listPath, std::wstring_view version, std::uint32_t processId);
// "close 0x<window> <row> <process> <text>" or "taskkill <pid> <row> <process> <text>"; rows
// count from 1, as the editor shows them.
std::wstring LogActionLine(const TerminationAction& action);
// "outcome <0xwindow or pid> <row> <word> [<exit code>]": what became of an action, after every
// action line; a taskkill's exit code where there is one.
std::wstring LogOutcomeLine(const TerminationAction& action, std::wstring_view outcome,
                            std::optional<std::uint32_t> exitCode = std::nullopt);
// "rejected <row> <keyword>" or "cut short <row> <keyword>"
std::wstring LogEntryLine(bool cutShort, int entryIndex, std::wstring_view keyword);
// "bad option <switch>": a "/wait" or "/force" without a number in its range; nothing ran.
std::wstring LogBadOptionLine(std::wstring_view option);
// "not loaded <message>": what the user would have been shown.
std::wstring LogNotLoadedLine(std::wstring_view message);
// "end closes <n> kills <n> rejected <n> cut short <n> [<outcome> <n>...] exit <code>": each
// outcome that occurred, in the order of Outcome.
std::wstring LogEndLine(const RunCounts& counts, int exitCode);

}  // namespace nagitome
