#include "ui/about_dialog.h"

#include "resource.h"
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

HWND g_linkStatic = nullptr;
WNDPROC g_linkOriginalProc = nullptr;
UniqueGdiObject<HBRUSH> g_linkBackgroundBrush;
HFONT g_linkNormalFont = nullptr;  // the dialog's own font: borrowed, never deleted here
UniqueGdiObject<HFONT> g_linkUnderlinedFont;
COLORREF g_linkColor = kLinkBlue;
UniqueHandle<IconTraits> g_picture;

void ResetLink() {
  g_linkColor = kLinkBlue;
  SendMessageW(g_linkStatic, WM_SETFONT, reinterpret_cast<WPARAM>(g_linkNormalFont), TRUE);
  ReleaseCapture();
}

LRESULT CALLBACK LinkSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) {
    // Capture keeps mouse moves coming once the pointer leaves, so the link can turn back.
    if (!GetCapture()) {
      g_linkColor = kLinkRed;
      SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_linkUnderlinedFont.get()), TRUE);
      SetCapture(window);
    }
    RECT client{};
    GetClientRect(window, &client);
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (!PtInRect(&client, at)) ResetLink();
  }
  return CallWindowProcW(g_linkOriginalProc, window, message, wParam, lParam);
}

// The picture drawn from the size nearest the DPI's in the icon, not stretched from 128 pixels.
void ShowPicture(HWND dialog, UINT dpi) {
  const int size = ScaleToDpi(kPictureSize, dpi);
  UniqueHandle<IconTraits> picture(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ABOUT_PICTURE), IMAGE_ICON, size, size, 0)));
  if (!picture) return;
  SendDlgItemMessageW(dialog, IDC_ABOUT_PICTURE, STM_SETICON, reinterpret_cast<WPARAM>(picture.get()), 0);
  g_picture = std::move(picture);
}

// The underlined font follows the dialog's font, which the dialog manager sizes for the DPI.
void MakeLinkFonts(HWND dialog) {
  g_linkNormalFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW font{};
  GetObjectW(g_linkNormalFont, sizeof font, &font);
  font.lfUnderline = TRUE;
  g_linkUnderlinedFont.reset(CreateFontIndirectW(&font));
}

void OnInitDialog(HWND dialog) {
  const auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                                  IMAGE_ICON, 0, 0, LR_SHARED));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  g_linkStatic = GetDlgItem(dialog, IDC_ABOUT_LINK);
  g_linkBackgroundBrush.reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  MakeLinkFonts(dialog);
  ShowPicture(dialog, WindowDpi(dialog));
  g_linkOriginalProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g_linkStatic, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LinkSubclassProc)));
  const auto hand = static_cast<HCURSOR>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  SetClassLongPtrW(g_linkStatic, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(hand));
  g_linkColor = kLinkBlue;
}

void OnDestroy() {
  SetWindowLongPtrW(g_linkStatic, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_linkOriginalProc));
  g_linkBackgroundBrush.reset();
  g_linkUnderlinedFont.reset();
  g_picture.reset();
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != g_linkStatic) return FALSE;
      SetTextColor(reinterpret_cast<HDC>(wParam), g_linkColor);
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(g_linkBackgroundBrush.get());
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          EndDialog(dialog, 1);
          return TRUE;
        case IDC_ABOUT_LINK:
          if (HIWORD(wParam) == STN_CLICKED) {
            ResetLink();
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
      if (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE) ResetLink();
      return FALSE;
    case WM_DPICHANGED:
      PostMessageW(dialog, kDpiChangeDone, LOWORD(wParam), 0);
      return FALSE;  // the dialog manager moves and scales the template's controls and font
    case kDpiChangeDone:
      MakeLinkFonts(dialog);
      ResetLink();
      ShowPicture(dialog, static_cast<UINT>(wParam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

// No exception crosses into the system.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleMessage(dialog, message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace nagitome
