// Task list files over Win32: shared reads, and writes that replace the target only whole.
#include <windows.h>

#include <algorithm>
#include <string>

#include "tasks/file_store.h"
#include "win32/handle.h"

namespace nagitome {

bool ReplaceCalls::Replace(const std::wstring& target, const std::wstring& temp, const std::wstring& backup) {
  return ReplaceFileW(target.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                      nullptr) != FALSE;
}

bool ReplaceCalls::Move(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool ReplaceCalls::Delete(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

std::wstring FullPathName(const std::wstring& path) {
  if (path.empty()) return {};
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (written == 0 || written >= size) return {};
  full.resize(written);
  return full;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

namespace {

// The prefix turns normalisation off, so it goes only onto a path already made full.
std::wstring LongForm(const std::wstring& full) {
  if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Volume serial and file index: what names one file whatever path leads to it.
bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  const std::wstring full = LongPathName(path);
  // No access asked, every sharing allowed: a file held open by anyone can still be named.
  UniqueFileHandle file(CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return !full.empty() && file && GetFileInformationByHandle(file.get(), &info);
}

}  // namespace

std::wstring LongPathName(const std::wstring& path) {
  const std::wstring full = FullPathName(path);
  return full.empty() ? full : LongForm(full);
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return FileIdentity(a, first) && FileIdentity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

namespace {

ReplaceCalls* g_calls = nullptr;

ReplaceCalls& Calls() {
  static ReplaceCalls real;
  return g_calls ? *g_calls : real;
}


bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Names of our own beside the target, "~ngt" and eight hex digits, with ".tmp" for the new
// contents and ".bak" for the old file while it is being replaced. Both must be new, so a
// file kept by an earlier failed save is never overwritten.
struct SideNames {
  std::wstring temp, backup, shownTemp, shownBackup;
  UniqueFileHandle file;
};

bool MakeSideNames(const std::wstring& folder, const std::wstring& shownFolder, SideNames& names) {
  static DWORD counter = GetTickCount();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const DWORD value = counter++ ^ (GetCurrentProcessId() << 16);
    std::wstring stem = L"~ngt";
    for (int shift = 28; shift >= 0; shift -= 4) stem += L"0123456789abcdef"[(value >> shift) & 0xF];
    names.temp = folder + stem + L".tmp";
    names.backup = folder + stem + L".bak";
    names.shownTemp = shownFolder + stem + L".tmp";
    names.shownBackup = shownFolder + stem + L".bak";
    if (Exists(names.backup)) continue;
    names.file.reset(CreateFileW(names.temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (names.file) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

class Win32FileWriter final : public FileWriter {
 public:
  Win32FileWriter(std::wstring target, SideNames names, DWORD attributes, bool replace)
      : target_(std::move(target)), names_(std::move(names)), attributes_(attributes), replace_(replace) {}

  ~Win32FileWriter() override { Abandon(); }

  bool Write(std::string_view bytes) override { return WriteAll(names_.file.get(), bytes); }

  bool Commit() override {
    if (!FlushFileBuffers(names_.file.get())) return false;
    if (!CloseHandle(names_.file.release())) return false;
    // The file arrives with the target's attributes, not hidden like the temporary file.
    SetFileAttributesW(names_.temp.c_str(), attributes_);
    if (!replace_) return committed_ = Calls().Move(names_.temp, target_);
    // ReplaceFileW keeps the target's attributes and security.
    if (Calls().Replace(target_, names_.temp, names_.backup)) {
      DeleteFileW(names_.backup.c_str());
      return committed_ = true;
    }
    // It may fail with the target still in place (1176 and most errors) or left under the
    // backup name (1177). Put the old file back; the temporary file goes only once the old
    // one exists somewhere.
    if (Exists(target_)) {
      DeleteFileW(names_.backup.c_str());
    } else if (Exists(names_.backup)) {
      if (!Calls().Move(names_.backup, target_)) kept_ = names_.shownBackup;
    } else {
      keepTemp_ = true;  // nothing else holds a list any more
    }
    return false;
  }

  std::wstring KeptOriginal() const override { return kept_; }

  std::wstring Abandon() override {
    if (committed_ || abandoned_) return left_;
    abandoned_ = true;
    names_.file.reset();
    if (!keepTemp_ && Calls().Delete(names_.temp)) return left_;
    // Left where the user can find it: no longer hidden.
    if (!keepTemp_) SetFileAttributesW(names_.temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    return left_ = names_.shownTemp;
  }

 private:
  std::wstring target_;
  SideNames names_;
  DWORD attributes_;
  bool replace_;
  bool committed_ = false;
  bool keepTemp_ = false;
  bool abandoned_ = false;
  std::wstring kept_, left_;
};

class Win32FileStore final : public FileStore {
 public:
  ReadStatus ReadAll(const std::wstring& path, std::string& bytes) override {
    const std::wstring target = LongPathName(path);
    if (target.empty()) return ReadStatus::OpenFailed;
    UniqueFileHandle file(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return ReadStatus::OpenFailed;
    // Read straight into a buffer of the file's size: no second copy while it grows.
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    char more[4096];
    for (;;) {
      const bool intoBuffer = got < bytes.size();
      char* into = intoBuffer ? bytes.data() + got : more;
      const DWORD want = intoBuffer ? static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 30))
                                    : static_cast<DWORD>(sizeof more);
      DWORD read = 0;
      if (!ReadFile(file.get(), into, want, &read, nullptr)) return ReadStatus::ReadFailed;
      if (read == 0) break;
      if (!intoBuffer) bytes.append(more, read);  // the file grew since its size was taken
      got += read;
    }
    bytes.resize(got);
    return ReadStatus::Ok;
  }

  std::unique_ptr<FileWriter> BeginWrite(const std::wstring& path) override {
    const std::wstring full = FullPathName(path);
    const std::size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos) return nullptr;
    const std::wstring target = LongForm(full);
    DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
      // Checked here because a process running as root under Wine could still write it.
      if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return nullptr;
      // Another program holding the file open keeps it from being saved, as an exclusive open would.
      UniqueFileHandle probe(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!probe) return nullptr;
    } else {
      attributes = FILE_ATTRIBUTE_NORMAL;
    }
    SideNames names;
    if (!MakeSideNames(LongForm(full.substr(0, slash + 1)), full.substr(0, slash + 1), names)) return nullptr;
    return std::make_unique<Win32FileWriter>(target, std::move(names), attributes, exists);
  }
};

}  // namespace

void SetReplaceCalls(ReplaceCalls* calls) { g_calls = calls; }

FileStore& SystemFileStore() {
  static Win32FileStore store;
  return store;
}

}  // namespace nagitome
