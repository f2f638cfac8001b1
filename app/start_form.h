// The command-line forms, read without acting: no argument, one task list path, "/e LIST
// [/log FILE]" (run once, exit), "/p LIST [REPORT]" (preview), "/w LIST [/log FILE]" (watch) and
// "/stop" (end the session's watcher); switches in either case.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace nagitome {

enum class StartAction { New, Open, Run, Preview, BadPath, BadArguments, Watch, Stop };

struct StartForm {
  StartAction action = StartAction::New;
  std::wstring list = {}, report = {};  // report: "/p" only, empty for standard output
  bool logAsked = false;                // "/e" or "/w" with "/log": an empty log path cannot be written
  std::wstring log = {};
  bool operator==(const StartForm&) const = default;
};

// Argument 0 is the program. Without arguments the recent file opens when the check box says
// so and there is one; a path is checked with `exists` ("/e" and "/p" check their own).
StartForm ReadStartForm(const std::vector<std::wstring>& arguments, bool startWithRecent,
                        const std::wstring& recentPath, const std::function<bool(const std::wstring&)>& exists);

}  // namespace nagitome
