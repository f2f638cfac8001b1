#include "ui/preview_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "resource.h"
#include "tasks/texts.h"
#include "ui/list_view.h"

namespace nagitome {

namespace {

constexpr const wchar_t* kColumns[] = {texts::kPreviewColumnRow,     texts::kPreviewColumnEnd,
                                       texts::kPreviewColumnTarget,  texts::kPreviewColumnText,
                                       texts::kPreviewColumnProcess, texts::kPreviewColumnPid};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

// The template's size is the smallest; the list takes what the dialog gains, the summary and
// the button keep their distance from the bottom and right edges.
struct Layout {
  SIZE minimum{};
  RECT list{}, summary{}, button{};  // client coordinates in the template's size
  SIZE client{};
};

RECT ChildRect(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
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
    const std::wstring cells[] = {std::to_wstring(action.entryIndex + 1), std::wstring(action.protectedProcess ? texts::kPreviewProtected : EndMethodText(action.endMethod)),
                                  std::wstring(MatchTargetText(action.matchTarget)), std::wstring(action.matchedText),
                                  std::wstring(action.processName), std::to_wstring(action.processId)};
    InsertListRow(view, row++, cells);
  }
  // Wide enough for the header and the widest cell, measured in the view's font so at any DPI;
  // the last column also takes the rest of the view. A header is given room of its own, since
  // some systems measure a CJK header narrower than it draws.
  for (int i = 0; i < kColumnCount; ++i) {
    const LRESULT header = SendMessageW(view, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(kColumns[i])) +
                           SendMessageW(view, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"MMM"));
    SendMessageW(view, LVM_SETCOLUMNWIDTH, i, LVSCW_AUTOSIZE);
    const LRESULT widest = std::max(header, SendMessageW(view, LVM_GETCOLUMNWIDTH, i, 0));
    SendMessageW(view, LVM_SETCOLUMNWIDTH, i, LVSCW_AUTOSIZE_USEHEADER);
    if (SendMessageW(view, LVM_GETCOLUMNWIDTH, i, 0) < widest) SendMessageW(view, LVM_SETCOLUMNWIDTH, i, widest);
  }
  SendMessageW(view, WM_SETREDRAW, TRUE, 0);
}

void OnInitDialog(HWND dialog, const Plan& preview) {
  auto* layout = new Layout;
  RECT window{}, client{};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  layout->minimum = {window.right - window.left, window.bottom - window.top};
  layout->client = {client.right, client.bottom};
  layout->list = ChildRect(dialog, IDC_PREVIEW_LIST);
  layout->summary = ChildRect(dialog, IDC_PREVIEW_SUMMARY);
  layout->button = ChildRect(dialog, IDCANCEL);
  SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(layout));
  FillList(GetDlgItem(dialog, IDC_PREVIEW_LIST), preview);
  SetDlgItemTextW(dialog, IDC_PREVIEW_SUMMARY, PreviewSummary(preview).c_str());
}

void OnSize(HWND dialog, int width, int height) {
  const auto* layout = reinterpret_cast<const Layout*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (!layout) return;
  const int dx = width - layout->client.cx, dy = height - layout->client.cy;
  const auto place = [&](int id, const RECT& r, bool grow, bool moveRight) {
    const int x = r.left + (moveRight ? dx : 0), y = r.top + dy * !grow;
    const int w = r.right - r.left + dx * (grow || !moveRight), h = r.bottom - r.top + dy * grow;
    SetWindowPos(GetDlgItem(dialog, id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(IDC_PREVIEW_LIST, layout->list, true, false);
  place(IDC_PREVIEW_SUMMARY, layout->summary, false, false);
  place(IDCANCEL, layout->button, false, true);
  InvalidateRect(dialog, nullptr, TRUE);
}

// No exception crosses into the system.
INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) try {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, *reinterpret_cast<const Plan*>(lParam));
      return TRUE;
    case WM_SIZE:
      OnSize(dialog, LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_GETMINMAXINFO:
      if (const auto* layout = reinterpret_cast<const Layout*>(GetWindowLongPtrW(dialog, GWLP_USERDATA))) {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {layout->minimum.cx, layout->minimum.cy};
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      delete reinterpret_cast<Layout*>(SetWindowLongPtrW(dialog, GWLP_USERDATA, 0));
      return TRUE;
    default:
      return FALSE;
  }
} catch (...) {
  return FALSE;
}

}  // namespace

void ShowPreviewDialog(HINSTANCE instance, HWND owner, const Plan& preview) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PREVIEW), owner, PreviewDialogProc,
                  reinterpret_cast<LPARAM>(&preview));
}

}  // namespace nagitome
