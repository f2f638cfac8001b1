// Helpers every suite shares, host and Wine alike: a temporary folder, UTF-16 and file bytes, the
// wildcard oracle and a readable printer for task entries.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "tasks/task_entry.h"

namespace nagitome {

// Readable and exact: "etm[keyword]" as Te reads it, units outside ASCII as <decimal>.
inline void PrintTo(const TaskEntry& e, std::ostream* os) {
  *os << unsigned(e.EndMethod) << unsigned(e.MatchTarget) << unsigned(e.MatchMethod) << '[';
  for (wchar_t c : e.Keyword) {
    if (c >= 0x20 && c < 0x7F) *os << char(c);
    else *os << '<' << unsigned(c) << '>';
  }
  *os << ']';
}

namespace testing_support {

// Texts hold UTF-16 units one per element on every platform; build them from char16_t.
inline std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// An entry as its file line reads: end, target and method digits, then the keyword ("131calc.exe").
inline TaskEntry Te(std::wstring_view s) {
  const auto digit = [&](int i) { return static_cast<std::uint32_t>(s[i] - L'0'); };
  return {EndMethod(digit(0)), MatchTarget(digit(1)), MatchMethod(digit(2)), std::wstring(s.substr(3))};
}

// UTF-16LE after the mark FF FE, as a task list file holds it.
inline std::string Utf16Le(std::wstring_view text) {
  std::string out = "\xFF\xFE";
  for (wchar_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF)};
  return out;
}
inline std::string Utf16Le(std::u16string_view text) { return Utf16Le(W(text)); }

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
inline bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good();
}

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    static std::mt19937_64 random{std::random_device{}()};
    const std::string name = "nagitome-test-" + std::to_string(random());
    path_ = (std::filesystem::temp_directory_path() / name).wstring();
    std::filesystem::create_directory(path_);  // throws when it cannot
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // A program that is still being torn down may hold a file in it a moment longer.
  ~TempFolder() {
    std::error_code error;
    for (int i = 0; i < 60; ++i) {
      std::filesystem::remove_all(path_, error);
      if (!error) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const {
    return (std::filesystem::path(path_) / name).wstring();
  }

 private:
  std::wstring path_;
};

// The wildcard match as defined, step by step: a last star takes the (non-empty) rest, any other one
// more unit or ends; text used up with pattern left fails, stars or not. Exponential: short inputs only.
inline bool WildcardWalk(std::wstring_view p, std::wstring_view t) {
  if (t.empty()) return p.empty();
  if (p.empty()) return false;
  if (p[0] == L'*') return p.size() == 1 || WildcardWalk(p, t.substr(1)) || WildcardWalk(p.substr(1), t);
  return (p[0] == L'?' || p[0] == t[0]) && WildcardWalk(p.substr(1), t.substr(1));
}

}  // namespace testing_support
}  // namespace nagitome
