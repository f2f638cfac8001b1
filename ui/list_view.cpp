#include "ui/list_view.h"

#include "resource.h"
#include "tasks/message.h"
#include "tasks/texts.h"
#include "ui/dpi.h"

namespace nagitome {

namespace {

constexpr const wchar_t* kHeaders[] = {texts::kColumnEndMethod, texts::kColumnTarget, texts::kColumnMethod,
                                       texts::kColumnKeyword};
constexpr int kColumnWidths[] = {100, 100, 100, 500};  // at 96 DPI

}  // namespace

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

void InsertListRow(HWND view, int row, std::span<const std::wstring> cells) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(cells[0].c_str());
  const int at = static_cast<int>(SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (std::size_t i = 1; i < cells.size(); ++i) {
    item.iItem = at;
    item.iSubItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(cells[i].c_str());
    SendMessageW(view, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void ListViewWrapper::InsertRow(int row, const RowTexts& texts) {
  if (view_) InsertListRow(view_, row, texts);
}

void ListViewWrapper::DeleteRow(int row) {
  if (view_) SendMessageW(view_, LVM_DELETEITEM, row, 0);
}

void ListViewWrapper::SelectRow(int row) {
  if (!view_) return;
  LVITEMW item{};
  // Focused too, so the arrow keys go on from this row rather than from where the focus was.
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(view_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  // The edited row stays in sight: on Windows the focus alone does not scroll (Wine's does).
  SendMessageW(view_, LVM_ENSUREVISIBLE, row, FALSE);
}

void ListViewWrapper::DeleteAllRows() {
  if (view_) SendMessageW(view_, LVM_DELETEALLITEMS, 0, 0);
}

}  // namespace nagitome
