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

// Decimal digits only, within [low, high]; nothing otherwise.
std::optional<int> Seconds(const std::wstring& text, int low, int high) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}
}  // namespace

RunOptions ReadRunOptions(const std::vector<std::wstring>& arguments, std::size_t first) {
  RunOptions options;
  const auto next = [&](std::size_t i) { return i + 1 < arguments.size() ? arguments[i + 1] : std::wstring(); };
  for (std::size_t i = first; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const bool wait = IsSwitch(argument, L"wait");
    if (wait || IsSwitch(argument, L"force")) {
      std::optional<int> seconds = Seconds(next(i), wait ? 0 : 1, 60);
      if (!seconds) options.badOption = argument;
      (wait ? options.waitSeconds : options.forceSeconds) = seconds;
      if (seconds) ++i;
    } else if (IsSwitch(argument, L"log")) {
      options.logAsked = true;
      // A switch of ours right after it is no file name: the log is then missing.
      const std::wstring file = next(i);
      const bool isSwitch = IsSwitch(file, L"wait") || IsSwitch(file, L"force") || IsSwitch(file, L"log");
      options.log = isSwitch ? L"" : file;
      if (!file.empty() && !isSwitch) ++i;
    }
  }
  return options;
}

int WaitSeconds(const RunOptions& options) {
  if (options.waitSeconds) return *options.waitSeconds;
  return options.forceSeconds ? *options.forceSeconds + 5 : 5;
}

OutcomeTimes TimesOf(const RunOptions& options) {
  std::optional<std::int64_t> forceMs;
  if (options.forceSeconds) forceMs = *options.forceSeconds * 1000LL;
  return {WaitSeconds(options) * 1000LL, forceMs};
}

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
  const RunOptions options = ReadRunOptions(arguments, 3);
  return {watch ? StartAction::Watch : StartAction::Run, arguments[2], L"", options.logAsked, options.log,
          options.waitSeconds, options.forceSeconds, options.badOption};
}

int RunExitCode(bool notLoaded, bool entryFailed, bool targetLeft, bool logFailed) {
  if (notLoaded) return 2;
  if (entryFailed) return 1;
  if (targetLeft) return 4;
  return logFailed ? 3 : 0;
}

}  // namespace nagitome
