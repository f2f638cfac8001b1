#include "ui/main_dialog.h"

#include <shellapi.h>

#include <string>

#include "engine/run_warning.h"
#include "engine/win32/win32_desktop.h"
#include "resource.h"
#include "tasks/document.h"
#include "tasks/message.h"
#include "tasks/task_file.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"
#include "ui/about_dialog.h"
#include "ui/dpi.h"
#include "ui/file_dialogs.h"
#include "ui/list_view.h"
#include "ui/shell.h"

namespace nagitome {

namespace {

HINSTANCE g_instance = nullptr;
MainDialogServices g_services;
bool g_aboutDialogActive = false;

constexpr int kPathUnits = 1024;

bool StartWithRecentChecked(HWND dialog) {
  return IsDlgButtonChecked(dialog, IDC_START_RECENT) == BST_CHECKED;
}

void HandleDroppedFiles(HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  if (count >= 2) {
    DragFinish(drop);
    ShowMessage(texts::kTooManyDropped, MessageIcon::Information);
    return;
  }
  wchar_t path[kPathUnits] = {};
  DragQueryFileW(drop, 0, path, kPathUnits);
  DragFinish(drop);
  LoadTaskListFile(path);
  RefreshTaskListView();
}

void RunCommand() {
  const TerminationReport report = RunTermination();
  const std::wstring message = RunWarningMessage(TheTaskList(), report);
  if (!message.empty()) ShowMessage(message, MessageIcon::Warning);
}

void OpenAboutDialog(HWND dialog) {
  g_aboutDialogActive = true;
  DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_ABOUT), dialog, AboutDialogProc, 0);
  g_aboutDialogActive = false;
}

// The command table; false for identifiers that have no entry.
bool OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDC_FILE_NEW: NewTaskListCommand(); return true;
    case IDC_FILE_OPEN: ShowOpenDialog(); RefreshTaskListView(); return true;
    case IDC_FILE_SAVE:
      if (CurrentFilePath().empty()) ShowSaveAsDialog();
      else SaveTaskListFile(CurrentFilePath());
      return true;
    case IDC_FILE_SAVE_AS: ShowSaveAsDialog(); return true;
    case IDC_RUN: RunCommand(); return true;
    case IDC_ENTRY_NEW: InsertBlankEntryCommand(); return true;
    case IDC_ENTRY_DELETE: DeleteEntryCommand(); return true;
    case IDC_ENTRY_UP: MoveEntryUpCommand(); return true;
    case IDC_ENTRY_DOWN: MoveEntryDownCommand(); return true;
    case IDC_METHOD_WILDCARD: EnableWindow(GetDlgItem(dialog, IDC_METHOD_CASE), FALSE); return true;
    case IDC_METHOD_REGEX: EnableWindow(GetDlgItem(dialog, IDC_METHOD_CASE), TRUE); return true;
    case IDC_ENTRY_UPDATE: StoreEntryEditor(); return true;
    case IDC_START_RECENT: g_services.writeSettings(StartWithRecentChecked(dialog)); return true;
    case IDC_README: ShellOpen(dialog, g_services.readmePath()); return true;
    case IDC_ABOUT: OpenAboutDialog(dialog); return true;
    default: return false;
  }
}

void OnInitDialog(HWND dialog) {
  const auto icon = static_cast<HICON>(
      LoadImageW(g_instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0, 0, LR_SHARED));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SetMainWindow(dialog);
  auto view = std::make_unique<ListViewWrapper>();
  view->CreateTaskListView(dialog, g_instance);
  SetTaskListView(std::move(view));
  CheckDlgButton(dialog, IDC_START_RECENT, g_services.readSettings() ? BST_CHECKED : BST_UNCHECKED);
  g_services.interpretCommandLine();
  DragAcceptFiles(dialog, TRUE);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      if (g_aboutDialogActive) return TRUE;
      return OnCommand(dialog, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_TASK_LIST_VIEW || header->code != LVN_ITEMCHANGING) return FALSE;
      OnTaskListItemChanging(*reinterpret_cast<const NMLISTVIEW*>(lParam));
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, FALSE);  // never vetoed
      return TRUE;
    }
    case WM_CLOSE:
      g_services.writeSettings(StartWithRecentChecked(dialog));
      EndDialog(dialog, 0);
      return TRUE;
    case WM_DROPFILES:
      HandleDroppedFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_DPICHANGED:
      PostMessageW(dialog, kDpiChangeDone, LOWORD(wParam), 0);
      return FALSE;  // the dialog manager moves and scales the template's controls
    case kDpiChangeDone:
      if (ListViewWrapper* view = TaskListView()) view->FollowDpi(static_cast<UINT>(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool AboutDialogActive() { return g_aboutDialogActive; }

void NewTaskListCommand() {
  TheTaskList().NewTaskList();
  RefreshTaskListView();
  CurrentFilePath().clear();
  UpdateWindowTitle();
}

INT_PTR RunMainDialog(HINSTANCE instance, const MainDialogServices& services) {
  g_instance = instance;
  g_services = services;
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
  SetTaskListView(nullptr);
  SetMainWindow(nullptr);
  return result;
}

}  // namespace nagitome
