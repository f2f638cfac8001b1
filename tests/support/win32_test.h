// Small Win32 helpers the Wine-side tests and benchmarks share.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

#include "tests/support/test_support.h"

namespace nagitome::testing_support {

// Polls until the condition holds or the time is up; true if it held.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000, DWORD pollMs = 10) {
  for (const ULONGLONG end = GetTickCount64() + timeoutMs; !condition(); Sleep(pollMs)) {
    if (GetTickCount64() >= end) return false;
  }
  return true;
}

inline std::wstring WindowText(HWND window) {
  std::wstring text(64 * 1024, L'\0');
  return text.substr(0, std::max(0, GetWindowTextW(window, text.data(), 64 * 1024)));
}

}  // namespace nagitome::testing_support
