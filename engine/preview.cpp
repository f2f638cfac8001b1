#include "engine/preview.h"

#include <algorithm>

#include "engine/report_text.h"
#include "tasks/texts.h"
#include "tasks/utf8.h"

namespace nagitome {

namespace {

std::wstring RowList(const std::vector<int>& indexes) {
  std::wstring rows;
  for (const int index : indexes) rows += (rows.empty() ? L"" : L", ") + std::to_wstring(index + 1);
  return rows;
}

}  // namespace

std::string FormatPreviewReport(const Plan& preview) {
  std::string text = "row\tend\ttarget\tpid\tprocess\twindow\ttext\r\n";
  for (const TerminationAction& a : preview.actions) {
    const std::string window = a.window ? ToUtf8(HandleHex(a.window)) : std::string();
    text += std::to_string(a.entryIndex + 1) + '\t' + std::to_string(static_cast<unsigned>(a.endMethod)) + '\t' +
            std::to_string(static_cast<unsigned>(a.matchTarget)) + '\t' + std::to_string(a.processId) + '\t' +
            ToUtf8(EscapeReportText(a.processName)) + '\t' + window + '\t' + ToUtf8(EscapeReportText(a.matchedText)) +
            "\r\n";
  }
  // Taskkills that would never start, rejected and cut-short entries, in row order.
  std::vector<std::pair<int, std::string>> notes;
  for (const TerminationAction& a : preview.actions) {
    if (a.protectedProcess) notes.emplace_back(a.entryIndex, "protected row " + std::to_string(a.entryIndex + 1) +
                                                                  " pid " + std::to_string(a.processId));
  }
  for (const int index : preview.report.invalidEntries) notes.emplace_back(index, "invalid row " + std::to_string(index + 1));
  for (const int index : preview.report.gaveUpEntries) notes.emplace_back(index, "gave-up row " + std::to_string(index + 1));
  std::stable_sort(notes.begin(), notes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& note : notes) text += "# " + note.second + "\r\n";
  return text;
}

std::wstring PreviewSummary(const Plan& preview) {
  const auto closes = std::count_if(preview.actions.begin(), preview.actions.end(),
                                    [](const TerminationAction& a) { return a.endMethod == EndMethod::CloseWindow; });
  const auto kills = static_cast<std::ptrdiff_t>(preview.actions.size()) - closes;
  std::wstring text = texts::kPreviewCloses + std::to_wstring(closes) + texts::kPreviewKills + std::to_wstring(kills) +
                      texts::kPreviewNothingEnded;
  const TerminationReport& report = preview.report;
  if (report.invalidEntries.empty() && report.gaveUpEntries.empty()) return text;
  text += L"\r\n";
  if (!report.invalidEntries.empty()) text += texts::kPreviewInvalidRows + RowList(report.invalidEntries);
  if (!report.invalidEntries.empty() && !report.gaveUpEntries.empty()) text += L"、";
  if (!report.gaveUpEntries.empty()) text += texts::kPreviewGaveUpRows + RowList(report.gaveUpEntries);
  return text;
}

}  // namespace nagitome
