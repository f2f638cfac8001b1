// Opening documents and addresses with the shell, behind a hook so tests can watch.
#pragma once

#include <functional>
#include <string>

namespace nagitome {

// ShellExecuteW "open" with SW_SHOWNORMAL; its result is not looked at.
void ShellOpen(void* ownerWindow, const std::wstring& target);

using ShellOpenHook = std::function<void(void* ownerWindow, const std::wstring& target)>;
void SetShellOpenHook(ShellOpenHook hook);  // empty: the real shell

}  // namespace nagitome
