// Small Win32 helpers the Wine-side tests and benchmarks share.
#pragma once

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

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
  text.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(window, text.data(), 64 * 1024))));
  return text;
}

inline std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good();
}

}  // namespace nagitome::testing_support
