// The main dialog as the user drives it: start-up, the entry commands and the editor, Save and
// Save As, drops and the settings file.
#include "dialog_harness.h"
#include "probe_client.h"

#include <dlgs.h>

#include <cwchar>
#include <map>

namespace nagitome::uitest {
namespace {

using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;

const std::wstring kOpenFailed = L"タスクリストファイルのオープンに失敗しました。\n\n";
const std::wstring kBadPath = L"コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。";
const std::wstring kBadArguments = L"コマンドライン引数が不正です。";
const std::wstring kUntitled = L"無題 - Nagitome";
const std::string kBigEndian("\xFE\xFF\0a\0\t", 6);
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
  void ExpectMessage(const std::wstring& text, MessageIcon icon = MessageIcon::Error) {  // empty: none
    EXPECT_EQ(Messages(), (text.empty() ? std::vector<CapturedMessage>{} : std::vector<CapturedMessage>{{text, icon}}));
  }
  TaskEntry EditorEntry() {
    auto radio = [&](int first, int count) {
      std::vector<int> on;
      for (int i = 0; i < count; ++i) if (Checked(first + i)) on.push_back(i);
      EXPECT_EQ(on.size(), 1u) << "radios from " << first;
      return on.empty() ? 0 : on[0];
    };
    const int end = radio(1010, 2), target = radio(1012, 4);
    const M method = radio(1017, 2) == 0 ? M::Wildcard : Checked(1019) ? M::RegexCaseSensitive : M::RegexIgnoreCase;
    return {static_cast<E>(end), static_cast<T>(target), method, Keyword()};
  }
  // A freshly loaded editor also has 1019 unchecked and disabled for a wildcard.
  void ExpectEditorShows(const TaskEntry& entry) {
    EXPECT_EQ(EditorEntry(), entry);
    EXPECT_EQ(Enabled(1019), entry.MatchMethod != M::Wildcard);
    EXPECT_EQ(Checked(1019), entry.MatchMethod == M::RegexCaseSensitive);
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
  const std::map<std::wstring, std::wstring> paths = {
      {L"<list>", list}, {L"<missing>", Dir() + L"gone.txt"}, {L"<fefe>", WriteBytes(L"be.txt", kBigEndian)},
      {L"<dir>", Dir()}};
  auto expand = [&](std::wstring text) {
    for (const auto& [from, to] : paths) {
      if (const auto at = text.find(from); at != std::wstring::npos) text.replace(at, from.size(), to);
    }
    return text;
  };
  if (c.settings) { ASSERT_TRUE(WriteFileBytes(SettingsFile(), Utf16File(expand(c.settings)))); }
  std::vector<std::wstring> arguments;
  for (const std::wstring& argument : c.arguments) arguments.push_back(expand(argument));

  StartDialog(arguments);

  ASSERT_FALSE(DialogEnded());
  ExpectMessage(paths.contains(c.message) ? kOpenFailed + expand(c.message) : c.message);
  EXPECT_EQ(Title(), c.loaded ? ListTitle(L"list.txt") : c.message.empty() ? kUntitled : L"Nagitome");
  EXPECT_EQ(Checked(1021), c.checkBox);
  const std::vector<TaskEntry>& expected = c.loaded ? kThree : kBlank;
  EXPECT_EQ(TheTaskList().Entries(), expected);
  ExpectViewMirrorsModel();
  ExpectEditorShows(expected[0]);
  EXPECT_EQ(CurrentFilePath(), c.loaded ? list : L"");
  if (!c.settings) { EXPECT_EQ(RecentFilePath(), c.loaded ? list : L""); }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StartTest,
    ::testing::Values(
        StartCase{"NoArgument", nullptr, {}, L"", false, false},
        StartCase{"OneList", nullptr, {L"<list>"}, L"", true, false},
        StartCase{"MissingPath", nullptr, {L"<missing>"}, kBadPath, false, false},
        StartCase{"BigEndianFile", nullptr, {L"<fefe>"}, L"<fefe>", false, false},
        StartCase{"Folder", nullptr, {L"<dir>"}, L"<dir>", false, false},
        StartCase{"OtherSwitch", nullptr, {L"/x", L"<list>"}, kBadArguments, false, false},
        StartCase{"TwoPaths", nullptr, {L"<list>", L"<list>"}, kBadArguments, false, false},
        StartCase{"RunMissing", nullptr, {L"/e", L"<missing>"}, kBadPath, false, false},
        StartCase{"Recent", L"[LATEST_FILE]\r\nENABLED=1\r\nPATH=<list>\r\n", {}, L"", true, true},
        StartCase{"RecentSeven", L"[LATEST_FILE]\r\nENABLED=7\r\nPATH=<list>\r\n", {}, L"", true, true},
        StartCase{"RecentDisabled", L"[LATEST_FILE]\r\nENABLED=0\r\nPATH=<list>\r\n", {}, L"", false, false},
        StartCase{"RecentWithoutPath", L"[LATEST_FILE]\r\nENABLED=1\r\n", {}, L"", false, true},
        StartCase{"RecentGone", L"[LATEST_FILE]\r\nENABLED=1\r\nPATH=<missing>\r\n", {}, L"<missing>", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, RunSwitchEndsTheDialogDuringInitialisation) {
  const std::wstring keyword = L"nagitome-ui-no-such-window-51c3";  // matches nothing here
  StartDialog({L"/E", WriteList(L"run.txt", {{E::CloseWindow, T::WindowTitle, M::Wildcard, keyword}}), L"x"});
  EXPECT_TRUE(WaitForDialogEnd());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TheTaskList().At(0).Keyword, keyword);
  // It never got its close message, so nothing was written.
  EXPECT_EQ(GetFileAttributesW(SettingsFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

struct EntryCommandCase {
  const char* name;
  int entries, selectBefore, command;  // the first 1 or 3 of kThree
  std::vector<std::wstring> keywordsAfter;
  int selectedAfter;
  bool editorReloaded;  // false: the unapplied "draft" stays in the editor
};

class EntryCommandTest : public MainDialogTest, public ::testing::WithParamInterface<EntryCommandCase> {};

TEST_P(EntryCommandTest, KeepsViewAndModelTogether) {
  const EntryCommandCase& c = GetParam();
  const std::vector<TaskEntry> initial(kThree.begin(), kThree.begin() + c.entries);
  StartDialog({WriteList(L"list.txt", initial)});
  SetRowSelected(c.selectBefore, true);
  ASSERT_EQ(TheTaskList().SelectedIndex(), c.selectBefore);
  TaskEntry draft = initial[static_cast<std::size_t>(c.selectBefore)];
  ExpectEditorShows(draft);
  SetKeyword(draft.Keyword = L"draft");

  Click(c.command);

  std::vector<std::wstring> keywords;
  for (const TaskEntry& entry : TheTaskList().Entries()) keywords.push_back(entry.Keyword);
  EXPECT_EQ(keywords, c.keywordsAfter);
  EXPECT_EQ(TheTaskList().SelectedIndex(), c.selectedAfter);
  ExpectViewMirrorsModel();
  if (c.editorReloaded) {
    ExpectEditorShows(TheTaskList().At(c.selectedAfter));
  } else {
    EXPECT_EQ(EditorEntry(), draft);
  }
  EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, EntryCommandTest,
    ::testing::Values(EntryCommandCase{"NewInMiddle", 3, 2, 1006, {L"alpha", L"ベータ", L"", L"gamma"}, 2, true},
                      EntryCommandCase{"DeleteFirst", 3, 0, 1007, {L"ベータ", L"gamma"}, 0, true},
                      EntryCommandCase{"DeleteLast", 3, 2, 1007, {L"alpha", L"ベータ"}, 1, true},
                      EntryCommandCase{"DeleteOnlyEntryRefused", 1, 0, 1007, {L"alpha"}, 0, false},
                      EntryCommandCase{"UpFromLast", 3, 2, 1008, {L"alpha", L"gamma", L"ベータ"}, 1, false},
                      EntryCommandCase{"UpOnFirstRefused", 3, 0, 1008, {L"alpha", L"ベータ", L"gamma"}, 0, false},
                      EntryCommandCase{"DownFromMiddle", 3, 1, 1009, {L"alpha", L"gamma", L"ベータ"}, 2, false},
                      EntryCommandCase{"DownOnLastRefused", 3, 2, 1009, {L"alpha", L"ベータ", L"gamma"}, 2, false},
                      EntryCommandCase{"Update", 3, 1, 1020, {L"alpha", L"draft", L"gamma"}, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, TheEditedRowStaysInSightThroughARunOfMoves) {
  std::vector<TaskEntry> many(40);
  StartDialog({WriteList(L"many.txt", many)});
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
  ExpectEditorShows(kThree[2]);
  SetRowSelected(1, true);
  ExpectEditorShows(kThree[1]);
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  // Update with the highlight gone still writes the edited entry and highlights it again.
  SetRowSelected(1, false);
  SetKeyword(L"still row two");
  Click(1020);
  EXPECT_EQ(TheTaskList().At(1).Keyword, L"still row two");
  ExpectViewMirrorsModel();
}

TEST_F(MainDialogTest, EditorMapsEveryValueBothWays) {
  const TaskEntry other{E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"other"};
  StartDialog({WriteList(L"list.txt", {TaskEntry{}, other})});
  for (int i = 0; i < 24; ++i) {
    const TaskEntry wanted{static_cast<E>(i / 12), static_cast<T>(i / 3 % 4), static_cast<M>(i % 3),
                           L"k" + std::to_wstring(i)};
    SCOPED_TRACE(i);
    SetRowSelected(0, true);
    Click(1010 + i / 12);
    Click(1012 + i / 3 % 4);
    if (wanted.MatchMethod != M::Wildcard) {
      Click(1018);
      if (Checked(1019) != (wanted.MatchMethod == M::RegexCaseSensitive)) Click(1019);
    }
    // The wildcard radio disables 1019 without clearing it; the other radio enables it again.
    const bool box = Checked(1019);
    Click(1017);
    EXPECT_FALSE(Enabled(1019));
    if (wanted.MatchMethod != M::Wildcard) Click(1018);
    EXPECT_EQ(Enabled(1019), wanted.MatchMethod != M::Wildcard);
    EXPECT_EQ(Checked(1019), box);
    SetKeyword(wanted.Keyword);
    Click(1020);
    EXPECT_EQ(TheTaskList().At(0), wanted);
    EXPECT_EQ(Row(0), TextsOf(wanted));
    EXPECT_EQ(TheTaskList().At(1), other);
    SetRowSelected(1, true);  // loading shows it back
    ExpectEditorShows(other);
    SetRowSelected(0, true);
    ExpectEditorShows(wanted);
  }
}

TEST_F(MainDialogTest, SaveWithAPathWritesTheExactBytesAndLeavesTheTitle) {
  const std::wstring list = StartWithThree(), title = Title();
  SetRowSelected(1, true);
  Click(1013);
  SetKeyword(L"changed ✓");
  Click(1020);
  Click(1006);
  Click(1002);
  std::vector<TaskEntry> expected = kThree;
  expected[1].MatchTarget = T::WindowClass;
  expected[1].Keyword = L"changed ✓";
  expected.insert(expected.begin() + 1, TaskEntry{});
  EXPECT_EQ(TheTaskList().Entries(), expected);
  EXPECT_EQ(ReadFileBytes(list), EncodeTaskList(expected));
  EXPECT_EQ(Title(), title);
  EXPECT_EQ(CurrentFilePath(), list);
  EXPECT_TRUE(Messages().empty());
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
  EXPECT_EQ(CurrentFilePath(), path);
  EXPECT_EQ(RecentFilePath(), path);
  EXPECT_EQ(ReadFileBytes(path), Utf16File(L"1\t3\t0\tnotepad.exe\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Commands, SaveAsTest, ::testing::Values(1003, 1002),
                         [](const auto& info) { return info.param == 1003 ? "SaveAs" : "SaveUntitled"; });

class DropTest : public MainDialogTest, public ::testing::WithParamInterface<const char*> {};

// A good file is loaded; a bad one reports the open failure and refreshes the list; two are refused.
TEST_P(DropTest, LoadsOneGoodFileOnly) {
  const std::string kind = GetParam();
  const std::vector<TaskEntry> other = {{E::Taskkill, T::WindowClass, M::RegexIgnoreCase, L"dropped"}, kThree[0]};
  const std::wstring dropped = Dir() + L"dropped.lst";
  if (kind == "Folder") CreateDirectoryW(dropped.c_str(), nullptr);
  if (kind == "BigEndian") WriteBytes(L"dropped.lst", kBigEndian);
  if (kind == "List" || kind == "Two") WriteList(L"dropped.lst", other);
  const std::wstring list = StartWithThree(), title = Title();
  SetRowSelected(2, true);
  SetKeyword(L"draft");

  std::vector<std::wstring> paths{dropped};
  if (kind == "Two") paths.push_back(WriteList(L"b.txt", kBlank));
  Drop(paths);

  const bool loaded = kind == "List", refused = kind == "Two";
  ExpectMessage(loaded ? L"" : refused ? L"二つ以上のファイルをドラッグアンドドロップ出来ません。" : kOpenFailed + dropped,
                refused ? MessageIcon::Information : MessageIcon::Error);
  EXPECT_EQ(TheTaskList().Entries(), loaded ? other : kThree);
  EXPECT_EQ(TheTaskList().SelectedIndex(), refused ? 2 : 0);
  ExpectViewMirrorsModel();
  if (refused) {
    EXPECT_EQ(Keyword(), L"draft");
  } else {
    ExpectEditorShows(TheTaskList().At(0));
  }
  EXPECT_EQ(Title(), loaded ? ListTitle(L"dropped.lst") : title);
  EXPECT_EQ(CurrentFilePath(), loaded ? dropped : list);
  EXPECT_EQ(RecentFilePath(), loaded ? dropped : list);
}

INSTANTIATE_TEST_SUITE_P(Drops, DropTest, ::testing::Values("Missing", "BigEndian", "Folder", "List", "Two"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(MainDialogTest, CheckBoxWritesTheSettingsAtOnceAndClosingWritesThemAgain) {
  const std::wstring list = StartWithThree();
  Click(1021);
  EXPECT_EQ(ReadSetting(L"ENABLED"), L"1");
  EXPECT_EQ(ReadSetting(L"PATH"), list);
  Click(1021);
  EXPECT_EQ(ReadSetting(L"ENABLED"), L"0");
  Click(1021);
  ASSERT_TRUE(DeleteFileW(SettingsFile().c_str()));
  ASSERT_TRUE(CloseDialog());
  EXPECT_EQ(ReadSetting(L"ENABLED"), L"1");
  EXPECT_EQ(ReadSetting(L"PATH"), list);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MainDialogTest, RecentPathOutsideTheAnsiCodePageSurvivesARestart) {
  const std::wstring folder = Dir() + L"タスク\xD83D\xDE00\\";  // U+1F600 as its surrogate pair
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring list = folder + L"リスト.txt";
  ASSERT_TRUE(WriteFileBytes(list, EncodeTaskList(kThree)));
  StartDialog({list});
  Click(1021);
  ASSERT_TRUE(CloseDialog());
  EXPECT_TRUE(ReadFileBytes(SettingsFile()).starts_with("\xFF\xFE"));
  ResetProgram();
  StartDialog();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(RecentFilePath(), list);
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  EXPECT_EQ(Title(), L"リスト.txt[" + folder + L"] - Nagitome");
}

TEST_F(MainDialogTest, RunReportsOnlyTheInvalidPatternAndReadmeOpensBesideTheExe) {
  const std::wstring bad = L"([nagitome-ui-no-such-window";
  StartDialog({WriteList(L"list.txt", {
      {E::CloseWindow, T::WindowTitle, M::Wildcard, L"nagitome-ui-no-such-window-8d21"},
      {E::CloseWindow, T::WindowTitle, M::RegexIgnoreCase, bad},
      {E::CloseWindow, T::WindowClass, M::RegexCaseSensitive, L"nagitome-ui-(no|none)-such-class"}})});
  Click(1004);
  EXPECT_EQ(Messages(), (std::vector<CapturedMessage>{
      {L"次のエントリは正規表現が不正なため、何も終了しませんでした。\n\n2 行目: " + bad, MessageIcon::Warning}}));
  EXPECT_FALSE(DialogEnded());
  Click(1022);
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring readme = std::wstring(exe, std::wcsrchr(exe, L'\\') + 1) + L"Readme.txt";
  EXPECT_EQ(ShellCalls(), (std::vector<ShellCall>{{Dialog(), readme}}));
}

// 3001 previews the editor's unapplied entry at its row, 3002 the whole list; the dialog's rows
// and summary name our probes, the main dialog ignores commands meanwhile, and nothing ends.
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
      {3002, {{L"2", L"ウィンドウを閉じる", L"ウィンドウタイトル", L"ui preview " + u, windowImage, windowPid},
              {L"3", L"taskkill", L"プロセス名", image, image, std::to_wstring(process.id())}},
       L"ウィンドウを閉じる: 1 件、taskkill: 1 件（まだ何も終了していません）\r\n正規表現が不正な行: 4"},
      {0, cases[1].rows, cases[1].summary},
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
