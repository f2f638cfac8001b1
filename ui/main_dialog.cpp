#include "ui/main_dialog.h"

#include <shellapi.h>
#include <windowsx.h>

#include <string>

#include "engine/preview.h"
#include "engine/run_warning.h"
#include "engine/win32/win32_desktop.h"
#include "resource.h"
#include "tasks/document.h"
#include "tasks/file_store.h"
#include "tasks/task_file.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"
#include "ui/about_dialog.h"
#include "ui/dialog_proc.h"
#include "ui/dpi.h"
#include "ui/file_dialogs.h"
#include "ui/list_view.h"
#include "ui/message_box.h"
#include "ui/preview_dialog.h"
#include "ui/shell.h"

namespace nagitome {

namespace {

// The dialog's own state, alive while RunMainDialog runs.
struct MainDialog {
  HINSTANCE instance = nullptr;
  MainDialogServices services;
  bool ownedDialogOpen = false;  // About or the preview runs over us: commands are ignored meanwhile
  bool running = false;          // a run waits for its outcomes: the dialog only repaints meanwhile
  ListViewWrapper view;
};

// The task list view of the running dialog; null when there is none.
ListViewWrapper* TaskListView() {
  MainDialog* dialog = DialogState<MainDialog>(MainWindow());
  return dialog && dialog->view.Handle() ? &dialog->view : nullptr;
}

bool IsChecked(int id) { return IsDlgButtonChecked(MainWindow(), id) == BST_CHECKED; }

void LoadEntryEditor() {
  const TaskList& list = TheTaskList();
  if (!list.HasSelection()) return;
  const TaskEntry& entry = list.At(list.SelectedIndex());
  const EditorState state = EditorStateOf(entry);
  SetDlgItemTextW(MainWindow(), IDC_KEYWORD, entry.Keyword.c_str());
  for (int i = 0; i < static_cast<int>(state.checks.size()); ++i) {
    if (kFirstEditorButton + i != IDC_KEYWORD) {
      CheckDlgButton(MainWindow(), kFirstEditorButton + i, state.checks[i] ? BST_CHECKED : BST_UNCHECKED);
    }
  }
  EnableWindow(GetDlgItem(MainWindow(), IDC_METHOD_CASE), state.caseEnabled);
}

// What Update would store, edits not yet applied included.
TaskEntry EntryInEditor() {
  EditorChecks checks{};
  for (int i = 0; i < static_cast<int>(checks.size()); ++i) checks[i] = IsChecked(kFirstEditorButton + i);
  wchar_t keyword[kTextBufferUnits] = {};
  GetDlgItemTextW(MainWindow(), IDC_KEYWORD, keyword, kTextBufferUnits);
  return EntryOfEditor(checks, keyword);
}

// The list view's LVN_ITEMCHANGING: a newly selected row becomes the edited entry.
void OnTaskListItemChanging(const NMLISTVIEW& change) {
  if (!(change.uChanged & LVIF_STATE) || !(change.uNewState & LVIS_SELECTED)) return;
  if (TheTaskList().SelectEntry(change.iItem)) LoadEntryEditor();
}

void RunEntryCommand(ListViewWrapper& view, EntryCommand command) {
  if (command != EntryCommand::Update && !view.Handle()) return;
  TaskList& list = TheTaskList();
  const TaskEntry edited = command == EntryCommand::Update ? EntryInEditor() : TaskEntry{};
  const RowChange change = ApplyEntryCommand(list, command, edited);
  if (change.removed != kNoRow) view.DeleteRow(change.removed);
  if (change.inserted != kNoRow) view.InsertRow(change.inserted, RowTextsOf(list.At(change.inserted)));
  if (change.selected != kNoRow) view.SelectRow(change.selected);
}

void HandleDroppedFiles(HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  if (count >= 2) {
    DragFinish(drop);
    ShowMessage(texts::kTooManyDropped, MessageIcon::Information);
    return;
  }
  // The whole path, however long: the load refuses what the document cannot name, rather than
  // opening a cut path that may be another file.
  std::wstring path(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
  path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
  DragFinish(drop);
  LoadTaskListFile(path);
  RefreshTaskListView();
}

// The run waits for its outcomes with the dialog alive: the button off and the wait cursor on.
void RunCommand(MainDialog& d, HWND dialog) {
  const HWND button = GetDlgItem(dialog, IDC_RUN);
  const bool hadFocus = GetFocus() == button;
  d.running = true;
  EnableWindow(button, FALSE);
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const RunResult result = d.services.run();
  d.running = false;
  EnableWindow(button, TRUE);
  if (hadFocus) SetFocus(button);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  const std::wstring message = RunWarningMessage(TheTaskList(), result.report, result.left);
  if (!message.empty()) ShowMessage(message, MessageIcon::Warning);
}

void OpenAboutDialog(MainDialog& d, HWND dialog) {
  d.ownedDialogOpen = true;
  ShowAboutDialog(d.instance, dialog);
  d.ownedDialogOpen = false;
}

// The edited entry alone, at its own row (the rows before it are blank, so they do nothing),
// or the whole list in memory.
void PreviewCommand(MainDialog& d, HWND dialog, bool editedEntryOnly) {
  static Win32Desktop desktop;
  TaskList edited;
  if (editedEntryOnly) {
    std::vector<TaskEntry> entries;
    if (TheTaskList().HasSelection()) {
      entries.resize(static_cast<std::size_t>(TheTaskList().SelectedIndex()));
      entries.push_back(EntryInEditor());
    }
    edited.ReplaceEntries(std::move(entries));
  }
  const Plan preview = PreviewTermination(editedEntryOnly ? edited : TheTaskList(), desktop);
  // Set only around the dialog: a preview that failed must not leave the commands ignored.
  d.ownedDialogOpen = true;
  ShowPreviewDialog(d.instance, dialog, preview);
  d.ownedDialogOpen = false;
}

// Whether the list in memory is what its file holds: a watcher reads the file, not the editor.
bool SavedAndUnchanged() {
  std::string bytes;
  const std::wstring& path = CurrentFilePath();
  if (path.empty() || ActiveFileStore().ReadAll(path, bytes) != ReadStatus::Ok) return false;
  DecodedTaskList decoded = DecodeTaskList(bytes);
  TaskList saved;
  saved.ReplaceEntries(std::move(decoded.entries));
  return decoded.accepted && saved.Entries() == TheTaskList().Entries();
}

// "Nagitome.exe /w LIST" as a process of its own, once the list is saved; a Save As cancelled or
// a save that failed (and said so) starts nothing.
void WatchCommand() {
  if (!SavedAndUnchanged()) {
    if (CurrentFilePath().empty()) ShowSaveAsDialog();
    else SaveTaskListFile(CurrentFilePath());
    if (!SavedAndUnchanged()) return;
  }
  std::wstring exe(kTextBufferUnits, L'\0');
  exe.resize(GetModuleFileNameW(nullptr, exe.data(), kTextBufferUnits));
  std::wstring command = L"\"" + exe + L"\" /w \"" + CurrentFilePath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
  }
}

// At the pointer, or for the keyboard (position -1) under the selected row.
void ShowTaskListMenu(HWND dialog, HWND view, LPARAM position) {
  POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (position == -1) {
    RECT row{};
    const int selected = ListView_GetNextItem(view, -1, LVNI_SELECTED);
    at = {0, 0};
    if (selected >= 0 && ListView_GetItemRect(view, selected, &row, LVIR_LABEL)) at = {row.left, row.bottom};
    ClientToScreen(view, &at);
  }
  const HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, IDM_PREVIEW_EDITED, texts::kPreviewEditedEntry);
  AppendMenuW(menu, MF_STRING, IDM_PREVIEW_ALL, texts::kPreviewAllEntries);
  AppendMenuW(menu, MF_STRING, IDM_WATCH_LIST, texts::kWatchThisList);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, dialog, nullptr);
  DestroyMenu(menu);
}

