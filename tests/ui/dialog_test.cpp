// The real dialogs as only a real desktop shows them (what they decide is tested on the host), driven
// from the test thread: a message sent to a dialog's thread returns once handled, so the model can be read then.
#include "probe_client.h"  // first: it brings <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/command_line.h"
#include "app/settings.h"
#include "tasks/document.h"
#include "tasks/message.h"
#include "tasks/task_file_format.h"
#include "ui/about_dialog.h"
#include "ui/editor_model.h"
#include "ui/main_dialog.h"
#include "ui/shell.h"
#include "version.h"

namespace nagitome::uitest {
namespace {

using namespace testing_support;
using E = EndMethod; using T = MatchTarget; using M = MatchMethod;
using Log = std::vector<std::wstring>;  // the message boxes and shell opens, in order

std::wstring Box(MessageIcon icon, std::wstring_view text) { return std::to_wstring(int(icon)) + L" box: " + std::wstring(text); }
const std::vector<TaskEntry> kThree = {{.Keyword = L"alpha"}, {E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"ベータ"},
                                       {E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L"(["}};

// A visible dialog of this process (other tests may run beside us) by its title, any for null.
HWND WaitForDialog(const wchar_t* title) {
  HWND found = nullptr;
  const auto ours = [&] {
    DWORD process = 0;
    GetWindowThreadProcessId(found, &process);
    return process == GetCurrentProcessId() && IsWindowVisible(found);
  };
  WaitUntil([&] { while ((found = FindWindowExW(nullptr, found, L"#32770", title)) && !ours()) {} return found != nullptr; });
  return found;
}
bool WaitForWindowGone(HWND window) { return WaitUntil([=] { return !IsWindow(window); }); }
RECT RectOf(HWND window) { RECT r{}; GetWindowRect(window, &r); return r; }
std::pair<int, int> SizeOf(HWND window) { const RECT r = RectOf(window); return {r.right - r.left, r.bottom - r.top}; }
template <std::size_t N> std::vector<std::array<std::wstring, N>> RowsOf(HWND list) {  // a report view's texts
  std::vector<std::array<std::wstring, N>> rows(static_cast<std::size_t>(ListView_GetItemCount(list)));
  wchar_t text[1024];
  for (std::size_t cell = 0; cell < rows.size() * N; ++cell) {
    ListView_GetItemText(list, cell / N, cell % N, text, 1024);
    rows[cell / N][cell % N] = text;
  }
  return rows;
}

std::string Settings(const std::wstring& on, const std::wstring& recent) {  // the settings file as the program writes it
  return Utf16Le(L"[LATEST_FILE]\r\nENABLED=" + on + L"\r\nPATH=" + recent + L"\r\n");
}
std::wstring WriteList(const std::wstring& path, const std::vector<TaskEntry>& entries) {
  EXPECT_TRUE(WriteFileBytes(path, EncodeTaskList(entries)));
  return path;
}
std::vector<std::wstring> g_arguments;  // the dialog's services are plain function pointers
Log g_log;  // filled on the dialogs' threads, under g_logMutex
std::mutex g_logMutex;
void Record(std::wstring event) { std::lock_guard lock(g_logMutex); g_log.push_back(std::move(event)); }
Log TakeLog() { std::lock_guard lock(g_logMutex); return std::exchange(g_log, {}); }

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSink([](std::wstring_view text, MessageIcon icon) { Record(Box(icon, text)); });
    SetShellOpenHook([](void* owner, const std::wstring& target) { Record((owner ? L"main opens " : L"opens ") + target); });
    SetCursorPos(0, 0);  // keeps real mouse moves away from the dialogs
    SetSettingsPathForTesting(Dir() + L"user Nagitome.ini");
  }
  void TearDown() override { EXPECT_TRUE(CloseDialog()) << "the main dialog did not end"; }

