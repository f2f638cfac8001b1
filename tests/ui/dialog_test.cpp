// The real dialogs as only a desktop shows them (what they decide and say is host-tested), driven from
// the test thread: a message sent to a dialog's thread returns once handled.
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

std::wstring Box(std::wstring_view text) { return std::wstring(text.substr(0, text.find(L'\n'))) + L"\n"; }
const std::vector<TaskEntry> kThree = {Te(L"000alpha"), Te(L"131ベータ"), Te(L"022([")};

RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}
std::vector<std::wstring> CellsOf(HWND list, int columns) {
  std::vector<std::wstring> cells;
  wchar_t text[1024];
  for (int i = 0; i < ListView_GetItemCount(list) * columns; ++i) {
    ListView_GetItemText(list, i / columns, i % columns, text, 1024);
    cells.push_back(text);
  }
  return cells;
}

std::string Settings(const std::wstring& on, const std::wstring& recent) {
  return Utf16Le(L"[LATEST_FILE]\r\nENABLED=" + on + L"\r\nPATH=" + recent + L"\r\n");
}
std::wstring WriteList(const std::wstring& path, const std::vector<TaskEntry>& entries) {
  EXPECT_TRUE(WriteFileBytes(path, EncodeTaskList(entries)));
  return path;
}
std::vector<std::wstring> g_arguments;  // the dialog's services are plain function pointers
std::wstring g_log;  // filled on a dialog's thread while ours waits
std::wstring TakeLog() { return std::exchange(g_log, {}); }
void Interpret(bool recent) {
  InterpretArguments(g_arguments, recent, {RefreshTaskListView, NewTaskListCommand, EndMainDialog});
}
DWORD WINAPI RunDialogThread(void*) {
  const auto write = [](bool on) { WriteSettings(on); };
  return RunMainDialog(GetModuleHandleW(nullptr), {ReadSettings, write, Interpret, ReadmePath, RunTaskList});
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSink([](std::wstring_view text, MessageIcon) { g_log += Box(text); });
    SetShellOpenHook([](void*, const std::wstring& target) { g_log += L"opens " + target + L"\n"; });
    SetCursorPos(0, 0);  // keeps real mouse moves away from the dialogs
    SetSettingsPathForTesting(Dir() + L"user Nagitome.ini");
  }
  void TearDown() override { EXPECT_TRUE(CloseDialog()); }

  void StartDialog(std::vector<std::wstring> arguments = {L""}) {
    g_arguments = std::move(arguments);
    thread_ = CreateThread(nullptr, 0, RunDialogThread, nullptr, 0, nullptr);
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(MainWindow()); }));
    dialog_ = MainWindow();
  }
  bool CloseDialog() {
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(thread_, 10000) == WAIT_OBJECT_0) CloseHandle(std::exchange(thread_, nullptr));
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
  void Select(int row) {  // as a click does, with the focus
    ListView_SetItemState(View(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  // The dialog the main one runs, once shown (a click on its button returns when that ends).
  HWND Open(int button) const {
    if (button) PostMessageW(Item(button), BM_CLICK, 0, 0);
    HWND popup = nullptr;
    WaitUntil([&] {
      do {
        popup = FindWindowExW(nullptr, popup, L"#32770", nullptr);
      } while (popup && (GetWindow(popup, GW_OWNER) != dialog_ || !IsWindowVisible(popup)));
      return popup != nullptr;
    });
    return popup;
  }
  static bool End(HWND popup, UINT message, WPARAM wParam = 0) {
    PostMessageW(popup, message, wParam, 0);
    return WaitUntil([=] { return !IsWindow(popup); });
  }
  // The model shown: its rows, the edited one selected, focused (for the arrow keys) and loaded.
  void ExpectShown() {
    std::vector<std::wstring> cells;
    for (const TaskEntry& entry : TheTaskList().Entries()) {
      for (const std::wstring& text : RowTextsOf(entry)) cells.push_back(text);
    }
    EXPECT_EQ(CellsOf(View(), 4), cells);
    const int row = TheTaskList().SelectedIndex();
    EXPECT_EQ(ListView_GetNextItem(View(), -1, LVNI_SELECTED | LVNI_FOCUSED), row);
    EditorChecks checks{};
    for (int i = 0; i < 10; ++i) checks[i] = IsDlgButtonChecked(dialog_, kFirstEditorButton + i);
    EXPECT_EQ(EntryOfEditor(checks, WindowText(Item(1016))), TheTaskList().At(row));
  }

  std::wstring Dir() const { return folder_.path() + L"\\"; }

  HWND dialog_ = nullptr;
  HANDLE thread_ = nullptr;
  TempFolder folder_;
};

// From the recent list (any ENABLED but 0 asks for it), named outside the ANSI code page.
TEST_F(DialogTest, EveryButtonOfTheMainDialogReachesItsCommand) {
  const std::wstring list = Dir() + L"リスト\xD83D\xDE00.txt";
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), Settings(L"7", WriteList(list, kThree))));
  StartDialog();
  ASSERT_EQ(TheTaskList().Entries(), kThree);  // or Save waits for a name
  Select(2);
  Click({1006, 1007, 1008, 1009, 1008});  // new, delete, up, down, up: no mix-up ends the same
  EXPECT_EQ(TheTaskList().Entries(), (std::vector{kThree[0], kThree[2], kThree[1]}));
  ExpectShown();

  // The wildcard radio disables the case box; Update needs no highlight.
  Select(0);
  Click({1011, 1015, 1018, 1017});
  EXPECT_FALSE(IsWindowEnabled(Item(1019)));
  Click({1018, 1019});
  ListView_SetItemState(View(), 0, 0, LVIS_SELECTED);
  Click({1020});
  EXPECT_EQ(TheTaskList().At(0), Te(L"131alpha"));
  ExpectShown();

  Click({1002, 1004, 1022, 1021});  // save, run, readme; the check box writes the settings
  EXPECT_EQ(ReadFileBytes(list), EncodeTaskList(TheTaskList().Entries()));
  EXPECT_EQ(TakeLog(), Box(texts::kInvalidRegexHeader) + L"opens " + ReadmePath() + L"\n");
  EXPECT_EQ(ReadFileBytes(SettingsPath()), Settings(L"0", list));

  const std::wstring good = WriteList(Dir() + L"dropped.lst", {Te(L"000dropped")});
  for (const std::wstring& names : {good + L'\0' + list, good}) {  // zeroed memory ends them
    const std::size_t bytes = sizeof(DROPFILES) + (names.size() + 2) * sizeof names[0];
    const auto files = static_cast<DROPFILES*>(GlobalAlloc(GPTR, bytes));  // the handle is the pointer
    *files = {sizeof(DROPFILES), {}, FALSE, TRUE};
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(files + 1));
    Send(dialog_, WM_DROPFILES, WPARAM(files));  // the dialog frees it
  }
  EXPECT_EQ(TakeLog(), Box(texts::kTooManyDropped));
  EXPECT_EQ(TheTaskList().Entries(), std::vector{Te(L"000dropped")});

  Click({1000});  // Save on an untitled list asks for a name, as Save As does
  for (const int command : {1002, 1003}) {
    const HWND dialog = Open(command);
    const std::wstring name = Dir() + L"night" + std::to_wstring(command);  // no extension: used as typed
    Send(GetDlgItem(dialog, cmb13), WM_SETTEXT, 0, LPARAM(name.c_str()));
    ASSERT_TRUE(End(dialog, WM_COMMAND, IDOK));
    Send(dialog_, WM_NULL);  // the save is done
    EXPECT_EQ(ReadFileBytes(name), Utf16Le(L"0\t0\t0\t\r\n"));
  }
  ASSERT_TRUE(CloseDialog());
  EXPECT_EQ(ReadFileBytes(SettingsPath()), Settings(L"0", Dir() + L"night1003"));
  EXPECT_EQ(TakeLog(), L"");
}

