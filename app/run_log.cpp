#include "app/run_log.h"

#include <cstdio>
#include <cstdlib>

#include "engine/report_text.h"
#include "tasks/utf8.h"

namespace nagitome {

std::string FormatLogTime(const LogTime& t) {
  const int offset = std::abs(t.offsetMinutes);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.milliseconds, t.offsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return text;
}

std::string LogLineBytes(const LogTime& time, std::wstring_view fields) {
  return FormatLogTime(time) + "\t" + ToUtf8(fields) + "\r\n";
}

std::wstring LogStartLine(std::wstring_view listPath, std::wstring_view version, std::uint32_t processId) {
  return L"start\t" + EscapeReportText(listPath) + L"\t" + std::wstring(version) + L"\tpid " +
         std::to_wstring(processId);
}

namespace {

// The action's target as both its lines name it (the window, or the process id), then its row.
std::wstring TargetAndRow(const TerminationAction& action) {
  const std::wstring target = action.endMethod == EndMethod::CloseWindow ? L"0x" + HandleHex(action.window)
                                                                         : std::to_wstring(action.processId);
  return target + L"\t" + std::to_wstring(action.entryIndex + 1);
}

}  // namespace

std::wstring LogActionLine(const TerminationAction& action) {
  const wchar_t* kind = action.endMethod == EndMethod::CloseWindow ? L"close\t" : L"taskkill\t";
  return kind + TargetAndRow(action) + L"\t" + EscapeReportText(action.processName) + L"\t" +
         EscapeReportText(action.matchedText);
}

std::wstring LogOutcomeLine(const TerminationAction& action, std::wstring_view outcome,
                            std::optional<std::uint32_t> exitCode) {
  std::wstring line = L"outcome\t" + TargetAndRow(action) + L"\t" + std::wstring(outcome);
  if (exitCode) line += L"\t" + std::to_wstring(*exitCode);
  return line;
}

std::wstring LogEntryLine(bool cutShort, int entryIndex, std::wstring_view keyword) {
  return std::wstring(cutShort ? L"cut short\t" : L"rejected\t") + std::to_wstring(entryIndex + 1) + L"\t" +
         EscapeReportText(keyword);
}

std::wstring LogBadOptionLine(std::wstring_view option) { return L"bad option\t" + EscapeReportText(option); }

std::wstring LogNotLoadedLine(std::wstring_view message) { return L"not loaded\t" + EscapeReportText(message); }

std::wstring LogEndLine(const RunCounts& c, int exitCode) {
  std::wstring line = L"end\tcloses " + std::to_wstring(c.closes) + L"\tkills " + std::to_wstring(c.kills) +
                     L"\trejected " + std::to_wstring(c.rejected) + L"\tcut short " + std::to_wstring(c.cutShort);
  for (int i = 0; i < kOutcomeCount; ++i) {
    if (c.outcomes[i] == 0) continue;
    line += L"\t" + std::wstring(OutcomeWord(static_cast<Outcome>(i))) + L" " + std::to_wstring(c.outcomes[i]);
  }
  return line + L"\texit " + std::to_wstring(exitCode);
}

}  // namespace nagitome
