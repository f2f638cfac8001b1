// The real dialogs as only a real desktop shows them (what they decide and say is host-tested), driven
// from the test thread: a message sent to a dialog's thread returns once handled.
#include "probe_client.h"  // first: it brings <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/command_line.h"
#include "app/settings.h"
#include "tasks/document.h"
#include "tasks/task_file_format.h"
#include "tasks/texts.h"
#include "ui/editor_model.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"
#include "ui/shell.h"
#include "version.h"

namespace nagitome::uitest {
namespace {

using namespace probes;
using I = MessageIcon;
using Log = std::vector<std::wstring>;  // the message boxes (by icon and first line) and shell opens

std::wstring Box(I icon, std::wstring_view text) {
  return std::to_wstring(int(icon)) + L" " + std::wstring(text.substr(0, text.find(L'\n')));
}
const std::vector<TaskEntry> kThree = {Te(L"000alpha"), Te(L"131ベータ"), Te(L"022([")};

RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}
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
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(MainWindow()); })) << "the dialog did not start";
    dialog_ = MainWindow();
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
  // The dialog the main one runs, once shown: a click on the button that opens it returns when it ends.
  HWND Open(int button) const {
    if (button) PostMessageW(Item(button), BM_CLICK, 0, 0);
    HWND popup = nullptr;
    WaitUntil([&] {
      do popup = FindWindowExW(nullptr, popup, L"#32770", nullptr);
      while (popup && (GetWindow(popup, GW_OWNER) != dialog_ || !IsWindowVisible(popup)));
      return popup != nullptr;
    });
    return popup;
  }
  static bool End(HWND popup, UINT message, WPARAM wParam = 0) {
    PostMessageW(popup, message, wParam, 0);
    return WaitUntil([=] { return !IsWindow(popup); });
  }
  // The view shows the model, the edited row selected and focused (the arrow keys go on from it) and in
  // the editor, the case box enabled for a regex only.
  void ExpectShown() {
    std::vector<RowTexts> rows;
    for (const TaskEntry& entry : TheTaskList().Entries()) rows.push_back(RowTextsOf(entry));
    EXPECT_EQ(RowsOf<4>(View()), rows);
    const int row = TheTaskList().SelectedIndex();
    EXPECT_EQ(ListView_GetNextItem(View(), -1, LVNI_SELECTED | LVNI_FOCUSED), row);
    EditorChecks checks{};
    for (int i = 0; i < 10; ++i) checks[i] = IsDlgButtonChecked(dialog_, kFirstEditorButton + i);
    const TaskEntry entry = EntryOfEditor(checks, WindowText(Item(1016)));
    EXPECT_EQ(entry, TheTaskList().At(row));
    EXPECT_EQ(!IsWindowEnabled(Item(1019)), entry.MatchMethod == MatchMethod::Wildcard);
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
  ExpectShown();

  // The radios as typed, the wildcard one disabling the case box; Update needs no highlight.
  SetRowSelected(0, true);
  Click({1011, 1015, 1018, 1017});
  EXPECT_FALSE(IsWindowEnabled(Item(1019)));
  Click({1018, 1019});
  Send(Item(1016), WM_SETTEXT, 0, LPARAM(L"changed ✓"));
  SetRowSelected(0, false);
  Click({1020});
  EXPECT_EQ(TheTaskList().At(0), Te(L"131changed ✓"));
  ExpectShown();

  Click({1002, 1004, 1022, 1021});  // save, run, readme, and the check box writes the settings at once
  EXPECT_EQ(ReadFileBytes(list), EncodeTaskList(TheTaskList().Entries()));
  EXPECT_EQ(TakeLog(), (Log{Box(I::Warning, texts::kInvalidRegexHeader), L"main opens " + ReadmePath()}));
  EXPECT_EQ(ReadFileBytes(SettingsPath()), Settings(L"0", list));

  // A drop of two files is refused, one file loads.
  const std::wstring good = WriteList(Dir() + L"dropped.lst", {Te(L"000dropped")});
  for (const std::wstring& names : {good + L'\0' + list + L'\0', good + L'\0'}) {  // each ends with a NUL
    const std::size_t bytes = sizeof(DROPFILES) + (names.size() + 1) * sizeof names[0];
    const auto files = static_cast<DROPFILES*>(GlobalAlloc(GPTR, bytes));  // fixed: the handle is the pointer
    *files = {sizeof(DROPFILES), {}, FALSE, TRUE};
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(files + 1));
    Send(dialog_, WM_DROPFILES, WPARAM(files));  // the dialog releases it
  }
  EXPECT_EQ(TakeLog(), Log{Box(I::Information, texts::kTooManyDropped)});
  EXPECT_EQ(TheTaskList().Entries(), std::vector{Te(L"000dropped")});

  Click({1000});  // New: Save on an untitled list asks for a name in the real common dialog, as Save As does
  for (const int command : {1002, 1003}) {
    const HWND dialog = Open(command);
    const std::wstring name = Dir() + L"night" + std::to_wstring(command);  // no extension: used as typed
    Send(GetDlgItem(dialog, cmb13), WM_SETTEXT, 0, LPARAM(name.c_str()));
    ASSERT_TRUE(End(dialog, WM_COMMAND, IDOK)) << "the file dialog stayed open";
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
    ExpectShown();
    ASSERT_TRUE(CloseDialog());
  }
}

