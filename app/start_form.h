// The command-line forms, read without acting: no argument, one task list path, "/e LIST"
// (run once, exit) and "/p LIST [REPORT]" (preview); switches in either case.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace nagitome {

enum class StartAction { New, Open, Run, Preview, BadPath, BadArguments };

struct StartForm {
  StartAction action = StartAction::New;
  std::wstring list = {}, report = {};  // report: "/p" only, empty for standard output
  bool operator==(const StartForm&) const = default;
};

// Argument 0 is the program. Without arguments the recent file opens when the check box says
// so and there is one; a path is checked with `exists` ("/p" checks its own).
StartForm ReadStartForm(const std::vector<std::wstring>& arguments, bool startWithRecent,
                        const std::wstring& recentPath, const std::function<bool(const std::wstring&)>& exists);

}  // namespace nagitome
