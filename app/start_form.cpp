#include "app/start_form.h"

namespace nagitome {

namespace {
// "/x" or "/X" for letter x.
bool IsSwitch(const std::wstring& argument, wchar_t letter) {
  return argument.size() == 2 && argument[0] == L'/' && (argument[1] | 0x20) == letter;
}
}  // namespace

StartForm ReadStartForm(const std::vector<std::wstring>& arguments, bool startWithRecent,
                        const std::wstring& recentPath, const std::function<bool(const std::wstring&)>& exists) {
  if (arguments.size() <= 1) {
    if (startWithRecent && !recentPath.empty()) return {StartAction::Open, recentPath};
    return {};
  }
  if (arguments.size() == 2) {
    return {exists(arguments[1]) ? StartAction::Open : StartAction::BadPath, arguments[1]};
  }
  if (IsSwitch(arguments[1], L'p')) return {StartAction::Preview, arguments[2], arguments.size() >= 4 ? arguments[3] : L""};
  if (!IsSwitch(arguments[1], L'e')) return {StartAction::BadArguments};
  return {exists(arguments[2]) ? StartAction::Run : StartAction::BadPath, arguments[2]};
}

}  // namespace nagitome
