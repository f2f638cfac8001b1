#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "app/start_form.h"
#include "engine/win32/win32_desktop.h"
#include "tasks/document.h"
#include "tasks/message.h"
#include "tasks/task_file.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"

namespace nagitome {

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

TerminationReport RunTaskList() {
  static Win32Desktop desktop;
  return RunTermination(TheTaskList(), desktop);
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
      LoadTaskListFile(form.list);
      RunTaskList();
      return hooks.endDialog(0);
    // After a bad command line the editor still shows the blank entry, as New would, so that
    // nothing acts on an editor that was never loaded.
    case StartAction::BadPath:
      ShowError(texts::kBadCommandLinePath);
      return hooks.refreshView();
    case StartAction::Preview:  // handled before the dialog exists
    case StartAction::BadArguments:
      ShowError(texts::kBadCommandLine);
      return hooks.refreshView();
  }
}

}  // namespace nagitome