TEST_F(DialogTest, StartUpReportsWhatItCannotOpen) {
  const std::wstring gone = Dir() + L"gone.txt";
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), Settings(L"1", gone)));
  const std::pair<std::vector<std::wstring>, const wchar_t*> cases[] = {
      {{L"", gone}, texts::kBadCommandLinePath},
      {{L""}, texts::kOpenFailed},
  };
  for (const auto& [arguments, box] : cases) {
    StartDialog(arguments);
    EXPECT_EQ(TakeLog(), Box(box));
    ExpectShown();
    ASSERT_TRUE(CloseDialog());
  }
}

// The menu's first item previews the editor's unapplied entry at its row, its second the whole list.
TEST_F(DialogTest, PreviewShowsWhatARunWouldEndAndEndsNothing) {
  const std::wstring name = L"ui-preview-" + UniqueSuffix();
  const std::wstring image = name + L".exe";
  WindowProbe window;
  ASSERT_TRUE(window.Start(folder_, name, name, image));
  StartDialog({L"", WriteList(Dir() + L"list.txt", {{}, {.Keyword = name}, Te(L"130" + image)})});
  Select(1);
  Click({1011, 1013});
  const std::wstring pid = std::to_wstring(window.process.id());
  const std::pair<int, std::vector<std::wstring>> cases[] = {
      {1, {L"2", texts::kEndTaskkill, texts::kTargetClass, name, image, pid}},
      {2,
       {L"2", texts::kEndCloseWindow, texts::kTargetTitle, name, image, pid,
        L"3", texts::kEndTaskkill, texts::kTargetProcess, image, image, pid}},
  };
  for (const auto& [item, cells] : cases) {  // Shift+F10: the menu reads the dialog thread's keys
    PostMessageW(dialog_, WM_CONTEXTMENU, WPARAM(View()), -1);
    ASSERT_TRUE(WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
    for (int down = 0; down < item; ++down) PostMessageW(dialog_, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(dialog_, WM_KEYDOWN, VK_RETURN, 0);
    const HWND preview = Open(0);
    EXPECT_EQ(CellsOf(GetDlgItem(preview, 1101), 6), cells);
    Click({1000});
    EXPECT_EQ(TheTaskList().Count(), 3);
    EXPECT_TRUE(End(preview, WM_COMMAND, IDCANCEL));
  }
  EXPECT_EQ(window.Closes(), 0);
  EXPECT_TRUE(window.process.Running());
}

// Also run at 144 DPI (ui_test_144dpi). The dialog manager scales the template's controls, not ours.
TEST_F(DialogTest, AboutLocksTheMainDialogAndSizesOfOurOwnFollowTheDpi) {
  const int dpi = std::getenv("NAGITOME_TEST_DPI") ? std::atoi(std::getenv("NAGITOME_TEST_DPI")) : 96;
  StartDialog();
  const auto sizes = [&] {
    const RECT view = RectOf(View());
    const RECT placeholder = RectOf(Item(1005));
    std::wstring seen = EqualRect(&view, &placeholder) ? L"" : L"misplaced";
    for (int i = 0; i < 4; ++i) seen += L" " + std::to_wstring(ListView_GetColumnWidth(View(), i));
    return seen;
  };
  for (const int scaled : {dpi, 2 * dpi}) {
    std::wstring expected;
    for (const int width : {100, 100, 100, 500}) expected += L" " + std::to_wstring(width * scaled / 96);
    if (scaled != dpi) {
      MoveWindow(Item(1005), 10, 20, 300, 200, FALSE);
      const RECT rect = RectOf(dialog_);
      Send(dialog_, WM_DPICHANGED, MAKEWPARAM(scaled, scaled), LPARAM(&rect));
    }
    WaitUntil([&] { return sizes() == expected; });  // a DPI change ends by a posted message
    EXPECT_EQ(sizes(), expected);
  }
  const HWND about = Open(1023);
  Send(dialog_, WM_COMMAND, 1006);  // ignored meanwhile
  EXPECT_EQ(TheTaskList().Count(), 1);

  const HWND link = GetDlgItem(about, 300);
  const auto colour = [&] {  // as the link's painting asks for it
    const HDC dc = CreateCompatibleDC(nullptr);
    Send(about, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(link));
    const COLORREF seen = GetTextColor(dc);
    DeleteDC(dc);
    return seen;
  };
  RECT area{};
  GetClientRect(link, &area);
  const POINT in{area.right / 2, area.bottom / 2};
  for (const POINT at : {in, POINT{area.right, 1}, in}) {
    Send(link, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(colour(), at.x == in.x ? RGB(255, 0, 0) : RGB(0, 0, 255));
  }
  Send(link, WM_SETCURSOR, WPARAM(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  GetCursorInfo(&cursor);
  EXPECT_EQ(cursor.hCursor, LoadCursorW(nullptr, IDC_HAND));
  // The class cursor is every static control's.
  EXPECT_EQ(HCURSOR(GetClassLongPtrW(link, GCLP_HCURSOR)), LoadCursorW(nullptr, IDC_ARROW));
  Send(about, WM_COMMAND, MAKEWPARAM(300, STN_CLICKED), LPARAM(link));
  EXPECT_EQ(colour(), RGB(0, 0, 255));
  EXPECT_EQ(TakeLog(), L"opens " NAGITOME_HOME_PAGE L"\n");
  Send(about, WM_COMMAND, IDCANCEL);
  EXPECT_TRUE(IsWindowVisible(about));  // Escape does not end it
  EXPECT_TRUE(End(about, WM_CLOSE));
  Click({1006});  // obeyed again
  EXPECT_EQ(TheTaskList().Count(), 2);
  EXPECT_TRUE(End(Open(1023), WM_COMMAND, IDOK));
}

}  // namespace
}  // namespace nagitome::uitest
