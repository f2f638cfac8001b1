#include "ui/about_dialog.h"

#include <commctrl.h>

#include "resource.h"
#include "ui/dialog_proc.h"
#include "ui/dpi.h"
#include "ui/shell.h"
#include "version.h"
#include "win32/handle.h"

namespace nagitome {

namespace {

constexpr COLORREF kLinkBlue = RGB(0, 0, 255);   // 0xFF0000
constexpr COLORREF kLinkRed = RGB(255, 0, 0);    // 0x0000FF
constexpr int kPictureSize = 128;                 // at 96 DPI

struct IconTraits {
  using Type = HICON;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { DestroyIcon(h); }
};

// The dialog's own state, alive while ShowAboutDialog runs.
struct AboutDialog {
  HWND link = nullptr;
  UniqueGdiObject<HBRUSH> linkBackground;
  HFONT normalFont = nullptr;  // the dialog's own font: borrowed, never deleted here
  UniqueGdiObject<HFONT> underlinedFont;
  COLORREF linkColor = kLinkBlue;
  UniqueHandle<IconTraits> picture;
};

void ResetLink(AboutDialog& d) {
  d.linkColor = kLinkBlue;
  SendMessageW(d.link, WM_SETFONT, reinterpret_cast<WPARAM>(d.normalFont), TRUE);
  ReleaseCapture();
}

LRESULT CALLBACK LinkSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data) {
  AboutDialog& d = *reinterpret_cast<AboutDialog*>(data);
  switch (message) {
    case WM_MOUSEMOVE: {
      // Capture keeps mouse moves coming once the pointer leaves, so the link can turn back.
      if (!GetCapture()) {
        d.linkColor = kLinkRed;
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(d.underlinedFont.get()), TRUE);
        SetCapture(window);
      }
      RECT client{};
      GetClientRect(window, &client);
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (!PtInRect(&client, at)) ResetLink(d);
      break;
    }
    case WM_SETCURSOR:
      // The hand over the link alone: the class cursor is every static control's in the process.
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, LinkSubclassProc, id);
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

// The picture drawn from the size nearest the DPI's in the icon, not stretched from 128 pixels.
void ShowPicture(AboutDialog& d, HWND dialog, UINT dpi) {
  const int size = ScaleToDpi(kPictureSize, dpi);
  UniqueHandle<IconTraits> picture(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ABOUT_PICTURE), IMAGE_ICON, size, size, 0)));
  if (!picture) return;
  SendDlgItemMessageW(dialog, IDC_ABOUT_PICTURE, STM_SETICON, reinterpret_cast<WPARAM>(picture.get()), 0);
  d.picture = std::move(picture);
}

// The underlined font follows the dialog's font, which the dialog manager sizes for the DPI.
void MakeLinkFonts(AboutDialog& d, HWND dialog) {
  d.normalFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW font{};
  GetObjectW(d.normalFont, sizeof font, &font);
  font.lfUnderline = TRUE;
  d.underlinedFont.reset(CreateFontIndirectW(&font));
}

void OnInitDialog(AboutDialog& d, HWND dialog) {
  const auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                                  IMAGE_ICON, 0, 0, LR_SHARED));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  d.link = GetDlgItem(dialog, IDC_ABOUT_LINK);
  d.linkBackground.reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  MakeLinkFonts(d, dialog);
  ShowPicture(d, dialog, WindowDpi(dialog));
  SetWindowSubclass(d.link, LinkSubclassProc, 0, reinterpret_cast<DWORD_PTR>(&d));
}

INT_PTR HandleMessage(AboutDialog& d, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(d, dialog);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != d.link) return FALSE;
      SetTextColor(reinterpret_cast<HDC>(wParam), d.linkColor);
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(d.linkBackground.get());
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          EndDialog(dialog, 1);
          return TRUE;
        case IDC_ABOUT_LINK:
          if (HIWORD(wParam) == STN_CLICKED) {
            ResetLink(d);
            ShellOpen(nullptr, NAGITOME_HOME_PAGE);
          }
          return TRUE;
        default:
          return FALSE;  // Esc (IDCANCEL) does not close this dialog
      }
    case WM_CLOSE:
      EndDialog(dialog, 1);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE) ResetLink(d);
      return FALSE;
    case WM_DPICHANGED:
      PostMessageW(dialog, kDpiChangeDone, LOWORD(wParam), 0);
      return FALSE;  // the dialog manager moves and scales the template's controls and font
    case kDpiChangeDone:
      MakeLinkFonts(d, dialog);
      ResetLink(d);
      ShowPicture(d, dialog, static_cast<UINT>(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutDialog(HINSTANCE instance, HWND owner) {
  AboutDialog dialog;
  RunDialog<AboutDialog, HandleMessage>(instance, IDD_ABOUT, owner, dialog);
}

}  // namespace nagitome
