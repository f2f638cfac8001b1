#include "tasks/task_entry.h"

#include "tasks/texts.h"

namespace nagitome {

namespace {
const wchar_t* const kEndMethodTexts[] = {texts::kEndCloseWindow, texts::kEndTaskkill};
const wchar_t* const kMatchTargetTexts[] = {texts::kTargetTitle, texts::kTargetClass,
                                            texts::kTargetTitleAndClass, texts::kTargetProcess};
const wchar_t* const kMatchMethodTexts[] = {texts::kMethodWildcard, texts::kMethodRegexCase,
                                            texts::kMethodRegexNoCase};

template <std::size_t N>
const wchar_t* Lookup(const wchar_t* const (&table)[N], std::uint32_t value) {
  return value < N ? table[value] : table[0];
}
}  // namespace

TaskEntry MakeBlankEntry() { return TaskEntry{}; }

const wchar_t* EndMethodText(EndMethod value) {
  return Lookup(kEndMethodTexts, static_cast<std::uint32_t>(value));
}
const wchar_t* MatchTargetText(MatchTarget value) {
  return Lookup(kMatchTargetTexts, static_cast<std::uint32_t>(value));
}
const wchar_t* MatchMethodText(MatchMethod value) {
  return Lookup(kMatchMethodTexts, static_cast<std::uint32_t>(value));
}

EndMethod EndMethodFromNumber(std::uint32_t number) {
  return number <= kEndMethodMax ? static_cast<EndMethod>(number) : EndMethod::CloseWindow;
}
MatchTarget MatchTargetFromNumber(std::uint32_t number) {
  return number <= kMatchTargetMax ? static_cast<MatchTarget>(number) : MatchTarget::WindowTitle;
}
MatchMethod MatchMethodFromNumber(std::uint32_t number) {
  return number <= kMatchMethodMax ? static_cast<MatchMethod>(number) : MatchMethod::Wildcard;
}

}  // namespace nagitome
