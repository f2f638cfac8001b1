// Appending run log lines to a file that other runs and readers may hold open at the same time.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "win32/handle.h"

namespace nagitome {

class RunLogFile {
 public:
  RunLogFile() = default;  // no log asked for: writes nothing and never fails
  explicit RunLogFile(const std::wstring& path);
  RunLogFile(const RunLogFile&) = delete;
  RunLogFile& operator=(const RunLogFile&) = delete;
  ~RunLogFile();

  // One whole line, stamped with the local time now. It reaches the file with the next flush:
  // a lock and a write cost as much as a close message, so a burst of lines goes in one write.
  void Write(std::wstring_view fields, bool flush = true);
  // Appends what is pending under the lock, whole lines only; a failure is only remembered.
  void Flush();
  bool Failed() const { return failed_; }

 private:
  UniqueFileHandle file_;
  std::string pending_;
  bool failed_ = false;
  bool markChecked_ = false;
  bool device_ = false;
};

}  // namespace nagitome
