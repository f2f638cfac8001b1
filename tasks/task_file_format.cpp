#include "tasks/task_file_format.h"

#include <algorithm>
#include <array>
#include <limits>

namespace nagitome {

namespace {

constexpr wchar_t kTab = L'\t';
constexpr wchar_t kCr = L'\r';
constexpr wchar_t kLf = L'\n';
constexpr wchar_t kSub = 0x001A;
constexpr wchar_t kReplacement = 0xFFFD;
// A line is read into a 1024-unit buffer: at most 1023 units per piece, the LF counted.
constexpr std::size_t kPieceUnits = 1023;

// The zero of every run of ten decimal digits in the Basic Multilingual Plane.
constexpr std::array<char16_t, 37> kDigitZeros = {
    0x0030, 0x0660, 0x06F0, 0x07C0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0BE6,
    0x0C66, 0x0CE6, 0x0D66, 0x0DE6, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x1090, 0x17E0,
    0x1810, 0x1946, 0x19D0, 0x1A80, 0x1A90, 0x1B50, 0x1BB0, 0x1C40, 0x1C50, 0xA620,
    0xA8D0, 0xA900, 0xA9D0, 0xA9F0, 0xAA50, 0xABF0, 0xFF10};

int DigitValue(wchar_t unit) {
  const auto c = static_cast<std::uint32_t>(unit);
  for (char16_t zero : kDigitZeros) {
    if (c >= zero && c < zero + 10u) return static_cast<int>(c - zero);
  }
  return -1;
}

bool IsWhiteSpace(wchar_t unit) {
  switch (static_cast<std::uint32_t>(unit)) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20: case 0x85: case 0xA0:
    case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
      return true;
    default:
      return unit >= 0x2000 && unit <= 0x200A;
  }
}

// UTF-8 to UTF-16 units handed to put, which returns false to stop; each byte that does not
// start a well-formed sequence becomes U+FFFD.
template <typename Put>
void DecodeUtf8(std::string_view bytes, Put put) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned b0 = p[i];
    if (b0 < 0x80) {
      if (!put(static_cast<wchar_t>(b0))) return;
      ++i;
      continue;
    }
    std::size_t len = 0;
    std::uint32_t cp = 0;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; cp = b0 & 0x1F; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3; cp = b0 & 0x0F;
      if (b0 == 0xE0) lo = 0xA0;       // no overlong forms
      else if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4; cp = b0 & 0x07;
      if (b0 == 0xF0) lo = 0x90;
      else if (b0 == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
    }
    bool ok = len != 0 && i + len <= n;
    for (std::size_t k = 1; ok && k < len; ++k) {
      const unsigned b = p[i + k];
      const unsigned min = k == 1 ? lo : 0x80, max = k == 1 ? hi : 0xBF;
      if (b < min || b > max) ok = false;
      else cp = (cp << 6) | (b & 0x3F);
    }
    if (!ok) {
      put(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      put(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      put(static_cast<wchar_t>(cp));
    }
    i += len;
  }
}

// Takes the decoded units one at a time and reads them as a 1024-unit line buffer would:
// CR LF as LF, SUB as the end of the data, pieces through the next LF or of 1023 units (a
// piece's line ends at its first NUL: ParseTaskLine stops there). Only one piece is held, so
// any line structure is read in one pass without a decoded copy of the file.
class PieceReader {
 public:
  explicit PieceReader(std::vector<TaskEntry>& entries) : entries_(entries) {}

  // False once SUB has ended the data.
  bool Put(wchar_t unit) {
    if (unit == kSub) return false;
    if (pendingCr_) {
      pendingCr_ = false;
      if (unit == kLf) return Append(kLf), true;
      Append(kCr);
    }
    if (unit == kCr) pendingCr_ = true;
    else Append(unit);
    return true;
  }

  void Finish() {
    if (pendingCr_) Append(kCr), pendingCr_ = false;
    if (size_ != 0) EndPiece();
  }

 private:
  void Append(wchar_t unit) {
    piece_[size_++] = unit;
    if (unit == kLf || size_ == kPieceUnits) EndPiece();
  }

  void EndPiece() {
    TaskEntry entry;
    if (ParseTaskLine(std::wstring_view(piece_.data(), size_), entry)) entries_.push_back(std::move(entry));
    size_ = 0;
  }