// The command table; false for identifiers that have no entry.
bool OnCommand(MainDialog& d, HWND dialog, int id) {
  switch (id) {
    case IDC_FILE_NEW: NewTaskListCommand(); return true;
    case IDC_FILE_OPEN: ShowOpenDialog(); RefreshTaskListView(); return true;
    case IDC_FILE_SAVE:
      if (CurrentFilePath().empty()) ShowSaveAsDialog();
      else SaveTaskListFile(CurrentFilePath());
      return true;
    case IDC_FILE_SAVE_AS: ShowSaveAsDialog(); return true;
    case IDC_RUN: RunCommand(d, dialog); return true;
    case IDC_ENTRY_NEW: RunEntryCommand(d.view, EntryCommand::Insert); return true;
    case IDC_ENTRY_DELETE: RunEntryCommand(d.view, EntryCommand::Delete); return true;
    case IDC_ENTRY_UP: RunEntryCommand(d.view, EntryCommand::Up); return true;
    case IDC_ENTRY_DOWN: RunEntryCommand(d.view, EntryCommand::Down); return true;
    case IDC_METHOD_WILDCARD: EnableWindow(GetDlgItem(dialog, IDC_METHOD_CASE), FALSE); return true;
    case IDC_METHOD_REGEX: EnableWindow(GetDlgItem(dialog, IDC_METHOD_CASE), TRUE); return true;
    case IDC_ENTRY_UPDATE: RunEntryCommand(d.view, EntryCommand::Update); return true;
    case IDC_START_RECENT: d.services.writeSettings(IsChecked(IDC_START_RECENT)); return true;
    case IDC_README: ShellOpen(dialog, d.services.readmePath()); return true;
    case IDC_ABOUT: OpenAboutDialog(d, dialog); return true;
    case IDM_PREVIEW_EDITED: PreviewCommand(d, dialog, true); return true;
    case IDM_PREVIEW_ALL: PreviewCommand(d, dialog, false); return true;
    case IDM_WATCH_LIST: WatchCommand(); return true;
    default: return false;
  }
}

