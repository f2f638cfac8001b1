// The real dialogs as only a real desktop shows them (what they decide and say is host-tested), driven
// from the test thread: a message sent to a dialog's thread returns once handled.
#include "probe_client.h"  // first: it brings <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/settings.h"
#include "tasks/document.h"
#include "tasks/message.h"
#include "tasks/task_file_format.h"
#include "tasks/texts.h"
#include "ui/editor_model.h"
#include "ui/main_dialog.h"
#include "ui/shell.h"
#include "version.h"

namespace nagitome::uitest {
namespace {

using namespace probes;
using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;
using I = MessageIcon;
using Log = std::vector<std::wstring>;  // the message boxes and shell opens, in order

std::wstring Box(I icon, std::wstring_view text) {  // its first line names the message
  return std::to_wstring(int(icon)) + L" " + std::wstring(text.substr(0, text.find(L'\n')));
}
const std::vector<TaskEntry> kThree = {
    {.Keyword = L"alpha"},
    {E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"ベータ"},
    {E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L"(["},
};

// A visible dialog of this process (tests may run beside us) by its title, any for null.
HWND WaitForDialog(const wchar_t* title) {
  HWND found = nullptr;
  WaitUntil([&] {
    DWORD process = 0;
    do {
      found = FindWindowExW(nullptr, found, L"#32770", title);
      GetWindowThreadProcessId(found, &process);
    } while (found && (process != GetCurrentProcessId() || !IsWindowVisible(found)));
    return found != nullptr;
  });
  return found;
}
RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}
// A report view's texts.
template <std::size_t N>
std::vector<std::array<std::wstring, N>> RowsOf(HWND list) {
  std::vector<std::array<std::wstring, N>> rows(static_cast<std::size_t>(ListView_GetItemCount(list)));
  wchar_t text[1024];
  for (std::size_t cell = 0; cell < rows.size() * N; ++cell) {
    ListView_GetItemText(list, cell / N, cell % N, text, 1024);
    rows[cell / N][cell % N] = text;
  }
  return rows;
}

// The settings file as the program writes it.
std::string Settings(const std::wstring& on, const std::wstring& recent) {
  return Utf16Le(L"[LATEST_FILE]\r\nENABLED=" + on + L"\r\nPATH=" + recent + L"\r\n");
}
std::wstring WriteList(const std::wstring& path, const std::vector<TaskEntry>& entries) {
  EXPECT_TRUE(WriteFileBytes(path, EncodeTaskList(entries)));
  return path;
}
std::vector<std::wstring> g_arguments;  // the dialog's services are plain function pointers
Log g_log;  // filled on a dialog's thread while ours waits for its answer
Log TakeLog() { return std::exchange(g_log, {}); }
void Interpret(bool recent) {
  InterpretArguments(g_arguments, recent, {&RefreshTaskListView, &NewTaskListCommand, &EndMainDialog});
}
void Write(bool on) { WriteSettings(on); }
DWORD WINAPI RunDialogThread(void*) {
  const MainDialogServices services{&ReadSettings, &Write, &Interpret, &ReadmePath, &RunTaskList};
  return RunMainDialog(GetModuleHandleW(nullptr), services);
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSink([](std::wstring_view text, I icon) { g_log.push_back(Box(icon, text)); });
    SetShellOpenHook([](void* owner, const std::wstring& target) {
      g_log.push_back((owner ? L"main opens " : L"opens ") + target);
    });
    SetCursorPos(0, 0);  // keeps real mouse moves away from the dialogs
    SetSettingsPathForTesting(Dir() + L"user Nagitome.ini");
  }
  void TearDown() override { EXPECT_TRUE(CloseDialog()) << "the main dialog did not end"; }

