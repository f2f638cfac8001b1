#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "app/run_log.h"
#include "app/run_log_file.h"
#include "app/start_form.h"
#include "app/window_station.h"
#include "engine/outcome.h"
#include "engine/run_warning.h"
#include "engine/win32/win32_desktop.h"
#include "tasks/document.h"
#include "tasks/file_store.h"
#include "tasks/message.h"
#include "tasks/task_file.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"
#include "version.h"

namespace nagitome {

namespace {

int g_exitCode = 0;
constexpr std::int64_t kInteractiveWaitMs = 5000;

// After a bad command line the editor still shows the blank entry, as New would, so that
// nothing acts on an editor that was never loaded.
void ReportBadCommandLine(const wchar_t* message, const StartHooks& hooks) {
  ShowError(message);
  hooks.refreshView();
}

// "/e LIST [/log FILE] [/wait N] [/force N]": the exit code of RunExitCode.
void RunUnattended(const StartForm& form, const StartHooks& hooks) {
  const bool visible = WindowStationVisible();
  // Nobody could dismiss a box on an invisible station: the task would hang until it is killed.
  if (!visible) SetMessageSink([](std::wstring_view, MessageIcon) {});
  const std::wstring& listPath = form.list;
  // The list is read before the log is opened, and its message held until the log has it: a log
  // open on the list's own file would keep it from being read.
  const bool exists = PathFileExistsW(listPath.c_str()) != FALSE;
  const bool badOption = !form.badOption.empty();
  std::wstring failure = badOption ? texts::kBadCommandLine : exists ? L"" : texts::kBadCommandLinePath;
  if (failure.empty()) {
    MessageSink shown = SetMessageSink([&](std::wstring_view text, MessageIcon) { failure = text; });
    LoadTaskListFile(listPath);
    SetMessageSink(std::move(shown));
  }
  // "/log" without a file asks for a log that cannot be written; a log on the list would
  // destroy it, so the run goes on without one.
  const bool logOnList = form.logAsked && exists && SameFile(form.log, listPath);
  RunLogFile log = form.logAsked ? RunLogFile(logOnList ? L"" : form.log) : RunLogFile();
  const std::wstring fullPath = FullPathName(listPath);
  log.Write(LogStartLine(fullPath.empty() ? listPath : fullPath, L"" NAGITOME_VERSION_STRING, GetCurrentProcessId()));

  if (!failure.empty()) {
    g_exitCode = RunExitCode(true, false, false, false);
    log.Write(badOption ? LogBadOptionLine(form.badOption) : LogNotLoadedLine(failure), false);
    log.Write(LogEndLine({}, g_exitCode));
    if (!visible) return hooks.endDialog(g_exitCode);
    if (badOption) {  // an unattended run asked for: nothing runs, and no editor is left open
      ShowError(failure);
      return hooks.endDialog(g_exitCode);
    }
    if (!exists) return ReportBadCommandLine(texts::kBadCommandLinePath, hooks);  // the editor opens; exit 2 after it
    ShowError(failure);
    return hooks.endDialog(g_exitCode);
  }

  RunCounts counts;
  Win32Desktop desktop;
  const RunOptions options{form.logAsked, form.log, form.waitSeconds, form.forceSeconds, form.badOption};
  const OutcomeTimes times = TimesOf(options);
  const Plan plan = PreviewTermination(TheTaskList(), desktop);
  Outcomes outcomes = CarryOut(plan, desktop, times, [&](const TerminationAction& action) {
    // A close takes effect only after the run, but a taskkill may end this very process: what
    // was done so far is on disk before one starts.
    const bool close = action.endMethod == EndMethod::CloseWindow;
    if (!action.protectedProcess) ++(close ? counts.closes : counts.kills);
    log.Write(LogActionLine(action), !close);
  });
  log.Flush();
  AwaitOutcomes(outcomes, desktop);
  bool targetLeft = false;
  for (std::size_t i = 0; i < plan.actions.size(); ++i) {
    const ActionOutcome& result = outcomes.Results()[i];
    log.Write(LogOutcomeLine(plan.actions[i], OutcomeWord(result.outcome), result.exitCode), false);
    ++counts.outcomes[static_cast<int>(result.outcome)];
    targetLeft = targetLeft || LeftRunning(result.outcome);
  }
  const TerminationReport& report = plan.report;
  for (const int i : report.invalidEntries) log.Write(LogEntryLine(false, i, TheTaskList().At(i).Keyword), false);
  for (const int i : report.gaveUpEntries) log.Write(LogEntryLine(true, i, TheTaskList().At(i).Keyword), false);
  counts.rejected = static_cast<int>(report.invalidEntries.size());
  counts.cutShort = static_cast<int>(report.gaveUpEntries.size());
  const bool entryFailed = counts.rejected + counts.cutShort > 0;
  g_exitCode = RunExitCode(false, entryFailed, targetLeft, log.Failed());
  log.Write(LogEndLine(counts, g_exitCode));
  g_exitCode = RunExitCode(false, entryFailed, targetLeft, log.Failed());  // the end line itself may not get through
  hooks.endDialog(g_exitCode);
}

}  // namespace

std::vector<std::wstring> CommandLineArguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  if (argv) {
    arguments.assign(argv, argv + count);
    LocalFree(argv);
  }
  return arguments;
}

void InterpretCommandLine(bool startWithRecent, const StartHooks& hooks) {
  InterpretArguments(CommandLineArguments(), startWithRecent, hooks);
}

RunResult RunTaskList() {
  static Win32Desktop desktop;
  const Plan plan = PreviewTermination(TheTaskList(), desktop);
  Outcomes outcomes = CarryOut(plan, desktop, {kInteractiveWaitMs, std::nullopt});
  AwaitOutcomes(outcomes, desktop);
  return {plan.report, LeftTargets(plan, outcomes)};
}

void InterpretArguments(const std::vector<std::wstring>& arguments, bool startWithRecent, const StartHooks& hooks) {
  const StartForm form = ReadStartForm(arguments, startWithRecent, RecentFilePath(),
                                       [](const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; });
  switch (form.action) {
    case StartAction::New:
      return hooks.newTaskList();
    case StartAction::Open:
      LoadTaskListFile(form.list);
      return hooks.refreshView();
    case StartAction::Run:
      return RunUnattended(form, hooks);
    case StartAction::BadPath:
      return ReportBadCommandLine(texts::kBadCommandLinePath, hooks);
    case StartAction::Preview:  // handled before the dialog exists
    case StartAction::Watch:
    case StartAction::Stop:
    case StartAction::BadArguments:
      return ReportBadCommandLine(texts::kBadCommandLine, hooks);
  }
}

int CommandLineExitCode() { return g_exitCode; }

std::optional<int> UnseenEditorExitCode() {
  const StartForm form = ReadStartForm(CommandLineArguments(), false, {}, [](const std::wstring&) { return true; });
  const bool editor = form.action != StartAction::Run && form.action != StartAction::Preview;
  if (editor && !WindowStationVisible()) return 2;
  return std::nullopt;
}

}  // namespace nagitome