void OnInitDialog(MainDialog& d, HWND dialog) {
  const auto icon = static_cast<HICON>(
      LoadImageW(d.instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0, 0, LR_SHARED));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SetMainWindow(dialog);
  SetTitleSink([dialog](std::wstring_view title) { SetWindowTextW(dialog, std::wstring(title).c_str()); });
  d.view.CreateTaskListView(dialog, d.instance);
  // What an entry can hold: a longer paste is cut where the user sees it, not later by Update.
  SendDlgItemMessageW(dialog, IDC_KEYWORD, EM_LIMITTEXT, kMaxTextUnits, 0);
  CheckDlgButton(dialog, IDC_START_RECENT, d.services.readSettings() ? BST_CHECKED : BST_UNCHECKED);
  d.services.interpretCommandLine(IsChecked(IDC_START_RECENT));
  DragAcceptFiles(dialog, TRUE);
}

INT_PTR HandleMessage(MainDialog& d, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(d, dialog);
      return TRUE;
    case WM_COMMAND:
      if (d.ownedDialogOpen || d.running) return TRUE;
      return OnCommand(d, dialog, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_TASK_LIST_VIEW || header->code != LVN_ITEMCHANGING) return FALSE;
      OnTaskListItemChanging(*reinterpret_cast<const NMLISTVIEW*>(lParam));
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, FALSE);  // never vetoed
      return TRUE;
    }
    case WM_CONTEXTMENU:
      if (d.running || reinterpret_cast<HWND>(wParam) != GetDlgItem(dialog, IDC_TASK_LIST_VIEW)) return FALSE;
      ShowTaskListMenu(dialog, reinterpret_cast<HWND>(wParam), lParam);
      return TRUE;
    case WM_CLOSE:
      // Never shown ("/e", whose wait may pass a close to us on): no settings of a session to keep.
      if (IsWindowVisible(dialog)) d.services.writeSettings(IsChecked(IDC_START_RECENT));
      EndDialog(dialog, 0);
      return TRUE;
    case WM_DROPFILES:
      if (d.running) DragFinish(reinterpret_cast<HDROP>(wParam));
      else HandleDroppedFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_SETCURSOR:
      if (!d.running) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_DPICHANGED:
      PostMessageW(dialog, kDpiChangeDone, LOWORD(wParam), 0);
      return FALSE;  // the dialog manager moves and scales the template's controls
    case kDpiChangeDone:
      d.view.FollowDpi(static_cast<UINT>(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void RefreshTaskListView() {
  TaskList& list = TheTaskList();
  ListViewWrapper* view = TaskListView();
  if (view) {
    // One repaint for the whole list instead of one per row.
    SendMessageW(view->Handle(), WM_SETREDRAW, FALSE, 0);
    view->DeleteAllRows();
    SendMessageW(view->Handle(), LVM_SETITEMCOUNT, list.Count(), 0);
    for (int i = 0; i < list.Count(); ++i) view->InsertRow(i, RowTextsOf(list.At(i)));
    SendMessageW(view->Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view->Handle(), nullptr, TRUE);
  }
  list.ResetSelection();
  if (view) view->SelectRow(0);
}

void EndMainDialog(long long result) { EndDialog(MainWindow(), result); }

void NewTaskListCommand() {
  TheTaskList().NewTaskList();
  RefreshTaskListView();
  CurrentFilePath().clear();
  UpdateWindowTitle();
}

INT_PTR RunMainDialog(HINSTANCE instance, const MainDialogServices& services) {
  MainDialog dialog{instance, services, false, false, {}};
  const INT_PTR result = RunDialog<MainDialog, HandleMessage>(instance, IDD_MAIN, nullptr, dialog);
  SetTitleSink({});
  SetMainWindow(nullptr);
  return result;
}

}  // namespace nagitome
