#include "app/start_form.h"

namespace nagitome {

namespace {
// "/name" in any case of its ASCII letters.
bool IsSwitch(const std::wstring& argument, std::wstring_view name) {
  if (argument.size() != name.size() + 1 || argument[0] != L'/') return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if ((argument[i + 1] | 0x20) != name[i]) return false;
  }
  return true;
}
}  // namespace

StartForm ReadStartForm(const std::vector<std::wstring>& arguments, bool startWithRecent,
                        const std::wstring& recentPath, const std::function<bool(const std::wstring&)>& exists) {
  if (arguments.size() <= 1) {
    if (startWithRecent && !recentPath.empty()) return {StartAction::Open, recentPath};
    return {};
  }
  if (arguments.size() == 2) {
    // "/e" or "/p" alone is a run or preview of no list, never a list named "/e".
    if (IsSwitch(arguments[1], L"e")) return {StartAction::Run};
    if (IsSwitch(arguments[1], L"p")) return {StartAction::Preview};
    if (IsSwitch(arguments[1], L"w")) return {StartAction::Watch};
    if (IsSwitch(arguments[1], L"stop")) return {StartAction::Stop};
    return {exists(arguments[1]) ? StartAction::Open : StartAction::BadPath, arguments[1]};
  }
  if (IsSwitch(arguments[1], L"p")) return {StartAction::Preview, arguments[2], arguments.size() >= 4 ? arguments[3] : L""};
  const bool watch = IsSwitch(arguments[1], L"w");
  if (!watch && !IsSwitch(arguments[1], L"e")) return {StartAction::BadArguments};
  StartForm form{watch ? StartAction::Watch : StartAction::Run, arguments[2]};
  form.logAsked = arguments.size() > 3 && IsSwitch(arguments[3], L"log");
  if (form.logAsked && arguments.size() > 4) form.log = arguments[4];
  return form;
}

}  // namespace nagitome
