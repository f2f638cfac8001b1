#include "ui/list_view.h"

#include "resource.h"
#include "tasks/message.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"
#include "ui/dpi.h"

namespace nagitome {

namespace {

std::unique_ptr<ListViewWrapper> g_view;

constexpr int kTextUnits = 1024;

constexpr const wchar_t* kHeaders[] = {texts::kColumnEndMethod, texts::kColumnTarget, texts::kColumnMethod,
                                       texts::kColumnKeyword};
constexpr int kColumnWidths[] = {100, 100, 100, 500};  // at 96 DPI

HWND Dialog() { return static_cast<HWND>(MainWindow()); }

RowTexts TextsOf(const TaskEntry& entry) {
  return {EndMethodText(entry.EndMethod), MatchTargetText(entry.MatchTarget),
          MatchMethodText(entry.MatchMethod), entry.Keyword};
}

bool IsChecked(int id) { return IsDlgButtonChecked(Dialog(), id) == BST_CHECKED; }
void SetChecked(int id, bool checked) {
  CheckDlgButton(Dialog(), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

// Index of the first checked radio of a group, 0 when none is (an editor never loaded).
std::uint32_t CheckedIndex(int first, int count) {
  for (int i = 0; i < count; ++i) {
    if (IsChecked(first + i)) return static_cast<std::uint32_t>(i);
  }
  return 0;
}

}  // namespace

ListViewWrapper* TaskListView() { return g_view.get(); }
void SetTaskListView(std::unique_ptr<ListViewWrapper> view) { g_view = std::move(view); }

bool ListViewWrapper::CreateTaskListView(HWND dialog, HINSTANCE instance) {
  view_ = CreateWindowExW(0, WC_LISTVIEWW, nullptr,
                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                          0, 0, 0, 0, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TASK_LIST_VIEW)),
                          instance, nullptr);
  if (!view_) {
    ShowError(texts::kListViewFailed);
    return false;
  }
  const LRESULT extended = SendMessageW(view_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  SendMessageW(view_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.pszText = const_cast<wchar_t*>(kHeaders[i]);
    column.iSubItem = i;
    SendMessageW(view_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  FollowDpi(WindowDpi(dialog));
  return true;
}

void ListViewWrapper::FollowDpi(UINT dpi) {
  if (!view_) return;
  const HWND dialog = GetParent(view_);
  PlaceOver(view_, GetDlgItem(dialog, IDC_LIST_PLACEHOLDER));
  // The dialog's font, which the dialog manager sizes for the DPI: the system's default font for
  // the view is sized for the primary screen only.
  SendMessageW(view_, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
  SetColumnWidths(view_, kColumnWidths, dpi);
}

int ListViewWrapper::RowCount() const {
  return view_ ? static_cast<int>(SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

RowTexts ListViewWrapper::GetRowTexts(int row) const {
  RowTexts texts;
  if (!view_) return texts;
  for (int i = 0; i < 4; ++i) {
    wchar_t buffer[kTextUnits] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = i;
    item.pszText = buffer;
    item.cchTextMax = kTextUnits;
    SendMessageW(view_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    texts[i] = buffer;
  }
  return texts;
}

void ListViewWrapper::InsertRow(int row, const RowTexts& texts) {
  if (!view_) return;
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(texts[0].c_str());
  const int at = static_cast<int>(SendMessageW(view_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (int i = 1; i < 4; ++i) {
    item.iItem = at;
    item.iSubItem = i;
    item.pszText = const_cast<wchar_t*>(texts[i].c_str());
    SendMessageW(view_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void ListViewWrapper::DeleteRow(int row) {
  if (view_) SendMessageW(view_, LVM_DELETEITEM, row, 0);
}

void ListViewWrapper::MoveRow(int from, int to) {
  const RowTexts texts = GetRowTexts(from);
  DeleteRow(from);
  InsertRow(to, texts);
}

void ListViewWrapper::SelectRow(int row) {
  if (!view_) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  SendMessageW(view_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  SendMessageW(view_, LVM_ENSUREVISIBLE, row, FALSE);  // the edited row stays in sight
}

void ListViewWrapper::DeleteAllRows() {
  if (view_) SendMessageW(view_, LVM_DELETEALLITEMS, 0, 0);
}

void RefreshTaskListView() {
  TaskList& list = TheTaskList();
  if (ListViewWrapper* view = TaskListView(); view && view->Handle()) {
    // One repaint for the whole list instead of one per row.
    SendMessageW(view->Handle(), WM_SETREDRAW, FALSE, 0);
    view->DeleteAllRows();
    SendMessageW(view->Handle(), LVM_SETITEMCOUNT, list.Count(), 0);
    for (int i = 0; i < list.Count(); ++i) view->InsertRow(i, TextsOf(list.At(i)));
    SendMessageW(view->Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view->Handle(), nullptr, TRUE);
  }
  list.ResetSelection();
  if (ListViewWrapper* view = TaskListView()) view->SelectRow(0);
}

void LoadEntryEditor() {
  const TaskList& list = TheTaskList();
  if (!list.HasSelection()) return;
  const TaskEntry& entry = list.At(list.SelectedIndex());
  SetDlgItemTextW(Dialog(), IDC_KEYWORD, entry.Keyword.c_str());
  for (std::uint32_t i = 0; i <= kEndMethodMax; ++i) {
    SetChecked(IDC_END_CLOSE + static_cast<int>(i), i == static_cast<std::uint32_t>(entry.EndMethod));
  }
  for (std::uint32_t i = 0; i <= kMatchTargetMax; ++i) {
    SetChecked(IDC_TARGET_TITLE + static_cast<int>(i), i == static_cast<std::uint32_t>(entry.MatchTarget));
  }
  const bool regex = entry.MatchMethod != MatchMethod::Wildcard;
  SetChecked(IDC_METHOD_WILDCARD, !regex);
  SetChecked(IDC_METHOD_REGEX, regex);
  EnableWindow(GetDlgItem(Dialog(), IDC_METHOD_CASE), regex);
  SetChecked(IDC_METHOD_CASE, entry.MatchMethod == MatchMethod::RegexCaseSensitive);
}

TaskEntry EntryInEditor() {
  wchar_t keyword[kTextUnits] = {};
  GetDlgItemTextW(Dialog(), IDC_KEYWORD, keyword, kTextUnits);
  MatchMethod method = MatchMethod::Wildcard;
  if (!IsChecked(IDC_METHOD_WILDCARD) && IsChecked(IDC_METHOD_REGEX)) {
    method = IsChecked(IDC_METHOD_CASE) ? MatchMethod::RegexCaseSensitive : MatchMethod::RegexIgnoreCase;
  }
  return {EndMethodFromNumber(CheckedIndex(IDC_END_CLOSE, 2)), MatchTargetFromNumber(CheckedIndex(IDC_TARGET_TITLE, 4)),
          method, keyword};
}

void StoreEntryEditor() {
  TaskList& list = TheTaskList();
  if (!list.HasSelection()) return;
  TaskEntry entry = EntryInEditor();
  const int row = list.UpdateSelectedEntry(entry.EndMethod, entry.MatchTarget, entry.MatchMethod,
                                           std::move(entry.Keyword));
  if (ListViewWrapper* view = TaskListView()) {
    view->DeleteRow(row);
    view->InsertRow(row, TextsOf(list.At(row)));
    view->SelectRow(row);
  }
}

void OnTaskListItemChanging(const NMLISTVIEW& change) {
  if (!(change.uChanged & LVIF_STATE) || !(change.uNewState & LVIS_SELECTED)) return;
  if (TheTaskList().SelectEntry(change.iItem)) LoadEntryEditor();
}

void InsertBlankEntryCommand() {
  ListViewWrapper* view = TaskListView();
  if (!view || !view->Handle()) return;
  const int row = TheTaskList().InsertBlankEntry();
  if (row == kNoRow) return;
  view->InsertRow(row, TextsOf(MakeBlankEntry()));
  view->SelectRow(row);
}

void DeleteEntryCommand() {
  ListViewWrapper* view = TaskListView();
  if (!view || !view->Handle()) return;
  const int deleted = TheTaskList().SelectedIndex();
  const int row = TheTaskList().DeleteSelectedEntry();
  if (row == kNoRow) return;
  view->DeleteRow(deleted);
  view->SelectRow(row);
}

namespace {
template <typename Move>
void MoveEntryCommand(Move move) {
  ListViewWrapper* view = TaskListView();
  if (!view || !view->Handle()) return;
  const int from = TheTaskList().SelectedIndex();
  const int row = (TheTaskList().*move)();
  if (row == kNoRow) return;
  view->MoveRow(from, row);
  view->SelectRow(row);
}
}  // namespace

void MoveEntryUpCommand() { MoveEntryCommand(&TaskList::MoveSelectedEntryUp); }
void MoveEntryDownCommand() { MoveEntryCommand(&TaskList::MoveSelectedEntryDown); }

}  // namespace nagitome
