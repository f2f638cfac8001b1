// The main dialog as only a real desktop shows it: start-up with the settings file, the buttons
// wired to the entry commands and the editor, the selection rule, a drop, the common dialog,
// the run's warning and the preview dialog. What the dialog decides is tested on the host.
#include "dialog_harness.h"
#include "probe_client.h"

#include <dlgs.h>
#include <shlobj.h>

#include <cwchar>
#include <map>

namespace nagitome::uitest {
namespace {

using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;

const std::wstring kOpenFailed = L"タスクリストファイルのオープンに失敗しました。\n\n";
const std::wstring kBadPath = L"コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。";
const std::vector<TaskEntry> kThree = {{E::CloseWindow, T::WindowTitle, M::Wildcard, L"alpha"},
                                       {E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"ベータ"},
                                       {E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L"gamma"}};
const std::vector<TaskEntry> kBlank = {TaskEntry{}};

class MainDialogTest : public DialogTest {
 protected:
  std::wstring StartWithThree() {
    const std::wstring list = WriteList(L"list.txt", kThree);
    StartDialog({list});
    return list;
  }
};

struct StartCase {
  const char* name;
  const wchar_t* settings;              // the settings file's text; null: no file
  std::vector<std::wstring> arguments;  // after argument 0
  std::wstring message;                 // empty: none; a path stand-in: the open failure for that path
  bool loaded, checkBox;
};

class StartTest : public MainDialogTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartTest, StartsAsTheCommandLineAndTheSettingsSay) {
  const StartCase& c = GetParam();
  const std::wstring list = WriteList(L"list.txt", kThree);
  const std::map<std::wstring, std::wstring> paths = {{L"<list>", list}, {L"<missing>", Dir() + L"gone.txt"}, {L"<dir>", Dir()}};
  auto expand = [&](std::wstring text) {
    for (const auto& [from, to] : paths) {
      if (const auto at = text.find(from); at != std::wstring::npos) text.replace(at, from.size(), to);
    }
    return text;
  };
  if (c.settings) { ASSERT_TRUE(WriteFileBytes(SettingsFile(), Utf16Le(expand(c.settings)))); }
  std::vector<std::wstring> arguments;
  for (const std::wstring& argument : c.arguments) arguments.push_back(expand(argument));

  StartDialog(arguments);