  // On a thread of its own, with these arguments after argument 0; returns once it shows itself, initialised.
  void StartDialog(std::vector<std::wstring> arguments = {}) {
    g_arguments = std::move(arguments);
    g_arguments.insert(g_arguments.begin(), L"Nagitome.exe");
    thread_ = CreateThread(nullptr, 0, [](void*) -> DWORD {
      const auto interpret = [](bool recent) { InterpretArguments(g_arguments, recent, {&RefreshTaskListView, &NewTaskListCommand, &EndMainDialog}); };
      return RunMainDialog(GetModuleHandleW(nullptr), {&ReadSettings, [](bool on) { WriteSettings(on); }, interpret, &ReadmePath, &RunTaskList});
    }, nullptr, 0, nullptr);
    ASSERT_NE(dialog_ = WaitForDialog(nullptr), nullptr) << "the dialog did not start";
    Send(dialog_, WM_NULL);
  }
  bool CloseDialog() {  // true once the dialog's thread has ended; the program is then as before its entry point
    if (thread_) PostMessageW(dialog_, WM_CLOSE, 0, 0);
    if (thread_ && WaitForSingleObject(thread_, 10000) == WAIT_OBJECT_0) CloseHandle(std::exchange(thread_, nullptr));
    TheTaskList() = TaskList(), CurrentFilePath().clear(), RecentFilePath().clear();
    return !thread_;
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  HWND View() const { return Item(2000); }
  static LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(window, message, wParam, lParam); }
  void Click(std::initializer_list<int> ids) { for (const int id : ids) Send(Item(id), BM_CLICK); }
  void SetKeyword(const std::wstring& text) { Send(Item(1016), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }
  void SetRowSelected(int row, bool on) { ListView_SetItemState(View(), row, on ? LVIS_SELECTED : 0, LVIS_SELECTED); }

  TaskEntry EditorEntry() {  // what the editor shows, with 1019 enabled for a regex only
    EditorChecks checks{};
    for (int i = 0; i < 10; ++i) checks[i] = Send(Item(kFirstEditorButton + i), BM_GETCHECK) == BST_CHECKED;
    const TaskEntry entry = EntryOfEditor(checks, WindowText(Item(1016)));
    EXPECT_EQ(IsWindowEnabled(Item(1019)) != FALSE, entry.MatchMethod != M::Wildcard);
    return entry;
  }
  void ExpectViewMirrorsModel(bool editorReloaded = true) {  // a row per entry; the edited one selected and in the editor
    std::vector<RowTexts> expected;
    for (const TaskEntry& entry : TheTaskList().Entries()) expected.push_back(RowTextsOf(entry));
    EXPECT_EQ(RowsOf<4>(View()), expected);
    EXPECT_EQ(ListView_GetNextItem(View(), -1, LVNI_SELECTED), TheTaskList().SelectedIndex());
    if (editorReloaded) { EXPECT_EQ(EditorEntry(), TheTaskList().At(TheTaskList().SelectedIndex())); }
  }

  std::wstring Dir() const { return folder_.path() + L"\\"; }

  HWND Link() const { return GetDlgItem(about_, 300); }
  void MoveMouse(POINT at) { Send(Link(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y)); }
  void ExpectLinkLook(bool hover) {  // over it: red, underlined, the mouse captured; else blue in the dialog's font
    const HDC dc = CreateCompatibleDC(nullptr);  // the colour as the link's painting asks for it
    Send(about_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Link()));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    GUITHREADINFO thread{sizeof thread, 0, {}, {}, {}, {}, {}, {}, {}};  // GetCapture answers for the caller's thread only
    GetGUIThreadInfo(GetWindowThreadProcessId(about_, nullptr), &thread);
    LOGFONTW link{}, normal{};
    GetObjectW(reinterpret_cast<HFONT>(Send(Link(), WM_GETFONT)), sizeof link, &link);
    GetObjectW(reinterpret_cast<HFONT>(Send(about_, WM_GETFONT)), sizeof normal, &normal);
    EXPECT_EQ(std::tuple(colour, thread.hwndCapture, link.lfUnderline != 0, link.lfHeight, std::wstring(link.lfFaceName)),
              std::tuple(hover ? RGB(255, 0, 0) : RGB(0, 0, 255), hover ? Link() : nullptr, hover, normal.lfHeight, std::wstring(normal.lfFaceName)));
  }

