// The About dialog: the keys that end it, the link's hover and click, the main dialog locked
// while it runs, sizes that follow the DPI, and the GDI objects it creates and deletes.
#include <cstdlib>
#include <thread>
#include <tuple>

#include "dialog_harness.h"
#include "ui/about_dialog.h"
#include "version.h"

namespace nagitome::uitest {
namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0);

GUITHREADINFO GuiThreadOf(HWND window) {  // GetCapture and GetFocus answer for the caller only
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info;
}

class AboutDialogTest : public DialogTest {
 protected:
  void OpenAbout() {
    PostClick(1023);  // its handler returns only when the About dialog has ended
    ASSERT_NE(about_ = WaitForDialogWindow(L"バージョン情報"), nullptr) << "the About dialog did not open";
    Send(about_, WM_NULL);  // its own loop runs
  }
  void CloseAbout() {
    Send(about_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(about_, IDOK)));
    ASSERT_TRUE(WaitForWindowGone(about_)) << "the About dialog stayed open";
    Sync();
  }
  HWND Link() const { return GetDlgItem(about_, 300); }
  HFONT DialogFont() { return reinterpret_cast<HFONT>(Send(about_, WM_GETFONT)); }
  HFONT LinkFont() { return reinterpret_cast<HFONT>(Send(Link(), WM_GETFONT)); }
  POINT MiddleOf(HWND window) const {  // in the link's client coordinates
    RECT rect{};
    GetClientRect(window, &rect);
    POINT at{rect.right / 2, rect.bottom / 2};
    MapWindowPoints(window, Link(), &at, 1);
    return at;
  }
  void MoveMouse(POINT at) { Send(Link(), WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y))); }
  std::tuple<HBRUSH, COLORREF, int> LinkColours() {  // as the link's painting asks for them
    HDC dc = CreateCompatibleDC(nullptr);
    const LRESULT brush = Send(about_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Link()));
    const std::tuple<HBRUSH, COLORREF, int> colours{reinterpret_cast<HBRUSH>(brush), GetTextColor(dc), GetBkMode(dc)};
    DeleteDC(dc);
    return colours;
  }
  void ExpectLook(bool hover) {
    const auto [brush, text, mode] = LinkColours();
    EXPECT_EQ(text, hover ? kRed : kBlue);
    EXPECT_TRUE(!hover || mode == TRANSPARENT);
    EXPECT_EQ(GuiThreadOf(about_).hwndCapture, hover ? Link() : nullptr);
    EXPECT_EQ(LinkFont() != DialogFont(), hover);
    LOGFONTW link{}, normal{};
    ASSERT_TRUE(GetObjectW(LinkFont(), sizeof link, &link) && GetObjectW(DialogFont(), sizeof normal, &normal));
    EXPECT_EQ(link.lfUnderline != 0, hover);
    EXPECT_EQ(link.lfHeight, normal.lfHeight);
    EXPECT_EQ(std::wstring(link.lfFaceName), std::wstring(normal.lfFaceName));
  }

  HWND about_ = nullptr;
};

TEST_F(AboutDialogTest, LinkTurnsRedWhileThePointerIsOverIt) {
  StartDialog();
  OpenAbout();
  ExpectLook(false);
  RECT link{};
  GetClientRect(Link(), &link);
  const HWND ok = GetDlgItem(about_, IDOK);
  const POINT middle = MiddleOf(Link());
  MoveMouse(middle);  // the underlined font and the brush exist while the dialog does
  const HFONT underlined = LinkFont();
  const HBRUSH brush = std::get<0>(LinkColours());
  EXPECT_EQ(GetObjectType(underlined), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  // Out past each edge, then onto the OK button; every hover starts over.
  for (const POINT out : {POINT{-1, middle.y}, POINT{middle.x, -1}, POINT{link.right, middle.y},
                          POINT{middle.x, link.bottom}, MiddleOf(ok)}) {
    SCOPED_TRACE(testing::Message() << "out at " << out.x << "," << out.y);
    MoveMouse(middle);
    ExpectLook(true);
    MoveMouse({1, 1});  // still inside: nothing changes
    ExpectLook(true);
    MoveMouse(out);
    ExpectLook(false);
  }
  Send(ok, BM_CLICK);  // not held up by the link's capture
  EXPECT_TRUE(WaitForWindowGone(about_));
  EXPECT_EQ(GetObjectType(underlined), 0u) << "underlined font left behind";
  EXPECT_EQ(GetObjectType(brush), 0u) << "background brush left behind";
}

TEST_F(AboutDialogTest, ClickingTheLinkOpensTheHomePageAndKeepsTheDialogAndItsOwnerLocked) {
  StartDialog();
  OpenAbout();
  EXPECT_EQ(GetWindow(about_, GW_OWNER), Dialog());
  EXPECT_EQ(WindowText(Link()), std::wstring(L"URL : ") + NAGITOME_HOME_PAGE);
  MoveMouse(MiddleOf(Link()));
  Send(about_, WM_COMMAND, MAKEWPARAM(300, STN_CLICKED), reinterpret_cast<LPARAM>(Link()));
  Send(about_, WM_COMMAND, MAKEWPARAM(300, STN_DBLCLK), reinterpret_cast<LPARAM>(Link()));  // does nothing
  ExpectLook(false);
  EXPECT_TRUE(IsWindowVisible(about_));
  Send(Dialog(), WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED));  // the main dialog ignores its commands meanwhile
  Send(Dialog(), WM_COMMAND, MAKEWPARAM(1022, BN_CLICKED));
  EXPECT_EQ(ShellCalls(), (std::vector<ShellCall>{{nullptr, NAGITOME_HOME_PAGE}}));
  EXPECT_EQ(TheTaskList().Count(), 1);
  CloseAbout();
  Click(1006);
  EXPECT_EQ(ListView_GetItemCount(View()), 2);
}