  ASSERT_FALSE(DialogEnded());
  EXPECT_EQ(Messages(), (c.message.empty() ? std::vector<CapturedMessage>{} : std::vector<CapturedMessage>{
      {paths.contains(c.message) ? kOpenFailed + expand(c.message) : c.message, MessageIcon::Error}}));
  EXPECT_EQ(Title(), c.loaded ? ListTitle(L"list.txt") : c.message.empty() ? L"無題 - Nagitome" : L"Nagitome");
  EXPECT_EQ(Checked(1021), c.checkBox);
  EXPECT_EQ(TheTaskList().Entries(), c.loaded ? kThree : kBlank);
  ExpectViewMirrorsModel();
  EXPECT_EQ(CurrentFilePath(), c.loaded ? list : L"");
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StartTest,
    ::testing::Values(
        StartCase{"NoArgument", nullptr, {}, L"", false, false},
        StartCase{"OneList", nullptr, {L"<list>"}, L"", true, false},
        StartCase{"MissingPath", nullptr, {L"<missing>"}, kBadPath, false, false},
        StartCase{"Folder", nullptr, {L"<dir>"}, L"<dir>", false, false},
        StartCase{"OtherSwitch", nullptr, {L"/x", L"<list>"}, L"コマンドライン引数が不正です。", false, false},
        StartCase{"RecentSeven", L"[LATEST_FILE]\r\nENABLED=7\r\nPATH=<list>\r\n", {}, L"", true, true},
        StartCase{"RecentDisabled", L"[LATEST_FILE]\r\nENABLED=0\r\nPATH=<list>\r\n", {}, L"", false, false},
        StartCase{"RecentWithoutPath", L"[LATEST_FILE]\r\nENABLED=1\r\n", {}, L"", false, true},
        StartCase{"RecentGone", L"[LATEST_FILE]\r\nENABLED=1\r\nPATH=<missing>\r\n", {}, L"<missing>", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, RunSwitchEndsTheDialogDuringInitialisation) {
  const std::wstring keyword = L"nagitome-ui-no-such-window-51c3";  // matches nothing here
  StartDialog({L"/e", WriteList(L"run.txt", {{E::CloseWindow, T::WindowTitle, M::Wildcard, keyword}})});
  EXPECT_TRUE(WaitForDialogEnd());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TheTaskList().At(0).Keyword, keyword);
  // It never got its close message, so nothing was written.
  EXPECT_EQ(GetFileAttributesW(SettingsFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Each button reaches its command; the view follows the model, the editor the edited entry.
TEST_F(MainDialogTest, ButtonsEditTheListAndSaveWritesIt) {
  const std::wstring list = StartWithThree(), title = Title();
  SetRowSelected(2, true);
  for (const int command : {1006, 1007, 1008, 1009}) {  // new, delete, up, down
    SetKeyword(L"draft");
    Click(command);
    ExpectViewMirrorsModel(command != 1008 && command != 1009);
  }
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  SetRowSelected(0, true);
  for (const int button : {1011, 1015, 1018, 1017}) Click(button);
  EXPECT_FALSE(Enabled(1019));  // the wildcard radio disables the case box without clearing it
  Click(1018);
  Click(1019);
  SetKeyword(L"changed ✓");
  Click(1020);
  const TaskEntry changed{E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"changed ✓"};
  EXPECT_EQ(TheTaskList().At(0), changed);
  SetRowSelected(1, true);  // loading shows both back
  SetRowSelected(0, true);
  ExpectViewMirrorsModel();
  Click(1002);
  EXPECT_EQ(ReadFileBytes(list), EncodeTaskList(TheTaskList().Entries()));
  EXPECT_EQ(Title(), title);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MainDialogTest, TheEditedRowStaysInSightThroughARunOfMoves) {
  StartDialog({WriteList(L"many.txt", std::vector<TaskEntry>(40))});
  for (const int command : {1009, 1008}) {
    for (int i = 0; i < 30; ++i) Click(command);
    const int row = TheTaskList().SelectedIndex(), top = ListView_GetTopIndex(View());
    EXPECT_EQ(row, command == 1009 ? 30 : 0);
    EXPECT_TRUE(top <= row && row < top + ListView_GetCountPerPage(View())) << "top " << top;
  }
}

TEST_F(MainDialogTest, ReselectingTheSameRowKeepsUnappliedEditsAndAnotherRowReloads) {
  StartWithThree();
  SetRowSelected(1, true);
  Click(1010);
  SetKeyword(L"unapplied");
  // A click on an empty area takes the highlight away; the entry stays the edited one.
  SetRowSelected(1, false);
  EXPECT_TRUE(SelectedRows().empty());
  EXPECT_EQ(TheTaskList().SelectedIndex(), 1);
  SetRowSelected(1, true);
  EXPECT_EQ(EditorEntry(), (TaskEntry{E::CloseWindow, T::ProcessName, M::RegexCaseSensitive, L"unapplied"}));
  SetRowSelected(2, true);
  EXPECT_EQ(EditorEntry(), kThree[2]);
  SetRowSelected(1, true);
  EXPECT_EQ(EditorEntry(), kThree[1]);
  // Update with the highlight gone still writes the edited entry and highlights it again.
  SetRowSelected(1, false);
  SetKeyword(L"still row two");
  Click(1020);
  EXPECT_EQ(TheTaskList().At(1).Keyword, L"still row two");
  ExpectViewMirrorsModel();
}

class SaveAsTest : public MainDialogTest, public ::testing::WithParamInterface<int> {};

// Through the real common dialog: 1003, and 1002 while the list is untitled.
TEST_P(SaveAsTest, NamesTheDocumentAndWritesTheList) {
  StartDialog();
  Click(1011);
  Click(1015);
  SetKeyword(L"notepad.exe");
  Click(1020);
  PostClick(GetParam());
  const HWND dialog = WaitForDialogWindow(L"タスクリストファイルに名前を付けて保存");
  ASSERT_NE(dialog, nullptr) << "no file dialog";
  HWND edit = nullptr;  // the file name box: the edit in the combo box, which may sit inside a ComboBoxEx
  for (HWND box = GetDlgItem(dialog, cmb13); box && !edit; box = FindWindowExW(box, nullptr, L"ComboBox", nullptr)) {
    edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
  }
  const std::wstring path = Dir() + L"night";  // no extension: used as typed
  Send(edit ? edit : GetDlgItem(dialog, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  ASSERT_TRUE(WaitForWindowGone(dialog)) << "the file dialog stayed open";
  Sync();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Title(), ListTitle(L"night"));
  EXPECT_EQ(RecentFilePath(), path);
  EXPECT_EQ(ReadFileBytes(path), Utf16Le(L"1\t3\t0\tnotepad.exe\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Commands, SaveAsTest, ::testing::Values(1003, 1002),
                         [](const auto& info) { return info.param == 1003 ? "SaveAs" : "SaveUntitled"; });

// A good file is loaded; a bad one reports the open failure and refreshes the list; two are refused.
TEST_F(MainDialogTest, DropLoadsOneGoodFileOnly) {
  const std::vector<TaskEntry> other = {{E::Taskkill, T::WindowClass, M::RegexIgnoreCase, L"dropped"}};
  const std::wstring list = StartWithThree(), title = Title(), good = WriteList(L"dropped.lst", other);
  const struct { std::vector<std::wstring> paths; CapturedMessage message; } cases[] = {
      {{good, list}, {L"二つ以上のファイルをドラッグアンドドロップ出来ません。", MessageIcon::Information}},
      {{Dir() + L"gone.lst"}, {kOpenFailed + Dir() + L"gone.lst", MessageIcon::Error}},
      {{good}, {}},
  };
  for (const auto& c : cases) {
    SetRowSelected(2, true);
    std::wstring names;
    for (const std::wstring& path : c.paths) names += path + L'\0';
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    *files = {sizeof(DROPFILES), {}, FALSE, TRUE};
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(files + 1));
    GlobalUnlock(memory);
    Send(Dialog(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory));  // the dialog releases it
    const bool loaded = c.message.first.empty(), refused = c.paths.size() == 2;
    EXPECT_EQ(Messages(), loaded ? std::vector<CapturedMessage>{} : std::vector<CapturedMessage>{c.message});
    EXPECT_EQ(TheTaskList().Entries(), loaded ? other : kThree);
    EXPECT_EQ(TheTaskList().SelectedIndex(), refused ? 2 : 0);
    ExpectViewMirrorsModel();
    EXPECT_EQ(Title(), loaded ? ListTitle(L"dropped.lst") : title);
    EXPECT_EQ(RecentFilePath(), loaded ? good : list);
    ClearMessages();
  }
}

// The check box writes the settings at once and closing writes them again; a recent path
// outside the ANSI code page survives the restart.
TEST_F(MainDialogTest, SettingsKeepTheRecentFileAcrossARestart) {
  const std::wstring folder = Dir() + L"タスク\xD83D\xDE00\\";  // U+1F600 as its surrogate pair
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring list = folder + L"リスト.txt";
  ASSERT_TRUE(WriteFileBytes(list, EncodeTaskList(kThree)));
  StartDialog({list});
  Click(1021);
  EXPECT_EQ(ReadSetting(L"ENABLED") + L" " + ReadSetting(L"PATH"), L"1 " + list);
  Click(1021);
  EXPECT_EQ(ReadSetting(L"ENABLED"), L"0");
  Click(1021);
  ASSERT_TRUE(DeleteFileW(SettingsFile().c_str()));
  ASSERT_TRUE(CloseDialog());
  EXPECT_EQ(ReadSetting(L"ENABLED") + L" " + ReadSetting(L"PATH"), L"1 " + list);
  ResetProgram();
  StartDialog();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  EXPECT_EQ(Title(), L"リスト.txt[" + folder + L"] - Nagitome");
}

TEST_F(MainDialogTest, RunWarnsOfTheInvalidPatternAndReadmeOpensBesideTheExe) {
  StartDialog({WriteList(L"list.txt", {{E::CloseWindow, T::WindowTitle, M::Wildcard, L"nagitome-ui-no-such-window-8d21"},
                                       {E::CloseWindow, T::WindowTitle, M::RegexIgnoreCase, L"(["}})});
  Click(1004);
  EXPECT_EQ(Messages(), (std::vector<CapturedMessage>{
      {L"次のエントリは正規表現が不正なため、何も終了しませんでした。\n\n2 行目: ([", MessageIcon::Warning}}));
  Click(1022);
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  EXPECT_EQ(ShellCalls(), (std::vector<ShellCall>{{Dialog(), std::wstring(exe, std::wcsrchr(exe, L'\\') + 1) + L"Readme.txt"}}));
}

// 3001 previews the editor's unapplied entry at its row, 3002 (also the menu's second item) the
// whole list; the main dialog ignores commands meanwhile, and nothing ends.
TEST_F(MainDialogTest, PreviewCommandsShowWhatARunWouldEndAndEndNothing) {
  probes::TempFolder folder;
  const std::wstring u = probes::UniqueSuffix(), windowImage = L"ui-pw-" + u + L".exe", image = L"ui-pp-" + u + L".exe";
  probes::WindowProbe window;
  probes::ChildProcess process;
  ASSERT_TRUE(StartWindowProbe(folder, window, L"ui preview " + u, L"UiPreview" + u, windowImage));
  ASSERT_TRUE(StartProcessProbe(folder, process, image));
  StartDialog({WriteList(L"list.txt", {{E::CloseWindow, T::WindowTitle, M::Wildcard, L"no such window " + u},
                                       {E::CloseWindow, T::WindowTitle, M::Wildcard, L"ui preview " + u},
                                       {E::Taskkill, T::ProcessName, M::Wildcard, image},
                                       {E::CloseWindow, T::WindowClass, M::RegexCaseSensitive, L"("}})});
  SetRowSelected(1, true);
  Click(1011);
  Click(1013);
  SetKeyword(L"UiPreview" + u);
  const std::wstring windowPid = std::to_wstring(window.process.id());
  using Row = std::array<std::wstring, 6>;
  const struct { int command; std::vector<Row> rows; std::wstring summary; } cases[] = {  // 0: the menu's second item
      {3001, {{L"2", L"taskkill", L"ウィンドウクラス名", L"UiPreview" + u, windowImage, windowPid}},
       L"ウィンドウを閉じる: 0 件、taskkill: 1 件（まだ何も終了していません）"},
      {0, {{L"2", L"ウィンドウを閉じる", L"ウィンドウタイトル", L"ui preview " + u, windowImage, windowPid},
           {L"3", L"taskkill", L"プロセス名", image, image, std::to_wstring(process.id())}},
       L"ウィンドウを閉じる: 1 件、taskkill: 1 件（まだ何も終了していません）\r\n正規表現が不正な行: 4"},
  };
  for (const auto& c : cases) {
    if (c.command) {
      PostMessageW(Dialog(), WM_COMMAND, c.command, 0);
    } else {  // Shift+F10 on the list: the menu's loop reads the keys from the dialog thread's queue
      PostMessageW(Dialog(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(View()), -1);
      ASSERT_TRUE(WaitUntil([] { return FindWindowW(L"#32768", nullptr) && IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
      for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(Dialog(), WM_KEYDOWN, key, 0);
    }
    const HWND preview = WaitForDialogWindow(L"プレビュー - Nagitome");
    ASSERT_NE(preview, nullptr) << c.command;
    const HWND list = GetDlgItem(preview, 1101);
    std::vector<Row> rows(static_cast<std::size_t>(ListView_GetItemCount(list)));
    wchar_t buffer[1024];
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
      for (int i = 0; i < 6; ++i) {
        ListView_GetItemText(list, r, i, buffer, 1024);
        rows[r][i] = buffer;
      }
    }
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(WindowText(GetDlgItem(preview, 1102)), c.summary);
    RECT view{}, frame{}, grown{}, least{};  // the list takes what the dialog gains; the template is the least
    GetWindowRect(list, &view);
    GetWindowRect(preview, &frame);
    SetWindowPos(preview, nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top + 50, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(list, &grown);
    EXPECT_EQ(std::make_pair(grown.right - grown.left, grown.bottom - grown.top),
              std::make_pair(view.right - view.left + 100, view.bottom - view.top + 50));
    SetWindowPos(preview, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(preview, &least);
    EXPECT_EQ(least.right - least.left, frame.right - frame.left);
    Click(1000);  // ignored while the preview runs
    EXPECT_EQ(TheTaskList().Count(), 4);
    Send(preview, WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(WaitForWindowGone(preview));
  }
  EXPECT_EQ(window.Closes(), 0);
  EXPECT_TRUE(window.process.Running());
  EXPECT_TRUE(process.Running());
}

}  // namespace
}  // namespace nagitome::uitest
