#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "engine/win32/win32_desktop.h"
#include "resource.h"
#include "tasks/document.h"
#include "tasks/message.h"
#include "tasks/task_file.h"
#include "tasks/texts.h"
#include "ui/list_view.h"
#include "ui/main_dialog.h"

namespace nagitome {

namespace {

HWND Dialog() { return static_cast<HWND>(MainWindow()); }

// After a bad command line the editor still shows the blank entry, as New would, so that
// nothing acts on an editor that was never loaded.
void ReportBadCommandLine(const wchar_t* message) {
  ShowError(message);
  RefreshTaskListView();
}

}  // namespace

void InterpretCommandLine() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  if (argv) {
    arguments.assign(argv, argv + count);
    LocalFree(argv);
  }
  InterpretArguments(arguments);
}

void InterpretArguments(const std::vector<std::wstring>& arguments) {
  if (arguments.size() <= 1) {
    const bool startWithRecent = IsDlgButtonChecked(Dialog(), IDC_START_RECENT) == BST_CHECKED;
    if (startWithRecent && !RecentFilePath().empty()) {
      LoadTaskListFile(RecentFilePath());
      RefreshTaskListView();
    } else {
      NewTaskListCommand();
    }
    return;
  }
  if (arguments.size() == 2) {
    if (!PathFileExistsW(arguments[1].c_str())) return ReportBadCommandLine(texts::kBadCommandLinePath);
    LoadTaskListFile(arguments[1]);
    RefreshTaskListView();
    return;
  }
  if (CompareStringOrdinal(arguments[1].c_str(), -1, L"/e", -1, TRUE) != CSTR_EQUAL) {
    return ReportBadCommandLine(texts::kBadCommandLine);
  }
  if (!PathFileExistsW(arguments[2].c_str())) return ReportBadCommandLine(texts::kBadCommandLinePath);
  LoadTaskListFile(arguments[2]);
  RunTermination();
  EndDialog(Dialog(), 0);
}

}  // namespace nagitome