  HWND dialog_ = nullptr, about_ = nullptr;  // the main and the About dialog
  HANDLE thread_ = nullptr;
  TempFolder folder_;
};

// Started from the recent list the settings name (any ENABLED but 0 asks for it), in a folder outside the ANSI code page.
TEST_F(DialogTest, EveryButtonOfTheMainDialogReachesItsCommand) {
  const std::wstring folder = Dir() + L"タスク\xD83D\xDE00\\", list = folder + L"リスト.txt";  // U+1F600
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) && WriteFileBytes(SettingsPath(), Settings(L"7", WriteList(list, kThree))));
  StartDialog();
  ASSERT_EQ(TheTaskList().Entries(), kThree) << "the recent list was not opened";  // else Save would wait for a name
  SetRowSelected(2, true);
  for (const int command : {1006, 1007, 1008, 1009}) {  // new, delete, up, down
    SetKeyword(L"draft");
    Click({command});
    ExpectViewMirrorsModel(command < 1008);  // a move leaves the editor as it is
  }
  EXPECT_EQ(TheTaskList().Entries(), kThree);

  // The editor; a click on an empty area takes the highlight away, the same row again keeps the edits.
  SetRowSelected(0, true);
  Click({1011, 1015, 1018, 1017});
  EXPECT_FALSE(IsWindowEnabled(Item(1019)));  // the wildcard radio disables the case box
  Click({1018, 1019});
  SetKeyword(L"changed ✓");
  SetRowSelected(0, false);
  SetRowSelected(0, true);
  EXPECT_EQ(EditorEntry(), (TaskEntry{E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"changed ✓"}));
  SetRowSelected(0, false);
  Click({1020});  // Update without a highlight writes the edited entry, and the view shows it
  ExpectViewMirrorsModel();
  SetRowSelected(1, true);  // another row reloads
  EXPECT_EQ(EditorEntry(), kThree[1]);

  Click({1002, 1004, 1022});  // save, run, readme
  EXPECT_EQ(ReadFileBytes(list), EncodeTaskList(TheTaskList().Entries()));
  EXPECT_EQ(TakeLog(), (Log{Box(MessageIcon::Warning, L"次のエントリは正規表現が不正なため、何も終了しませんでした。\n\n3 行目: (["),
                            L"main opens " + ExeDir() + L"Readme.txt"}));
  ASSERT_TRUE(DeleteFileW(SettingsPath().c_str()));
  for (const wchar_t* on : {L"0", L"1"}) {  // the check box writes the settings at once
    Click({1021});
    EXPECT_EQ(ReadFileBytes(SettingsPath()), Settings(on, list));
  }

  // A drop: two files are refused, a missing one reports the open failure and refreshes the view, a good one loads.
  const std::vector<TaskEntry> saved = TheTaskList().Entries(), other = {{E::Taskkill, T::WindowClass, M::RegexIgnoreCase, L"dropped"}};
  const std::wstring good = WriteList(Dir() + L"dropped.lst", other), gone = Dir() + L"gone.lst";
  const struct { std::wstring names; Log log; } drops[] = {  // each name ends with a NUL
      {good + L'\0' + list + L'\0', {Box(MessageIcon::Information, L"二つ以上のファイルをドラッグアンドドロップ出来ません。")}},
      {gone + L'\0', {Box(MessageIcon::Error, L"タスクリストファイルのオープンに失敗しました。\n\n" + gone)}},
      {good + L'\0', {}},
  };
  for (const auto& c : drops) {
    SetRowSelected(2, true);
    const auto files = static_cast<DROPFILES*>(GlobalAlloc(GPTR, sizeof(DROPFILES) + (c.names.size() + 1) * sizeof(wchar_t)));
    *files = {sizeof(DROPFILES), {}, FALSE, TRUE};  // fixed memory: the handle is the pointer
    std::copy(c.names.begin(), c.names.end(), reinterpret_cast<wchar_t*>(files + 1));
    Send(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(files));  // the dialog releases it
    EXPECT_EQ(TheTaskList().Entries(), c.log.empty() ? other : saved);
    EXPECT_EQ(TakeLog(), c.log);
    EXPECT_EQ(TheTaskList().SelectedIndex(), &c == &drops[0] ? 2 : 0);
    ExpectViewMirrorsModel();
  }

  for (int i = 0; i < 30; ++i) Click({1006});  // more rows than the view shows
  for (const int command : {1009, 1008}) {     // the edited row stays in sight through a run of moves
    for (int i = 0; i < 30; ++i) Click({command});
    const int row = TheTaskList().SelectedIndex(), top = ListView_GetTopIndex(View());
    EXPECT_TRUE(row == (command == 1009 ? 30 : 0) && top <= row && row < top + ListView_GetCountPerPage(View())) << row << " " << top;
  }

  Click({1000});  // New: Save on an untitled list asks for a name in the real common dialog, as Save As does
  for (const int command : {1002, 1003}) {
    PostMessageW(Item(command), BM_CLICK, 0, 0);  // returns when the file dialog ends
    const HWND dialog = WaitForDialog(L"タスクリストファイルに名前を付けて保存");
    ASSERT_NE(dialog, nullptr) << "no file dialog for " << command;
    const std::wstring name = L"night" + std::to_wstring(command);  // no extension: used as typed
    Send(GetDlgItem(dialog, cmb13), WM_SETTEXT, 0, reinterpret_cast<LPARAM>((Dir() + name).c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForWindowGone(dialog)) << "the file dialog stayed open";
    Send(dialog_, WM_NULL);  // the save is done
    EXPECT_EQ(ReadFileBytes(Dir() + name), Utf16Le(L"0\t0\t0\t\r\n"));
  }
  ASSERT_TRUE(DeleteFileW(SettingsPath().c_str()) && CloseDialog());  // closing writes them again
  EXPECT_EQ(ReadFileBytes(SettingsPath()), Settings(L"1", Dir() + L"night1003"));
  EXPECT_TRUE(TakeLog().empty());
}

