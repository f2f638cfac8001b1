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
};

class FileStore {
 public:
  virtual ~FileStore() = default;
  // Reads the whole file while other programs may read it but not write it.
  virtual ReadStatus ReadAll(const std::wstring& path, std::string& bytes) = 0;
  // Null when the target cannot be written: read-only, held open, a folder, a missing folder.
  virtual std::unique_ptr<FileWriter> BeginWrite(const std::wstring& path) = 0;
};

// The real file system (Win32 on Windows, POSIX on the host).
FileStore& SystemFileStore();

// The store the task list file operations use; tests may swap in their own (null: the real one).
FileStore& ActiveFileStore();
void SetActiveFileStore(FileStore* store);

}  // namespace nagitome
