// Task list files over Win32: shared reads, and writes that replace the target only whole.
#include <windows.h>

#include <string>

#include "tasks/file_store.h"
#include "tasks/handle.h"

namespace nagitome {

namespace {

constexpr DWORD kReadChunk = 1 << 20;

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (written == 0 || written >= size) return {};
  full.resize(written);
  return full;
}

class Win32FileWriter final : public FileWriter {
 public:
  Win32FileWriter(std::wstring target, std::wstring temp, UniqueFileHandle file, bool replace)
      : target_(std::move(target)), temp_(std::move(temp)), file_(std::move(file)), replace_(replace) {}

  ~Win32FileWriter() override {
    if (committed_) return;
    file_.reset();
    DeleteFileW(temp_.c_str());
  }

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      if (!WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return true;
  }

  bool Commit() override {
    if (!FlushFileBuffers(file_.get())) return false;
    if (!CloseHandle(file_.release())) return false;
    // ReplaceFileW keeps the target's attributes and security; a new file is simply moved in.
    const BOOL moved = replace_
        ? ReplaceFileW(target_.c_str(), temp_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
        : MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH);
    committed_ = moved != FALSE;
    return committed_;
  }

 private:
  std::wstring target_;
  std::wstring temp_;
  UniqueFileHandle file_;
  bool replace_;
  bool committed_ = false;
};

class Win32FileStore final : public FileStore {
 public:
  ReadStatus ReadAll(const std::wstring& path, std::string& bytes) override {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return ReadStatus::OpenFailed;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
      bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    std::string chunk(kReadChunk, '\0');
    for (;;) {
      DWORD read = 0;
      if (!ReadFile(file.get(), chunk.data(), kReadChunk, &read, nullptr)) return ReadStatus::ReadFailed;
      if (read == 0) break;
      bytes.append(chunk.data(), read);
    }
    return ReadStatus::Ok;
  }

  std::unique_ptr<FileWriter> BeginWrite(const std::wstring& path) override {
    const std::wstring target = FullPath(path);
    if (target.empty()) return nullptr;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
      // Checked here because a process running as root under Wine could still write it.
      if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return nullptr;
      // Another program holding the file open keeps it from being saved, as an exclusive open would.
      UniqueFileHandle probe(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!probe) return nullptr;
    }
    const std::size_t slash = target.find_last_of(L'\\');
    if (slash == std::wstring::npos) return nullptr;
    const std::wstring folder = target.substr(0, slash + 1);
    wchar_t temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), L"ngt", 0, temp)) return nullptr;
    UniqueFileHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      DeleteFileW(temp);
      return nullptr;
    }
    return std::make_unique<Win32FileWriter>(target, temp, std::move(file), exists);
  }
};

}  // namespace

FileStore& SystemFileStore() {
  static Win32FileStore store;
  return store;
}

}  // namespace nagitome
