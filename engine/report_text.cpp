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

}  // namespace nagitome
