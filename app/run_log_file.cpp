#include "app/run_log_file.h"

#include "app/run_log.h"
#include "tasks/file_store.h"

namespace nagitome {

namespace {

// The offset comes from Win32, not the C runtime, which can disagree with it about the zone.
// The zone is read once per run; converting with it still follows a change of daylight time.
LogTime CurrentLogTime() {
  static TIME_ZONE_INFORMATION zone{};
  static const bool zoneKnown = GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID;
  SYSTEMTIME utc{}, local{};
  GetSystemTime(&utc);
  FILETIME utcFile{}, localFile{};
  LogTime time;
  // Both sides from whole milliseconds: the clock's finer part would cut the offset a minute short.
  if (!SystemTimeToFileTime(&utc, &utcFile)) return time;
  if (!SystemTimeToTzSpecificLocalTime(zoneKnown ? &zone : nullptr, &utc, &local) || !SystemTimeToFileTime(&local, &localFile)) {
    local = utc;
    localFile = utcFile;
  }
  const auto ticks = [](const FILETIME& f) {
    return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
  };
  time.offsetMinutes = static_cast<int>((ticks(localFile) - ticks(utcFile)) / 600000000LL);
  time.year = local.wYear;
  time.month = local.wMonth;
  time.day = local.wDay;
  time.hour = local.wHour;
  time.minute = local.wMinute;
  time.second = local.wSecond;
  time.milliseconds = local.wMilliseconds;
  return time;
}

// Every writer locks the same range far past any end of file, so whole lines never interleave:
// appends alone can land at the same offset under Wine, and Windows needs the lock too once a
// write spans sectors.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
constexpr std::size_t kPendingLimit = 64 * 1024;

}  // namespace

RunLogFile::RunLogFile(const std::wstring& path) {
  // Appending only, and shared, so that another run can write and a reader can watch.
  if (!path.empty()) {
    const std::wstring full = LongPathName(path);
    file_.reset(CreateFileW(full.empty() ? path.c_str() : full.c_str(), GENERIC_READ | FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  failed_ = !file_;
  // A device or a pipe ("NUL", another program reading) has no end to lock past and no mark.
  device_ = file_ && GetFileType(file_.get()) != FILE_TYPE_DISK;
}

RunLogFile::~RunLogFile() { Flush(); }

void RunLogFile::Write(std::wstring_view fields, bool flush) {
  if (!file_) return;
  pending_ += LogLineBytes(CurrentLogTime(), fields);
  if (flush || pending_.size() >= kPendingLimit) Flush();
}

void RunLogFile::Flush() {
  if (!file_ || pending_.empty()) return;
  std::string bytes;
  bytes.swap(pending_);
  if (device_) {
    failed_ |= !WriteAll(file_.get(), bytes);
    return;
  }
  OVERLAPPED range{};
  range.OffsetHigh = kLockOffsetHigh;
  if (!LockFileEx(file_.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range)) {
    failed_ = true;
    return;
  }
  // The mark goes in front of the first line of a new file, decided under the lock so that a
  // second run creating the file at the same moment cannot put a line before it.
  LARGE_INTEGER size{};
  if (!markChecked_ && GetFileSizeEx(file_.get(), &size) && size.QuadPart == 0) bytes.insert(0, "\xEF\xBB\xBF");
  markChecked_ = true;
  DWORD written = 0;
  if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size()) {
    failed_ = true;
  }
  UnlockFileEx(file_.get(), 0, 1, 0, &range);
}

}  // namespace nagitome
