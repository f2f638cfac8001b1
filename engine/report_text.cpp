#include "engine/report_text.h"

namespace nagitome {

std::wstring EscapeReportText(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (const wchar_t unit : text) {
    switch (unit) {
      case L'\t': out += L"\\t"; break;
      case L'\r': out += L"\\r"; break;
      case L'\n': out += L"\\n"; break;
      case L'\\': out += L"\\\\"; break;
      default: out += unit;
    }
  }
  return out;
}

std::wstring HandleHex(std::uint64_t handle) {
  std::wstring digits;
  for (int shown = 0; handle != 0 || shown < 8; ++shown, handle >>= 4) {
    digits.insert(digits.begin(), L"0123456789ABCDEF"[handle & 15]);
  }
  return digits;
}

}  // namespace nagitome
