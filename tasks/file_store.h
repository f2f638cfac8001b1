// Whole-file reads and safe whole-file writes, behind an interface so that tests can make a
// read or a write fail half way.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace nagitome {

enum class ReadStatus { Ok, OpenFailed, ReadFailed };

// A file being written beside its target. Destroying it without a successful Commit removes
// the temporary file and leaves the target exactly as it was.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  virtual bool Write(std::string_view bytes) = 0;
  // Flushes and closes the temporary file, then replaces the target with it in one step.
  virtual bool Commit() = 0;
  // After a failed Commit: where the old file was left when it could not be put back under
  // its own name; empty when it is in place.
  virtual std::wstring KeptOriginal() const { return {}; }
  // After a failure: removes the temporary file at once and returns its name when it stays,
  // because it could not be removed or because it is the only copy of the list left.
  virtual std::wstring Abandon() { return {}; }
};

class FileStore {
 public:
  virtual ~FileStore() = default;
  // Reads the whole file while other programs may read it but not write it.
  virtual ReadStatus ReadAll(const std::wstring& path, std::string& bytes) = 0;
  // Null when the target cannot be written: read-only, held open, a folder, a missing folder.
  virtual std::unique_ptr<FileWriter> BeginWrite(const std::wstring& path) = 0;
};

#ifdef _WIN32
// GetFullPathNameW of any length; empty when it cannot be made.
std::wstring FullPathName(const std::wstring& path);
// The full path in the form no call limits to MAX_PATH ("\\?\C:\...", "\\?\UNC\..."); a
// device ("\\.\NUL") as it is; empty when it cannot be made full.
std::wstring LongPathName(const std::wstring& path);
// Whether two paths name one existing file, by volume serial and file index, however each is
// spelled: another case, a relative or short name, a long-path form, a hard link.
bool SameFile(const std::wstring& a, const std::wstring& b);

// Writes all of bytes to a file or pipe (a HANDLE), as many calls as it takes; false on the
// first failure.
bool WriteAll(void* file, std::string_view bytes);

// The calls of a Windows replace that can fail half way, so that tests can fail them as
// documented. Each returns false with the error in GetLastError, like the call it stands for.
class ReplaceCalls {
 public:
  virtual ~ReplaceCalls() = default;
  // ReplaceFileW, keeping the old file under `backup` until it succeeds.
  virtual bool Replace(const std::wstring& target, const std::wstring& temp, const std::wstring& backup);
  // MoveFileExW onto a name that does not exist.
  virtual bool Move(const std::wstring& from, const std::wstring& to);
  // DeleteFileW.
  virtual bool Delete(const std::wstring& path);
};
// Null: the real calls.
void SetReplaceCalls(ReplaceCalls* calls);
#endif

// The real file system (Win32 on Windows, POSIX on the host).
FileStore& SystemFileStore();

// The store the task list file operations use; tests may swap in their own (null: the real one).
FileStore& ActiveFileStore();
void SetActiveFileStore(FileStore* store);

}  // namespace nagitome
