#include "app/settings.h"

#include <windows.h>

#include "tasks/document.h"
#include "tasks/message.h"
#include "tasks/texts.h"
#include "win32/handle.h"

namespace nagitome {

namespace {

constexpr wchar_t kSection[] = L"LATEST_FILE";
constexpr wchar_t kEnabledKey[] = L"ENABLED";
constexpr wchar_t kPathKey[] = L"PATH";
constexpr std::size_t kMessageUnits = 512;

std::wstring ComputeExeDir() {
  wchar_t path[kTextBufferUnits];
  const DWORD length = GetModuleFileNameW(nullptr, path, kTextBufferUnits);
  if (length == 0 || length >= kTextBufferUnits) return {};
  std::wstring dir(path, length);
  const std::size_t slash = dir.find_last_of(L"\\/");
  dir.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return dir;
}

std::wstring ComputeSettingsPath() {
  wchar_t name[kTextBufferUnits] = {};
  DWORD size = kTextBufferUnits;
  if (!GetUserNameW(name, &size)) name[0] = L'\0';
  return ExeDir() + name + L" Nagitome.ini";
}

std::wstring& SettingsPathStorage() {
  static std::wstring path = ComputeSettingsPath();
  return path;
}

// The profile API writes a new file in the ANSI code page, which turns a Japanese or emoji path
// into question marks; a file that starts with the UTF-16 mark stays UTF-16.
void CreateUnicodeSettingsFile(const std::wstring& path) {
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;  // exists already, or cannot be created: the write below tells
  DWORD written = 0;
  WriteFile(file.get(), "\xFF\xFE", 2, &written, nullptr);
}

bool IsReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

const std::wstring& ExeDir() {
  static const std::wstring dir = ComputeExeDir();
  return dir;
}

const std::wstring& SettingsPath() { return SettingsPathStorage(); }
void SetSettingsPathForTesting(std::wstring path) { SettingsPathStorage() = std::move(path); }

std::wstring ReadmePath() { return ExeDir() + texts::kReadmeName; }

void InitializePaths() {
  ExeDir();
  SettingsPath();
  RecentFilePath().clear();
}

bool ReadSettings() {
  wchar_t path[kTextBufferUnits] = {};
  GetPrivateProfileStringW(kSection, kPathKey, L"", path, kTextBufferUnits, SettingsPath().c_str());
  AssignPath(RecentFilePath(), path);
  return GetPrivateProfileIntW(kSection, kEnabledKey, 0, SettingsPath().c_str()) != 0;
}

bool WriteSettings(bool startWithRecent) {
  const std::wstring& path = SettingsPath();
  CreateUnicodeSettingsFile(path);
  // Checked here because a process running as root under Wine could still write it.
  const bool written = !IsReadOnly(path) &&
      WritePrivateProfileStringW(kSection, kEnabledKey, startWithRecent ? L"1" : L"0", path.c_str());
  if (!written) {
    ShowError(FormatPathMessage(texts::kSettingsWriteFailed, path, kMessageUnits));
    return false;
  }
  if (!RecentFilePath().empty()) {
    WritePrivateProfileStringW(kSection, kPathKey, RecentFilePath().c_str(), path.c_str());
  }
  return true;
}

}  // namespace nagitome
