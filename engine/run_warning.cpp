#include "engine/run_warning.h"

#include <vector>

#include "tasks/texts.h"

namespace nagitome {

namespace {

constexpr std::size_t kMessageUnits = kTextBufferUnits;
constexpr std::size_t kShownKeywordUnits = 48;
constexpr std::size_t kShownRows = 10;

void AppendGroup(std::wstring& text, const wchar_t* header, const TaskList& list, const std::vector<int>& rows) {
  if (rows.empty()) return;
  if (!text.empty()) text += L"\n\n";
  text += header;
  text += L"\n";
  for (std::size_t i = 0; i < rows.size() && i < kShownRows; ++i) {
    std::wstring keyword = list.At(rows[i]).Keyword;
    if (keyword.size() > kShownKeywordUnits) keyword = keyword.substr(0, kShownKeywordUnits) + L"...";
    text += L"\n" + std::to_wstring(rows[i] + 1) + texts::kInvalidRegexRow + keyword;
  }
  if (rows.size() > kShownRows) {
    text += L"\n" + (texts::kInvalidRegexMoreBefore + std::to_wstring(rows.size() - kShownRows)) +
            texts::kInvalidRegexMoreAfter;
  }
}

}  // namespace

std::wstring RunWarningMessage(const TaskList& list, const TerminationReport& report) {
  std::wstring text;
  AppendGroup(text, texts::kInvalidRegexHeader, list, report.invalidEntries);
  AppendGroup(text, texts::kRegexGaveUpHeader, list, report.gaveUpEntries);
  if (text.size() >= kMessageUnits) text.resize(kMessageUnits - 1);
  return text;
}

}  // namespace nagitome