  // On a thread of its own, with these arguments after argument 0; returns once it shows itself.
  void StartDialog(std::vector<std::wstring> arguments = {}) {
    g_arguments = std::move(arguments);
    g_arguments.insert(g_arguments.begin(), L"Nagitome.exe");
    thread_ = CreateThread(nullptr, 0, RunDialogThread, nullptr, 0, nullptr);
    dialog_ = WaitForDialog(nullptr);
    ASSERT_NE(dialog_, nullptr) << "the dialog did not start";
    Send(dialog_, WM_NULL);
  }
  // True once the dialog's thread has ended; the program is then as before its entry point.
  bool CloseDialog() {
    if (thread_) PostMessageW(dialog_, WM_CLOSE, 0, 0);
    if (thread_ && WaitForSingleObject(thread_, 10000) == WAIT_OBJECT_0) {
      CloseHandle(std::exchange(thread_, nullptr));
    }
    TheTaskList() = TaskList();
    CurrentFilePath().clear();
    RecentFilePath().clear();
    return !thread_;
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  HWND View() const { return Item(2000); }
  static LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(window, message, wParam, lParam);
  }
  void Click(std::initializer_list<int> ids) {
    for (const int id : ids) Send(Item(id), BM_CLICK);
  }
  void SetRowSelected(int row, bool on) {  // as a click does: a row clicked gets the focus too
    const UINT state = on ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    ListView_SetItemState(View(), row, state, state | LVIS_SELECTED);
  }
  // The edited entry selected, focused (for the arrow keys) and in the editor; the case box for a regex only.
  void ExpectViewMirrorsModel() {
    std::vector<RowTexts> expected;
    for (const TaskEntry& entry : TheTaskList().Entries()) expected.push_back(RowTextsOf(entry));
    EXPECT_EQ(RowsOf<4>(View()), expected);
    const int row = TheTaskList().SelectedIndex();
    EXPECT_EQ(ListView_GetNextItem(View(), -1, LVNI_SELECTED), row);
    EXPECT_EQ(ListView_GetNextItem(View(), -1, LVNI_FOCUSED), row);
    EditorChecks checks{};
    for (int i = 0; i < 10; ++i) checks[i] = Send(Item(kFirstEditorButton + i), BM_GETCHECK) == BST_CHECKED;
    const TaskEntry entry = EntryOfEditor(checks, WindowText(Item(1016)));
    EXPECT_EQ(entry, TheTaskList().At(row));
    EXPECT_EQ(IsWindowEnabled(Item(1019)) != FALSE, entry.MatchMethod != M::Wildcard);
  }

  std::wstring Dir() const { return folder_.path() + L"\\"; }

  HWND dialog_ = nullptr;
  HANDLE thread_ = nullptr;
  TempFolder folder_;
};

