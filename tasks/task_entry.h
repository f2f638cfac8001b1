// One rule of the task list and its three value sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace nagitome {

// The one size of every fixed text buffer (keywords, titles, class names, paths, messages),
// and the longest text one holds.
inline constexpr std::size_t kTextBufferUnits = 1024;
inline constexpr std::size_t kMaxTextUnits = kTextBufferUnits - 1;

enum class EndMethod : std::uint32_t { CloseWindow = 0, Taskkill = 1 };
enum class MatchTarget : std::uint32_t { WindowTitle = 0, WindowClass = 1, TitleAndClass = 2, ProcessName = 3 };
enum class MatchMethod : std::uint32_t { Wildcard = 0, RegexCaseSensitive = 1, RegexIgnoreCase = 2 };

inline constexpr std::uint32_t kEndMethodMax = 1;
inline constexpr std::uint32_t kMatchTargetMax = 3;
inline constexpr std::uint32_t kMatchMethodMax = 2;

struct TaskEntry {
  nagitome::EndMethod EndMethod = nagitome::EndMethod::CloseWindow;
  nagitome::MatchTarget MatchTarget = nagitome::MatchTarget::WindowTitle;
  nagitome::MatchMethod MatchMethod = nagitome::MatchMethod::Wildcard;
  std::wstring Keyword;  // UTF-16 units, at most kMaxTextUnits

  friend bool operator==(const TaskEntry&, const TaskEntry&) = default;
};

TaskEntry MakeBlankEntry();

// Display texts, as the list view shows them.
const wchar_t* EndMethodText(EndMethod value);
const wchar_t* MatchTargetText(MatchTarget value);
const wchar_t* MatchMethodText(MatchMethod value);

// Raw numbers to values; anything out of range is the first value, as a damaged file reads.
EndMethod EndMethodFromNumber(std::uint32_t number);
MatchTarget MatchTargetFromNumber(std::uint32_t number);
MatchMethod MatchMethodFromNumber(std::uint32_t number);

}  // namespace nagitome
