// The command-line forms, read without acting: no argument, one task list path, "/e LIST
// [/log FILE] [/wait N] [/force N]" (run once, exit), "/p LIST [REPORT]" (preview), "/w LIST" with
// the same options (watch) and "/stop" (end the session's watcher); switches in any case.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/outcome.h"

namespace nagitome {

enum class StartAction { New, Open, Run, Preview, BadPath, BadArguments, Watch, Stop };

// What follows the list of a run: "/log FILE", "/wait N" (0-60 s, 0: outcomes not checked) and
// "/force N" (1-60 s), in any order; anything else is passed over.
struct RunOptions {
  bool logAsked = false;  // "/log": an empty log path cannot be written
  std::wstring log = {};
  std::optional<int> waitSeconds = {}, forceSeconds = {};
  std::wstring badOption = {};  // "/wait" or "/force" as written, when its number is missing or out of range
  bool operator==(const RunOptions&) const = default;
};

// Reads arguments[first...].
RunOptions ReadRunOptions(const std::vector<std::wstring>& arguments, std::size_t first);

// How long outcomes are waited for: "/wait" as given, else 5 s, or 5 s past "/force".
int WaitSeconds(const RunOptions& options);
// The wait and the force of a run, in the outcome engine's milliseconds.
OutcomeTimes TimesOf(const RunOptions& options);

struct StartForm {
  StartAction action = StartAction::New;
  std::wstring list = {}, report = {};  // report: "/p" only, empty for standard output
  bool logAsked = false;                // "/e" or "/w" with "/log": an empty log path cannot be written
  std::wstring log = {};
  std::optional<int> waitSeconds = {}, forceSeconds = {};
  std::wstring badOption = {};          // "/e", "/w": runs nothing when set
  bool operator==(const StartForm&) const = default;
};

// Argument 0 is the program. Without arguments the recent file opens when the check box says
// so and there is one; a path is checked with `exists` ("/e" and "/p" check their own).
StartForm ReadStartForm(const std::vector<std::wstring>& arguments, bool startWithRecent,
                        const std::wstring& recentPath, const std::function<bool(const std::wstring&)>& exists);

// The exit code of "/e": 2 the list not loaded or a bad option, 1 an entry rejected or cut
// short, 4 a target left running, 3 only the log not written, else 0; in that order.
int RunExitCode(bool notLoaded, bool entryFailed, bool targetLeft, bool logFailed);

}  // namespace nagitome