// Started from the recent list the settings name (any ENABLED but 0 asks for it), in a folder outside
// the ANSI code page. Which rows a command changes is the host tests'.
TEST_F(DialogTest, EveryButtonOfTheMainDialogReachesItsCommand) {
  const std::wstring folder = Dir() + L"タスク\xD83D\xDE00\\";  // U+1F600
  const std::wstring list = folder + L"リスト.txt";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), Settings(L"7", WriteList(list, kThree))));
  StartDialog();
  ASSERT_EQ(TheTaskList().Entries(), kThree) << "the recent list was not opened";  // or Save waits for a name
  SetRowSelected(2, true);
  Click({1006, 1007, 1008, 1009});  // new, delete, up, down: two pairs that undo each other
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  EXPECT_EQ(TheTaskList().SelectedIndex(), 2);
  ExpectViewMirrorsModel();

  // The radios as typed, the wildcard one disabling the case box; Update needs no highlight.
  SetRowSelected(0, true);
  Click({1011, 1015, 1018, 1017});
  EXPECT_FALSE(IsWindowEnabled(Item(1019)));
  Click({1018, 1019});
  Send(Item(1016), WM_SETTEXT, 0, LPARAM(L"changed ✓"));
  SetRowSelected(0, false);
  Click({1020});
  const TaskEntry edited{E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"changed ✓"};
  EXPECT_EQ(TheTaskList().At(0), edited);
  ExpectViewMirrorsModel();

  Click({1002, 1004, 1022, 1021});  // save, run, readme, and the check box writes the settings at once
  EXPECT_EQ(ReadFileBytes(list), EncodeTaskList(TheTaskList().Entries()));
  EXPECT_EQ(TakeLog(), (Log{Box(I::Warning, texts::kInvalidRegexHeader), L"main opens " + ReadmePath()}));
  EXPECT_EQ(ReadFileBytes(SettingsPath()), Settings(L"0", list));

  // A drop of two files is refused, one file loads.
  const std::vector<TaskEntry> dropped = {{.Keyword = L"dropped"}};
  const std::wstring good = WriteList(Dir() + L"dropped.lst", dropped);
  for (const std::wstring& names : {good + L'\0' + list + L'\0', good + L'\0'}) {  // each ends with a NUL
    const std::size_t bytes = sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t);
    const auto files = static_cast<DROPFILES*>(GlobalAlloc(GPTR, bytes));  // fixed: the handle is the pointer
    *files = {sizeof(DROPFILES), {}, FALSE, TRUE};
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(files + 1));
    Send(dialog_, WM_DROPFILES, WPARAM(files));  // the dialog releases it
  }
  EXPECT_EQ(TakeLog(), Log{Box(I::Information, texts::kTooManyDropped)});
  EXPECT_EQ(TheTaskList().Entries(), dropped);

  const std::wstring paste(kTextBufferUnits, L'k');  // the box holds what an entry can
  Send(Item(1016), EM_REPLACESEL, FALSE, LPARAM(paste.c_str()));
  EXPECT_EQ(Send(Item(1016), WM_GETTEXTLENGTH), LRESULT(kMaxTextUnits));

  Click({1000});  // New: Save on an untitled list asks for a name in the real common dialog, as Save As does
  for (const int command : {1002, 1003}) {
    PostMessageW(Item(command), BM_CLICK, 0, 0);  // returns when the file dialog ends
    const HWND dialog = WaitForDialog(texts::kSaveAsTitle);
    ASSERT_NE(dialog, nullptr) << "no file dialog for " << command;
    const std::wstring name = Dir() + L"night" + std::to_wstring(command);  // no extension: used as typed
    Send(GetDlgItem(dialog, cmb13), WM_SETTEXT, 0, LPARAM(name.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([=] { return !IsWindow(dialog); })) << "the file dialog stayed open";
    Send(dialog_, WM_NULL);  // the save is done
    EXPECT_EQ(ReadFileBytes(name), Utf16Le(L"0\t0\t0\t\r\n"));
  }
  ASSERT_TRUE(CloseDialog());  // closing writes them again
  EXPECT_EQ(ReadFileBytes(SettingsPath()), Settings(L"0", Dir() + L"night1003"));
  EXPECT_TRUE(TakeLog().empty());
}

// A start-up that cannot open its list shows its box and the blank entry, as New would.
TEST_F(DialogTest, StartUpReportsWhatItCannotOpen) {
  const std::wstring gone = Dir() + L"gone.txt";  // also the recent list, which arguments override
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), Settings(L"1", gone)));
  const std::pair<std::vector<std::wstring>, const wchar_t*> cases[] = {
      {{gone}, texts::kBadCommandLinePath},
      {{L"/x", gone}, texts::kBadCommandLine},
      {{}, texts::kOpenFailed},
  };
  for (const auto& [arguments, box] : cases) {
    StartDialog(arguments);
    EXPECT_EQ(TakeLog(), Log{Box(I::Error, box)});
    ExpectViewMirrorsModel();
    ASSERT_TRUE(CloseDialog());
  }
}