// The menu's first item previews the editor's unapplied entry at its row, its second the whole list;
// the main dialog ignores its buttons meanwhile, and nothing is ended.
TEST_F(DialogTest, PreviewShowsWhatARunWouldEndAndEndsNothing) {
  const std::wstring u = UniqueSuffix();
  const std::wstring title = L"ui preview " + u;
  const std::wstring image = L"ui-pw-" + u + L".exe";
  WindowProbe window;
  ASSERT_TRUE(window.Start(folder_, title, L"UiPreview" + u, image));
  StartDialog({WriteList(Dir() + L"list.txt", {{}, {.Keyword = title}, Te(L"130" + image)})});
  SetRowSelected(1, true);
  Click({1011, 1013});
  Send(Item(1016), WM_SETTEXT, 0, LPARAM(window.className.c_str()));
  const std::wstring pid = std::to_wstring(window.process.id());
  using Rows = std::vector<std::array<std::wstring, 6>>;
  const std::pair<int, Rows> cases[] = {
      {1, {{L"2", texts::kEndTaskkill, texts::kTargetClass, window.className, image, pid}}},
      {2,
       {{L"2", texts::kEndCloseWindow, texts::kTargetTitle, title, image, pid},
        {L"3", texts::kEndTaskkill, texts::kTargetProcess, image, image, pid}}},
  };
  for (const auto& [item, rows] : cases) {  // Shift+F10 on the list, then that item
    PostMessageW(dialog_, WM_CONTEXTMENU, WPARAM(View()), -1);
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
    for (int down = 0; down < item; ++down) PostMessageW(dialog_, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(dialog_, WM_KEYDOWN, VK_RETURN, 0);  // the menu's loop reads the dialog thread's queue
    const HWND preview = Open(0);
    EXPECT_EQ(RowsOf<6>(GetDlgItem(preview, 1101)), rows);
    Click({1000});
    EXPECT_EQ(TheTaskList().Count(), 3);
    EXPECT_TRUE(End(preview, WM_COMMAND, IDCANCEL));
  }
  EXPECT_EQ(window.Closes(), 0);
  EXPECT_TRUE(window.process.Running());
}

// Also run in a prefix at 144 DPI (ui_test_144dpi). On a screen of another DPI the dialog manager scales
// what came from the template (here the test does), the dialogs what they sized themselves. The About
// dialog locks the main one and ends by its close button and by OK (Enter), not by Escape.
TEST_F(DialogTest, AboutLocksTheMainDialogAndSizesOfOurOwnFollowTheDpi) {
  const int dpi = std::getenv("NAGITOME_TEST_DPI") ? std::atoi(std::getenv("NAGITOME_TEST_DPI")) : 96;
  StartDialog();
  const HWND about = Open(1023);
  Send(dialog_, WM_COMMAND, 1006);  // ignored meanwhile
  EXPECT_EQ(TheTaskList().Count(), 1);
  // The view over its hidden placeholder in the dialog's font, its columns, the picture (twice the icon's
  // hot spot).
  const auto sizes = [&] {
    const RECT view = RectOf(View());
    const RECT placeholder = RectOf(Item(1005));
    const bool placed = EqualRect(&view, &placeholder) && !IsWindowVisible(Item(1005));
    std::wstring seen = placed && Send(View(), WM_GETFONT) == Send(dialog_, WM_GETFONT) ? L"" : L"misplaced ";
    for (int i = 0; i < 4; ++i) seen += std::to_wstring(ListView_GetColumnWidth(View(), i)) + L" ";
    ICONINFO icon{};
    GetIconInfo(HICON(Send(GetDlgItem(about, 301), STM_GETICON)), &icon);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    return seen + std::to_wstring(2 * icon.xHotspot);
  };
  for (const int scaled : {dpi, 2 * dpi}) {
    std::wstring expected;
    for (const int size : {100, 100, 100, 500}) expected += std::to_wstring(size * scaled / 96) + L" ";
    expected += std::to_wstring(128 * scaled / 96);
    if (scaled != dpi) {
      MoveWindow(Item(1005), 10, 20, 300, 200, FALSE);
      for (const HWND window : {dialog_, about}) {
        const RECT rect = RectOf(window);
        Send(window, WM_DPICHANGED, MAKEWPARAM(scaled, scaled), LPARAM(&rect));
      }
    }
    WaitUntil([&] { return sizes() == expected; });  // a DPI change ends in a message of its own
    EXPECT_EQ(sizes(), expected);
  }

  // The link under the pointer is red, holds the mouse and is underlined; else blue.
  const HWND link = GetDlgItem(about, 300);
  const auto look = [&] {
    const HDC dc = CreateCompatibleDC(nullptr);  // the colour as the link's painting asks for it
    Send(about, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(link));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    GUITHREADINFO thread{};  // GetCapture answers for the caller's thread only
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(about, nullptr), &thread);
    LOGFONTW font{};
    GetObjectW(HFONT(Send(link, WM_GETFONT)), sizeof font, &font);
    const std::wstring held = thread.hwndCapture == link ? L" held" : L"";
    return std::to_wstring(colour) + held + (font.lfUnderline ? L"_" : L"");
  };
  const std::wstring hot = std::to_wstring(RGB(255, 0, 0)) + L" held_";
  const std::wstring cold = std::to_wstring(RGB(0, 0, 255));
  RECT area{};
  GetClientRect(link, &area);  // it has no border
  const POINT in{area.right / 2, area.bottom / 2};
  // Out past each edge and back in: every hover starts over.
  const POINT moves[] = {in, {-1, 1}, in, {1, -1}, in, {area.right, 1}, in, {1, area.bottom}, in};
  for (const POINT at : moves) {
    Send(link, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(look(), at.x == in.x ? hot : cold);
  }
  Send(link, WM_SETCURSOR, WPARAM(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  GetCursorInfo(&cursor);
  EXPECT_EQ(cursor.hCursor, LoadCursorW(nullptr, IDC_HAND));
  // The hand is the link's own: the class cursor is every static control's in the process.
  EXPECT_EQ(HCURSOR(GetClassLongPtrW(link, GCLP_HCURSOR)), LoadCursorW(nullptr, IDC_ARROW));
  Send(about, WM_COMMAND, MAKEWPARAM(300, STN_CLICKED), LPARAM(link));
  EXPECT_EQ(look(), cold);
  EXPECT_EQ(TakeLog(), Log{L"opens " NAGITOME_HOME_PAGE});
  Send(about, WM_COMMAND, IDCANCEL);
  EXPECT_TRUE(IsWindowVisible(about)) << "Escape ended it";
  EXPECT_TRUE(End(about, WM_CLOSE));
  Click({1006});  // obeyed again
  EXPECT_EQ(TheTaskList().Count(), 2);
  EXPECT_TRUE(End(Open(1023), WM_COMMAND, IDOK));
}

}  // namespace
}  // namespace nagitome::uitest
