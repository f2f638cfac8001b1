#include "ui/preview_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "resource.h"
#include "tasks/texts.h"
#include "ui/dialog_proc.h"
#include "ui/dpi.h"
#include "ui/list_view.h"
#include "ui/preview_layout.h"

namespace nagitome {

namespace {

constexpr const wchar_t* kColumns[] = {texts::kPreviewColumnRow,     texts::kPreviewColumnEnd,
                                       texts::kPreviewColumnTarget,  texts::kPreviewColumnText,
                                       texts::kPreviewColumnProcess, texts::kPreviewColumnPid};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

// The dialog's own state, alive while ShowPreviewDialog runs.
struct PreviewDialog {
  const Plan& preview;
  PreviewLayout template96;  // as the dialog manager laid the template out, in 96-DPI lengths
  UINT dpi = kBaseDpi;
};

LayoutBox ChildBox(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void Place(HWND dialog, int id, const LayoutBox& box) {
  SetWindowPos(GetDlgItem(dialog, id), nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Wide enough for the header and the widest cell, measured in the view's font so at any DPI;
// the last column also takes the rest of the view. A header is given room of its own, since
// some systems measure a CJK header narrower than it draws.
void FitColumns(HWND view) {
  for (int i = 0; i < kColumnCount; ++i) {
    const LRESULT header = SendMessageW(view, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(kColumns[i])) +
                           SendMessageW(view, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"MMM"));
    SendMessageW(view, LVM_SETCOLUMNWIDTH, i, LVSCW_AUTOSIZE);
    const LRESULT widest = std::max(header, SendMessageW(view, LVM_GETCOLUMNWIDTH, i, 0));
    SendMessageW(view, LVM_SETCOLUMNWIDTH, i, LVSCW_AUTOSIZE_USEHEADER);
    if (SendMessageW(view, LVM_GETCOLUMNWIDTH, i, 0) < widest) SendMessageW(view, LVM_SETCOLUMNWIDTH, i, widest);
  }
}

void FillList(HWND view, const Plan& preview) {
  SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int i = 0; i < kColumnCount; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = i == kColumnCount - 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;  // the first column is always left
    column.pszText = const_cast<wchar_t*>(kColumns[i]);
    column.iSubItem = i;
    SendMessageW(view, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  SendMessageW(view, WM_SETREDRAW, FALSE, 0);
  SendMessageW(view, LVM_SETITEMCOUNT, preview.actions.size(), 0);
  int row = 0;
  for (const TerminationAction& action : preview.actions) {
    const std::wstring_view end = action.protectedProcess ? texts::kPreviewProtected : EndMethodText(action.endMethod);
    const std::wstring cells[] = {std::to_wstring(action.entryIndex + 1), std::wstring(end),
                                  std::wstring(MatchTargetText(action.matchTarget)), std::wstring(action.matchedText),
                                  std::wstring(action.processName), std::to_wstring(action.processId)};
    InsertListRow(view, row++, cells);
  }
  FitColumns(view);
  SendMessageW(view, WM_SETREDRAW, TRUE, 0);
}

void OnInitDialog(PreviewDialog& d, HWND dialog) {
  d.dpi = WindowDpi(dialog);
  RECT client{};
  GetClientRect(dialog, &client);
  const PreviewLayout measured{client.right, client.bottom, ChildBox(dialog, IDC_PREVIEW_LIST),
                               ChildBox(dialog, IDC_PREVIEW_SUMMARY), ChildBox(dialog, IDCANCEL)};
  d.template96 = ScaleLayout(measured, d.dpi, kBaseDpi);
  FillList(GetDlgItem(dialog, IDC_PREVIEW_LIST), d.preview);
  SetDlgItemTextW(dialog, IDC_PREVIEW_SUMMARY, PreviewSummary(d.preview).c_str());
}

void OnSize(const PreviewDialog& d, HWND dialog) {
  RECT client{};
  GetClientRect(dialog, &client);
  const PreviewLayout fitted = FitPreviewLayout(d.template96, client.right, client.bottom, d.dpi);
  Place(dialog, IDC_PREVIEW_LIST, fitted.list);
  Place(dialog, IDC_PREVIEW_SUMMARY, fitted.summary);
  Place(dialog, IDCANCEL, fitted.button);
  InvalidateRect(dialog, nullptr, TRUE);
}

// The template's client area at this DPI is the least, in the frame the window has now.
POINT MinimumSize(const PreviewDialog& d, HWND dialog) {
  const PreviewLayout least = ScaleLayout(d.template96, kBaseDpi, d.dpi);
  RECT window{}, client{};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  return {least.width + (window.right - window.left) - client.right,
          least.height + (window.bottom - window.top) - client.bottom};
}

INT_PTR HandleMessage(PreviewDialog& d, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(d, dialog);
      return TRUE;
    case WM_SIZE:
      OnSize(d, dialog);
      return TRUE;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = MinimumSize(d, dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    case WM_DPICHANGED:
      d.dpi = LOWORD(wParam);  // before the dialog manager resizes us to the new DPI
      PostMessageW(dialog, kDpiChangeDone, LOWORD(wParam), 0);
      return FALSE;  // the dialog manager moves and scales the dialog, its controls and font
    case kDpiChangeDone:
      OnSize(d, dialog);
      FitColumns(GetDlgItem(dialog, IDC_PREVIEW_LIST));  // in the view's font for the new DPI
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowPreviewDialog(HINSTANCE instance, HWND owner, const Plan& preview) {
  PreviewDialog dialog{preview, {}, kBaseDpi};
  RunDialog<PreviewDialog, HandleMessage>(instance, IDD_PREVIEW, owner, dialog);
}

}  // namespace nagitome
