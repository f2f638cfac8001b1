// Task list files on the host build (tests and benchmarks): the same contract over POSIX.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tasks/file_store.h"
#include "tasks/utf8.h"

namespace nagitome {

namespace {

// Paths hold UTF-16 units; the host file system wants UTF-8.
std::string NarrowPath(const std::wstring& path) { return ToUtf8(path); }

class PosixFileWriter final : public FileWriter {
 public:
  PosixFileWriter(std::string target, std::string temp, int fd)
      : target_(std::move(target)), temp_(std::move(temp)), fd_(fd) {}
  ~PosixFileWriter() override {
    if (fd_ >= 0) close(fd_);
    if (!committed_) unlink(temp_.c_str());
  }
  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = write(fd_, bytes.data(), bytes.size());
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  bool Commit() override {
    if (fsync(fd_) != 0) return false;
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return false;
    committed_ = rename(temp_.c_str(), target_.c_str()) == 0;
    return committed_;
  }

 private:
  std::string target_, temp_;
  int fd_;
  bool committed_ = false;
};

class PosixFileStore final : public FileStore {
 public:
  ReadStatus ReadAll(const std::wstring& path, std::string& bytes) override {
    std::FILE* f = std::fopen(NarrowPath(path).c_str(), "rb");
    if (!f) return ReadStatus::OpenFailed;
    struct stat st {};
    if (fstat(fileno(f), &st) == 0 && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return failed ? ReadStatus::ReadFailed : ReadStatus::Ok;
  }
  std::unique_ptr<FileWriter> BeginWrite(const std::wstring& path) override {
    std::string target = NarrowPath(path);
    struct stat st {};
    // Read-only by its mode even for root, as the read-only attribute is on Windows.
    if (stat(target.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                                           access(target.c_str(), W_OK) != 0)) {
      return nullptr;
    }
    // A short name of our own: the target's name may already be as long as a name can be.
    std::string temp = target.substr(0, target.rfind('/') + 1) + "~ngtXXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFileWriter>(std::move(target), std::move(temp), fd);
  }
};

}  // namespace

FileStore& SystemFileStore() {
  static PosixFileStore store;
  return store;
}

}  // namespace nagitome