struct EndCase {
  const char* name;
  UINT message;  // WM_KEYDOWN is posted as a key press; others are sent
  WPARAM wParam;
  bool ends;
};

class AboutEndTest : public DialogTest, public ::testing::WithParamInterface<EndCase> {};

// Run on a thread of its own, so that the dialog's result can be seen.
TEST_P(AboutEndTest, EndsWithOneOnlyOnOkEnterAndClose) {
  const EndCase& c = GetParam();
  std::atomic<INT_PTR> result{-2};
  std::jthread runner([&] {
    result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101), nullptr, AboutDialogProc, 0);
  });
  const HWND about = WaitForDialogWindow(L"バージョン情報");
  ASSERT_NE(about, nullptr) << "the About dialog did not open";
  Send(about, WM_NULL);
  if (c.message == WM_KEYDOWN) {  // through the dialog's own loop, as a key press arrives
    const HWND focus = GuiThreadOf(about).hwndFocus ? GuiThreadOf(about).hwndFocus : about;
    PostMessageW(focus, WM_KEYDOWN, c.wParam, 1);
    PostMessageW(focus, WM_KEYUP, c.wParam, 0xC0000001);
  } else {
    Send(about, c.message, c.wParam);
  }
  if (!c.ends) {
    Sleep(100);
    Send(about, WM_NULL);
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_EQ(result.load(), -2);
    Send(about, WM_CLOSE);
  }
  EXPECT_TRUE(WaitForWindowGone(about));
  runner.join();
  EXPECT_EQ(result.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, AboutEndTest,
                         ::testing::Values(EndCase{"EnterKey", WM_KEYDOWN, VK_RETURN, true},
                                           EndCase{"CloseButton", WM_CLOSE, 0, true},
                                           EndCase{"EscapeKey", WM_KEYDOWN, VK_ESCAPE, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Run at 96 DPI with the others, and by ui_test_144dpi in a prefix set to 144 DPI.
TEST_F(AboutDialogTest, SizesOfOurOwnFollowTheDpi) {
  const char* wanted = std::getenv("NAGITOME_TEST_DPI");
  const int dpi = wanted ? std::atoi(wanted) : 96;
  const HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSX), dpi) << "the prefix runs at another DPI";
  ReleaseDC(nullptr, screen);
  StartDialog();
  const auto expectLayout = [&](int scaled) {  // at dpi * scaled / 96
    RECT view{}, placeholder{};
    GetWindowRect(View(), &view);
    GetWindowRect(Item(1005), &placeholder);
    EXPECT_TRUE(EqualRect(&view, &placeholder));
    EXPECT_FALSE(IsWindowVisible(Item(1005)));
    EXPECT_EQ(Send(View(), WM_GETFONT), Send(Dialog(), WM_GETFONT));  // sized for the DPI like the rest
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ListView_GetColumnWidth(View(), i), (i == 3 ? 500 : 100) * scaled / 96);
  };
  expectLayout(dpi);
  // On a screen of twice the DPI the dialog manager moves the placeholder; the view follows.
  RECT window{};
  GetWindowRect(Dialog(), &window);
  SetWindowPos(Item(1005), nullptr, 10, 20, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  Send(Dialog(), WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&window));
  EXPECT_TRUE(WaitUntil([&] { return ListView_GetColumnWidth(View(), 3) == 1000 * dpi / 96; }));
  expectLayout(2 * dpi);

  OpenAbout();
  const auto pictureSize = [&] {
    ICONINFO info{};
    BITMAP bitmap{};
    GetIconInfo(reinterpret_cast<HICON>(Send(GetDlgItem(about_, 301), STM_GETICON)), &info);
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
  };
  EXPECT_EQ(pictureSize(), 128 * dpi / 96);
  GetWindowRect(about_, &window);
  Send(about_, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&window));
  EXPECT_TRUE(WaitUntil([&] { return pictureSize() == 256 * dpi / 96; }));
  CloseAbout();
}

}  // namespace
}  // namespace nagitome::uitest