  std::vector<TaskEntry>& entries_;
  std::array<wchar_t, kPieceUnits> piece_{};
  std::size_t size_ = 0;

  bool pendingCr_ = false;  // a CR waiting to see whether LF follows
};

void AppendUnit(std::string& out, std::uint32_t unit) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

void AppendNumber(std::string& out, std::uint32_t value) {
  wchar_t digits[10];
  int n = 0;
  do { digits[n++] = static_cast<wchar_t>(L'0' + value % 10); value /= 10; } while (value != 0);
  while (n > 0) AppendUnit(out, static_cast<std::uint32_t>(digits[--n]));
}

}  // namespace

std::int32_t ParseNumericField(std::wstring_view field) {
  std::size_t i = 0;
  while (i < field.size() && IsWhiteSpace(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == L'+' || field[i] == L'-')) negative = field[i++] == L'-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (int d; i < field.size() && (d = DigitValue(field[i])) >= 0; ++i) {
    magnitude = std::min(magnitude * 10 + d, kLimit);  // saturates; cannot overflow
  }
  if (negative) return static_cast<std::int32_t>(std::max(-magnitude, std::int64_t{std::numeric_limits<std::int32_t>::min()}));
  return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}

bool ParseTaskLine(std::wstring_view line, TaskEntry& entry) {
  std::size_t tabs[3];
  int found = 0;
  std::size_t end = line.size();
  for (std::size_t i = 0; i < line.size(); ++i) {
    const wchar_t c = line[i];
    if (c == kCr || c == kLf || c == 0) { end = i; break; }
    if (c == kTab && found < 3) tabs[found++] = i;
  }
  if (found < 3) return false;
  auto field = [&](std::size_t from, std::size_t to) {
    return static_cast<std::uint32_t>(ParseNumericField(line.substr(from, to - from)));
  };
  entry = MakeBlankEntry();
  entry.EndMethod = EndMethodFromNumber(field(0, tabs[0]));
  entry.MatchTarget = MatchTargetFromNumber(field(tabs[0] + 1, tabs[1]));
  entry.MatchMethod = MatchMethodFromNumber(field(tabs[1] + 1, tabs[2]));
  entry.Keyword.assign(line.substr(tabs[2] + 1, end - tabs[2] - 1));
  return true;
}

DecodedTaskList DecodeTaskList(std::string_view bytes) {
  DecodedTaskList result;
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xFE\xFF")) return result;
  result.accepted = true;
  PieceReader reader(result.entries);
  if (starts("\xFF\xFE")) {
    std::size_t i = 2;
    bool more = true;
    for (; more && i + 1 < bytes.size(); i += 2) more = reader.Put(static_cast<wchar_t>(byte(i) | (byte(i + 1) << 8)));
    if (more && i < bytes.size()) reader.Put(kReplacement);  // a stray last byte is not a unit
  } else if (starts("\xEF\xBB\xBF")) {
    DecodeUtf8(bytes.substr(3), [&](wchar_t unit) { return reader.Put(unit); });
  } else {
    for (std::size_t i = 0; i < bytes.size() && reader.Put(static_cast<wchar_t>(byte(i))); ++i) {}
  }
  reader.Finish();
  return result;
}

std::string EncodeTaskList(const std::vector<TaskEntry>& entries) {
  std::string out;
  std::size_t size = 2;
  for (const TaskEntry& e : entries) size += 2 * (10 + e.Keyword.size());
  out.reserve(size);
  out.append("\xFF\xFE", 2);
  for (const TaskEntry& e : entries) {
    AppendNumber(out, static_cast<std::uint32_t>(e.EndMethod));
    AppendUnit(out, kTab);
    AppendNumber(out, static_cast<std::uint32_t>(e.MatchTarget));
    AppendUnit(out, kTab);
    AppendNumber(out, static_cast<std::uint32_t>(e.MatchMethod));
    AppendUnit(out, kTab);
    for (wchar_t c : e.Keyword) {
      if (c == kLf) AppendUnit(out, kCr);  // text mode: every LF reaches the file as CR LF
      AppendUnit(out, static_cast<std::uint32_t>(c) & 0xFFFF);
    }
    AppendUnit(out, kCr);
    AppendUnit(out, kLf);
  }
  return out;
}

}  // namespace nagitome
