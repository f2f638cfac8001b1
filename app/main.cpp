// Nagitome: ends unwanted windows and processes by rules kept in a task list.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/command_line.h"
#include "app/preview_command.h"
#include "app/settings.h"
#include "app/watcher.h"
#include "tasks/task_list.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"

namespace {

// Ready before the entry point: the task list with its blank entry, then the paths.
const bool g_initialized = [] {
  nagitome::TheTaskList();
  nagitome::InitializePaths();
  return true;
}();

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // "/p" previews without ever creating a window, and asks nothing of the shell: no COM for it.
  if (const std::optional<int> code = nagitome::RunPreviewCommandLine()) return *code;
  if (const std::optional<int> code = nagitome::RunWatchCommandLine(instance)) return *code;
  if (const std::optional<int> code = nagitome::UnseenEditorExitCode()) return *code;
  // Before the first window: COM in this thread's apartment, as ShellExecuteW (Readme, the home
  // page, taskkill) asks, and the list view's class.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  nagitome::SetMessageSink(&nagitome::ShowMessageBox);
  nagitome::MainDialogServices services;
  services.readSettings = &nagitome::ReadSettings;
  services.writeSettings = [](bool startWithRecent) { nagitome::WriteSettings(startWithRecent); };
  services.interpretCommandLine = [](bool startWithRecent) {
    nagitome::InterpretCommandLine(
        startWithRecent, {&nagitome::RefreshTaskListView, &nagitome::NewTaskListCommand, &nagitome::EndMainDialog});
  };
  services.run = &nagitome::RunTaskList;
  services.readmePath = &nagitome::ReadmePath;
  nagitome::RunMainDialog(instance, services);
  if (SUCCEEDED(com)) CoUninitialize();
  return nagitome::CommandLineExitCode();
}