// A start-up that cannot open its list says why and shows the blank entry, as New would.
TEST_F(DialogTest, StartUpReportsWhatItCannotOpen) {
  const std::wstring gone = Dir() + L"gone.txt";  // also the recent list, which arguments override
  const struct { std::vector<std::wstring> arguments; std::wstring enabled, message; } cases[] = {
      {{gone}, L"1", L"コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。"},
      {{L"/x", gone}, L"1", L"コマンドライン引数が不正です。"},
      {{}, L"1", L"タスクリストファイルのオープンに失敗しました。\n\n" + gone},
      {{}, L"0", L""},  // not asked for: not opened
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteFileBytes(SettingsPath(), Settings(c.enabled, gone)));
    StartDialog(c.arguments);
    EXPECT_EQ(TakeLog(), c.message.empty() ? Log{} : Log{Box(MessageIcon::Error, c.message)});
    ExpectViewMirrorsModel();
    ASSERT_TRUE(CloseDialog());
  }
}

// 3001 previews the editor's unapplied entry at its row, the menu's second item (from the keyboard) the whole list.
TEST_F(DialogTest, PreviewShowsWhatARunWouldEndAndEndsNothing) {
  const std::wstring u = probes::UniqueSuffix(), image = L"ui-pw-" + u + L".exe";
  probes::WindowProbe window;
  ASSERT_TRUE(StartWindowProbe(folder_, window, L"ui preview " + u, L"UiPreview" + u, image));
  StartDialog({WriteList(Dir() + L"list.txt", {{E::CloseWindow, T::WindowTitle, M::Wildcard, L"no such window " + u},
      {E::CloseWindow, T::WindowTitle, M::Wildcard, L"ui preview " + u}, {E::Taskkill, T::ProcessName, M::Wildcard, image},
      {E::CloseWindow, T::WindowClass, M::RegexCaseSensitive, L"("}})});
  SetRowSelected(1, true);
  Click({1011, 1013});
  SetKeyword(L"UiPreview" + u);
  const std::wstring pid = std::to_wstring(window.process.id());
  const struct { int command; std::vector<std::array<std::wstring, 6>> rows; std::wstring summary; } cases[] = {
      {3001, {{L"2", L"taskkill", L"ウィンドウクラス名", L"UiPreview" + u, image, pid}},
       L"ウィンドウを閉じる: 0 件、taskkill: 1 件（まだ何も終了していません）"},
      {0, {{L"2", L"ウィンドウを閉じる", L"ウィンドウタイトル", L"ui preview " + u, image, pid}, {L"3", L"taskkill", L"プロセス名", image, image, pid}},
       L"ウィンドウを閉じる: 1 件、taskkill: 1 件（まだ何も終了していません）\r\n正規表現が不正な行: 4"},
  };
  for (const auto& c : cases) {
    if (c.command) {
      PostMessageW(dialog_, WM_COMMAND, c.command, 0);
    } else {  // Shift+F10 on the list: the menu's loop reads the keys from the dialog thread's queue
      PostMessageW(dialog_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(View()), -1);
      ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
      for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(dialog_, WM_KEYDOWN, key, 0);
    }
    const HWND preview = WaitForDialog(L"プレビュー - Nagitome"), list = GetDlgItem(preview, 1101);
    ASSERT_NE(preview, nullptr) << c.command;
    EXPECT_EQ(RowsOf<6>(list), c.rows);
    EXPECT_EQ(WindowText(GetDlgItem(preview, 1102)), c.summary);
    const auto [frame, view] = std::pair(SizeOf(preview), SizeOf(list));  // the list takes what the dialog gains
    SetWindowPos(preview, nullptr, 0, 0, frame.first + 100, frame.second + 50, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(SizeOf(list), std::pair(view.first + 100, view.second + 50));
    SetWindowPos(preview, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);  // the template is the least
    EXPECT_EQ(SizeOf(preview), frame);
    Click({1000});  // ignored while the preview runs
    EXPECT_EQ(TheTaskList().Count(), 4);
    Send(preview, WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(WaitForWindowGone(preview));
  }
  EXPECT_TRUE(window.Closes() == 0 && window.process.Running());
}

// On a thread of its own, so that its result can be seen; ended by OK (what Enter sends), then by the close button.
TEST_F(DialogTest, AboutLinkTurnsRedUnderThePointerAndOpensTheHomePage) {
  for (const UINT ending : {UINT(WM_COMMAND), UINT(WM_CLOSE)}) {
    std::jthread runner([] { ShowAboutDialog(GetModuleHandleW(nullptr), nullptr); });
    ASSERT_NE(about_ = WaitForDialog(L"バージョン情報"), nullptr) << "the About dialog did not open";
    const auto [width, height] = SizeOf(Link());  // its client area: it has no border
    const RECT ok = RectOf(GetDlgItem(about_, IDOK));
    POINT middle{width / 2, height / 2}, onOk{(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2};
    ScreenToClient(Link(), &onOk);
    MoveMouse(middle);  // the underlined font and the brush exist while the dialog does
    const auto font = reinterpret_cast<HGDIOBJ>(Send(Link(), WM_GETFONT));
    const auto brush = reinterpret_cast<HGDIOBJ>(Send(about_, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(Link())));
    EXPECT_EQ(std::pair(GetObjectType(font), GetObjectType(brush)), (std::pair<DWORD, DWORD>(OBJ_FONT, OBJ_BRUSH)));
    // Out past each edge, then onto the OK button; every hover starts over.
    for (const POINT out : {POINT{-1, middle.y}, POINT{middle.x, -1}, POINT{width, middle.y}, POINT{middle.x, height}, onOk}) {
      for (const POINT at : {middle, POINT{1, 1}, out}) {  // in, still in, out
        SCOPED_TRACE(testing::Message() << "at " << at.x << "," << at.y << " out at " << out.x << "," << out.y);
        MoveMouse(at);
        ExpectLinkLook(at.x != out.x || at.y != out.y);
      }
    }
    MoveMouse(middle);
    Send(about_, WM_COMMAND, MAKEWPARAM(300, STN_CLICKED), reinterpret_cast<LPARAM>(Link()));
    ExpectLinkLook(false);
    Send(about_, WM_COMMAND, MAKEWPARAM(300, STN_DBLCLK), reinterpret_cast<LPARAM>(Link()));  // does nothing
    EXPECT_EQ(TakeLog(), Log{L"opens " NAGITOME_HOME_PAGE});
    Send(about_, WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(IsWindowVisible(about_)) << "Escape ended it";
    Send(about_, ending, ending == WM_COMMAND ? IDOK : 0);
    const bool ended = WaitForWindowGone(about_);
    if (!ended) PostMessageW(about_, WM_CLOSE, 0, 0);  // lets the runner end
    runner.join();
    EXPECT_TRUE(ended) << ending;
    EXPECT_EQ(std::pair(GetObjectType(font), GetObjectType(brush)), (std::pair<DWORD, DWORD>(0, 0))) << "GDI objects left behind";
  }
}

// ui_test_144dpi runs it again in a prefix at 144 DPI; a prefix at another DPI than told fails every size.
TEST_F(DialogTest, AboutLocksTheMainDialogAndSizesOfOurOwnFollowTheDpi) {
  const int dpi = std::getenv("NAGITOME_TEST_DPI") ? std::atoi(std::getenv("NAGITOME_TEST_DPI")) : 96;
  StartDialog();
  PostMessageW(Item(1023), BM_CLICK, 0, 0);  // its handler returns only when the About dialog has ended
  ASSERT_NE(about_ = WaitForDialog(L"バージョン情報"), nullptr) << "the About dialog did not open";
  for (const int command : {1006, 1022}) Send(dialog_, WM_COMMAND, command);  // the main dialog ignores them meanwhile
  EXPECT_TRUE(TakeLog().empty() && TheTaskList().Count() == 1);
  const auto pictureSize = [&] {  // an icon's hot spot is its centre
    ICONINFO info{};
    GetIconInfo(reinterpret_cast<HICON>(Send(GetDlgItem(about_, 301), STM_GETICON)), &info);
    DeleteObject(info.hbmColor), DeleteObject(info.hbmMask);
    return 2 * static_cast<int>(info.xHotspot);
  };
  for (const int scaled : {dpi, 2 * dpi}) {  // sizes at dpi * scaled / 96
    if (scaled != dpi) {  // a screen of twice the DPI: the dialog manager moves the placeholder, the view follows
      SetWindowPos(Item(1005), nullptr, 10, 20, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
      for (const HWND window : {dialog_, about_}) {
        const RECT rect = RectOf(window);
        Send(window, WM_DPICHANGED, MAKEWPARAM(scaled, scaled), reinterpret_cast<LPARAM>(&rect));
      }
      WaitUntil([&] { return ListView_GetColumnWidth(View(), 3) == 500 * scaled / 96 && pictureSize() == 128 * scaled / 96; });
    }
    const RECT view = RectOf(View()), placeholder = RectOf(Item(1005));
    EXPECT_TRUE(EqualRect(&view, &placeholder) && !IsWindowVisible(Item(1005))) << "the view is over the hidden placeholder";
    EXPECT_EQ(Send(View(), WM_GETFONT), Send(dialog_, WM_GETFONT));  // sized for the DPI like the rest
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ListView_GetColumnWidth(View(), i), (i == 3 ? 500 : 100) * scaled / 96);
    EXPECT_EQ(pictureSize(), 128 * scaled / 96);
  }
  Send(GetDlgItem(about_, IDOK), BM_CLICK);
  ASSERT_TRUE(WaitForWindowGone(about_));
  Click({1006});  // obeyed again
  EXPECT_EQ(TheTaskList().Count(), 2);
}

}  // namespace
}  // namespace nagitome::uitest