// 3001 previews the editor's unapplied entry at its row, the menu's second item (from the keyboard)
// the whole list; the main dialog ignores its buttons meanwhile, and nothing is ended.
TEST_F(DialogTest, PreviewShowsWhatARunWouldEndAndEndsNothing) {
  const std::wstring u = UniqueSuffix();
  const std::wstring title = L"ui preview " + u;
  const std::wstring image = L"ui-pw-" + u + L".exe";
  WindowProbe window;
  ASSERT_TRUE(window.Start(folder_, title, L"UiPreview" + u, image));
  const TaskEntry kill{E::Taskkill, T::ProcessName, M::Wildcard, image};
  StartDialog({WriteList(Dir() + L"list.txt", {{}, {.Keyword = title}, kill})});
  SetRowSelected(1, true);
  Click({1011, 1013});
  Send(Item(1016), WM_SETTEXT, 0, LPARAM(window.className.c_str()));
  const std::wstring pid = std::to_wstring(window.process.id());
  using Rows = std::vector<std::array<std::wstring, 6>>;
  const std::pair<int, Rows> cases[] = {
      {3001, {{L"2", texts::kEndTaskkill, texts::kTargetClass, window.className, image, pid}}},
      {0,
       {{L"2", texts::kEndCloseWindow, texts::kTargetTitle, title, image, pid},
        {L"3", texts::kEndTaskkill, texts::kTargetProcess, image, image, pid}}},
  };
  for (const auto& [command, rows] : cases) {
    if (command) {
      PostMessageW(dialog_, WM_COMMAND, command, 0);
    } else {  // Shift+F10 on the list: the menu's loop reads the keys from the dialog thread's queue
      PostMessageW(dialog_, WM_CONTEXTMENU, WPARAM(View()), -1);
      ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
      for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(dialog_, WM_KEYDOWN, key, 0);
    }
    const HWND preview = WaitForDialog(L"プレビュー - Nagitome");
    ASSERT_NE(preview, nullptr) << command;
    EXPECT_EQ(RowsOf<6>(GetDlgItem(preview, 1101)), rows);
    Click({1000});
    EXPECT_EQ(TheTaskList().Count(), 3);
    Send(preview, WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(WaitUntil([=] { return !IsWindow(preview); }));
  }
  EXPECT_EQ(window.Closes(), 0);
  EXPECT_TRUE(window.process.Running());
}

// Also run in a prefix at 144 DPI (ui_test_144dpi). On a screen of another DPI the dialog manager scales
// what came from the template (here the test does), the dialogs what they sized themselves. The About
// dialog locks the main one and ends by its close button and by OK (Enter), not by Escape.
TEST_F(DialogTest, AboutLocksTheMainDialogAndSizesOfOurOwnFollowTheDpi) {
  const int dpi = std::getenv("NAGITOME_TEST_DPI") ? std::atoi(std::getenv("NAGITOME_TEST_DPI")) : 96;
  // The hand is the link's own: the class cursor is every static control's in the process.
  const auto staticCursor = [] {
    const HWND fresh = CreateWindowW(L"Static", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const ULONG_PTR cursor = GetClassLongPtrW(fresh, GCLP_HCURSOR);
    DestroyWindow(fresh);
    return cursor;
  };
  const ULONG_PTR classCursor = staticCursor();
  StartDialog();
  const auto openAbout = [&] {
    PostMessageW(Item(1023), BM_CLICK, 0, 0);  // its handler returns only when the About dialog has ended
    return WaitForDialog(L"バージョン情報");
  };
  const HWND about = openAbout();
  ASSERT_NE(about, nullptr) << "the About dialog did not open";
  Send(dialog_, WM_COMMAND, 1006);  // ignored meanwhile
  EXPECT_EQ(TheTaskList().Count(), 1);
  const auto pictureSize = [&] {  // twice the icon's hot spot, its centre
    ICONINFO info{};
    GetIconInfo(HICON(Send(GetDlgItem(about, 301), STM_GETICON)), &info);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return 2 * static_cast<int>(info.xHotspot);
  };
  for (const int scaled : {dpi, 2 * dpi}) {  // sizes at dpi * scaled / 96
    if (scaled != dpi) {
      SetWindowPos(Item(1005), nullptr, 10, 20, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
      for (const HWND window : {dialog_, about}) {
        const RECT rect = RectOf(window);
        Send(window, WM_DPICHANGED, MAKEWPARAM(scaled, scaled), LPARAM(&rect));
      }
      WaitUntil([&] { return ListView_GetColumnWidth(View(), 3) == 500 * scaled / 96; });
      WaitUntil([&] { return pictureSize() == 128 * scaled / 96; });
    }
    const RECT view = RectOf(View());
    const RECT placeholder = RectOf(Item(1005));
    EXPECT_TRUE(EqualRect(&view, &placeholder)) << "the view is not over the placeholder";
    EXPECT_FALSE(IsWindowVisible(Item(1005)));
    EXPECT_EQ(Send(View(), WM_GETFONT), Send(dialog_, WM_GETFONT));  // sized for the DPI like the rest
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(ListView_GetColumnWidth(View(), i), (i == 3 ? 500 : 100) * scaled / 96);
    }
    EXPECT_EQ(pictureSize(), 128 * scaled / 96);
  }

  // The link under the pointer: red, the mouse captured, the dialog's font underlined; else blue.
  const HWND link = GetDlgItem(about, 300);
  const auto expectLook = [&](bool hover) {
    const HDC dc = CreateCompatibleDC(nullptr);  // the colour as the link's painting asks for it
    Send(about, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(link));
    EXPECT_EQ(GetTextColor(dc), hover ? RGB(255, 0, 0) : RGB(0, 0, 255));
    DeleteDC(dc);
    GUITHREADINFO thread{};  // GetCapture answers for the caller's thread only
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(about, nullptr), &thread);
    EXPECT_EQ(thread.hwndCapture, hover ? link : nullptr);
    LOGFONTW fonts[2] = {};
    GetObjectW(HFONT(Send(link, WM_GETFONT)), sizeof fonts[0], &fonts[0]);
    GetObjectW(HFONT(Send(about, WM_GETFONT)), sizeof fonts[1], &fonts[1]);
    fonts[1].lfUnderline = hover;
    EXPECT_EQ(std::memcmp(&fonts[0], &fonts[1], sizeof fonts[0]), 0);
  };
  RECT area{};
  GetClientRect(link, &area);  // it has no border
  const POINT middle{area.right / 2, area.bottom / 2};
  // In, then out past each edge and back in: every hover starts over.
  const POINT moves[] = {middle, {-1, 1}, middle, {1, -1}, middle, {area.right, 1}, middle, {1, area.bottom}};
  for (const POINT at : moves) {
    Send(link, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    expectLook(at.x == middle.x);
  }
  Send(link, WM_SETCURSOR, WPARAM(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  GetCursorInfo(&cursor);
  EXPECT_EQ(cursor.hCursor, LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(staticCursor(), classCursor);
  Send(about, WM_COMMAND, MAKEWPARAM(300, STN_CLICKED), LPARAM(link));
  expectLook(false);
  Send(about, WM_COMMAND, MAKEWPARAM(300, STN_DBLCLK), LPARAM(link));  // does nothing
  EXPECT_EQ(TakeLog(), Log{L"opens " NAGITOME_HOME_PAGE});
  Send(about, WM_COMMAND, IDCANCEL);
  EXPECT_TRUE(IsWindowVisible(about)) << "Escape ended it";
  Send(about, WM_CLOSE);
  ASSERT_TRUE(WaitUntil([=] { return !IsWindow(about); }));
  Click({1006});  // obeyed again
  EXPECT_EQ(TheTaskList().Count(), 2);
  const HWND again = openAbout();
  Send(again, WM_COMMAND, IDOK);
  ASSERT_TRUE(WaitUntil([=] { return !IsWindow(again); }));
}

}  // namespace
}  // namespace nagitome::uitest
