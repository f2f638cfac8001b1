// The main dialog as the user drives it: start-up forms, the entry commands and the editor,
// save, drops, the settings file and the run button.
#include <windows.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "dialog_harness.h"
#include "tasks/document.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"

namespace nagitome::uitest {
namespace {

using E = EndMethod;
using T = MatchTarget;
using M = MatchMethod;

const std::wstring kOpenFailed = L"タスクリストファイルのオープンに失敗しました。\n\n";
const std::wstring kBadPath =
    L"コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。";
const std::wstring kBadArguments = L"コマンドライン引数が不正です。";
const std::wstring kSettingsFailed = L"設定ファイルの書き込みに失敗しました。\n\n";
const std::wstring kTooManyDropped = L"二つ以上のファイルをドラッグアンドドロップ出来ません。";
const std::wstring kUntitled = L"無題 - Nagitome";

const std::vector<TaskEntry> kThree = {
    Entry(E::CloseWindow, T::WindowTitle, M::Wildcard, L"alpha"),
    Entry(E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"ベータ"),
    Entry(E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L"gamma"),
};

std::vector<std::wstring> KeywordsOf(const std::vector<TaskEntry>& entries) {
  std::vector<std::wstring> keywords;
  for (const TaskEntry& entry : entries) keywords.push_back(entry.Keyword);
  return keywords;
}

class MainDialogTest : public DialogTest {
 protected:
  // The editor's controls read back as an entry; the keyword is the box's text.
  TaskEntry EditorEntry() {
    TaskEntry entry;
    int end = -1, target = -1;
    for (int i = 0; i < 2; ++i) {
      if (Checked(1010 + i)) {
        EXPECT_EQ(end, -1) << "two end method radios checked";
        end = i;
      }
    }
    for (int i = 0; i < 4; ++i) {
      if (Checked(1012 + i)) {
        EXPECT_EQ(target, -1) << "two target radios checked";
        target = i;
      }
    }
    EXPECT_NE(end, -1);
    EXPECT_NE(target, -1);
    EXPECT_NE(Checked(1017), Checked(1018)) << "exactly one method radio is checked";
    entry.EndMethod = static_cast<E>(end < 0 ? 0 : end);
    entry.MatchTarget = static_cast<T>(target < 0 ? 0 : target);
    entry.MatchMethod = Checked(1017) ? M::Wildcard : Checked(1019) ? M::RegexCaseSensitive : M::RegexIgnoreCase;
    entry.Keyword = Keyword();
    return entry;
  }

  // What a freshly loaded editor shows: also 1019 unchecked and disabled for a wildcard.
  void ExpectEditorShows(const TaskEntry& entry) {
    EXPECT_EQ(EditorEntry(), entry);
    EXPECT_EQ(Enabled(1019), entry.MatchMethod != M::Wildcard);
    EXPECT_EQ(Checked(1019), entry.MatchMethod == M::RegexCaseSensitive);
  }

  std::wstring ListTitle(const std::wstring& name) { return name + L"[" + Dir() + L"] - Nagitome"; }
};

// ---- Start-up: the command-line forms --------------------------------------------------------

struct CommandLineCase {
  const char* name;
  std::vector<std::wstring> arguments;  // after argument 0; <list>, <missing>, <fefe>, <dir> are replaced
  std::wstring message;                 // empty: none; <fefe>, <dir> are replaced
  bool loaded;                          // the list file was loaded
  std::wstring title;                   // empty: "list.txt[<dir>] - Nagitome"
};

class CommandLineTest : public MainDialogTest, public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, StartsAsItsFormSays) {
  const CommandLineCase& c = GetParam();
  const std::wstring list = WriteList(L"list.txt", kThree);
  const std::wstring fefe = WriteBytes(L"big-endian.txt", std::string_view("\xFE\xFF\0a\0\t", 6));
  const std::wstring missing = Dir() + L"missing.txt";
  auto expand = [&](std::wstring text) {
    if (text == L"<list>") return list;
    if (text == L"<missing>") return missing;
    if (text == L"<fefe>") return fefe;
    if (text == L"<dir>") return Dir();
    return text;
  };
  std::vector<std::wstring> arguments{ExePath()};
  for (const std::wstring& argument : c.arguments) arguments.push_back(expand(argument));
  std::wstring message = c.message;
  if (message.ends_with(L"<fefe>")) message = kOpenFailed + fefe;
  if (message.ends_with(L"<dir>")) message = kOpenFailed + Dir();

  StartDialog(arguments);

  ASSERT_FALSE(DialogEnded());
  if (message.empty()) {
    EXPECT_TRUE(Messages().empty());
  } else {
    EXPECT_EQ(Messages(), (std::vector<CapturedMessage>{{message, MessageIcon::Error}}));
  }
  EXPECT_EQ(Title(), c.title.empty() ? ListTitle(L"list.txt") : c.title);
  const std::vector<TaskEntry> expected = c.loaded ? kThree : std::vector<TaskEntry>{TaskEntry{}};
  EXPECT_EQ(TheTaskList().Entries(), expected);
  ExpectViewMirrorsModel();
  EXPECT_EQ(TheTaskList().SelectedIndex(), 0);
  ExpectEditorShows(expected[0]);
  EXPECT_EQ(CurrentFilePath(), c.loaded ? list : L"");
  EXPECT_EQ(RecentFilePath(), c.loaded ? list : L"");
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"NoArgument", {}, L"", false, kUntitled},
        CommandLineCase{"OneList", {L"<list>"}, L"", true, L""},
        CommandLineCase{"MissingPath", {L"<missing>"}, kBadPath, false, L"Nagitome"},
        CommandLineCase{"BigEndianFile", {L"<fefe>"}, L"<fefe>", false, L"Nagitome"},
        CommandLineCase{"Folder", {L"<dir>"}, L"<dir>", false, L"Nagitome"},
        CommandLineCase{"OtherSwitch", {L"/x", L"<list>"}, kBadArguments, false, L"Nagitome"},
        CommandLineCase{"TwoPaths", {L"<list>", L"<list>"}, kBadArguments, false, L"Nagitome"},
        CommandLineCase{"RunMissing", {L"/e", L"<missing>"}, kBadPath, false, L"Nagitome"},
        CommandLineCase{"RunMissingUpperCase", {L"/E", L"<missing>"}, kBadPath, false, L"Nagitome"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, RunSwitchEndsTheDialogDuringInitialisation) {
  // Keywords that match nothing on this desktop.
  const std::wstring list = WriteList(L"run.txt", {Entry(E::CloseWindow, T::WindowTitle, M::Wildcard,
                                                         L"nagitome-ui-no-such-window-51c3")});
  StartDialog({ExePath(), L"/E", list, L"ignored"});
  EXPECT_TRUE(WaitForDialogEnd());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TheTaskList().At(0).Keyword, L"nagitome-ui-no-such-window-51c3");
  // The dialog never got its close message, so nothing was written.
  EXPECT_EQ(GetFileAttributesW(SettingsFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

// ---- Start-up: the recent file ---------------------------------------------------------------

struct RecentCase {
  const char* name;
  const wchar_t* settings;  // the file's text; <list> and <missing> are replaced; null: no file
  bool checkBox;
  bool loaded;
  bool openFailure;
};

class RecentFileTest : public MainDialogTest, public ::testing::WithParamInterface<RecentCase> {};

TEST_P(RecentFileTest, StartsWithTheRecentFileWhenAsked) {
  const RecentCase& c = GetParam();
  const std::wstring list = WriteList(L"recent list.txt", kThree);
  const std::wstring missing = Dir() + L"gone.txt";
  if (c.settings) {
    std::wstring text = c.settings;
    for (const auto& [from, to] : {std::pair<std::wstring, std::wstring>{L"<list>", list}, {L"<missing>", missing}}) {
      if (const auto at = text.find(from); at != std::wstring::npos) text.replace(at, from.size(), to);
    }
    ASSERT_TRUE(WriteFileBytes(SettingsFile(), Utf16File(text)));
  }

  StartDialog();

  EXPECT_EQ(Checked(1021), c.checkBox);
  if (c.openFailure) {
    EXPECT_EQ(Messages(), (std::vector<CapturedMessage>{{kOpenFailed + missing, MessageIcon::Error}}));
    EXPECT_EQ(Title(), L"Nagitome");
  } else {
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Title(), c.loaded ? ListTitle(L"recent list.txt") : kUntitled);
  }
  EXPECT_EQ(TheTaskList().Entries(), c.loaded ? kThree : std::vector<TaskEntry>{TaskEntry{}});
  ExpectViewMirrorsModel();
  EXPECT_EQ(CurrentFilePath(), c.loaded ? list : L"");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RecentFileTest,
    ::testing::Values(
        RecentCase{"NoSettingsFile", nullptr, false, false, false},
        RecentCase{"Enabled", L"[LATEST_FILE]\r\nENABLED=1\r\nPATH=<list>\r\n", true, true, false},
        RecentCase{"EnabledSeven", L"[LATEST_FILE]\r\nENABLED=7\r\nPATH=<list>\r\n", true, true, false},
        RecentCase{"Disabled", L"[LATEST_FILE]\r\nENABLED=0\r\nPATH=<list>\r\n", false, false, false},
        RecentCase{"EnabledWithoutPath", L"[LATEST_FILE]\r\nENABLED=1\r\n", true, false, false},
        RecentCase{"RecentFileGone", L"[LATEST_FILE]\r\nENABLED=1\r\nPATH=<missing>\r\n", true, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The entry commands: model, view, selection and editor -----------------------------------

struct EntryCommandCase {
  const char* name;
  int entries;  // the first 1 or 3 of kThree
  int selectBefore;
  int command;
  std::vector<std::wstring> keywordsAfter;
  int selectedAfter;
  bool editorReloaded;  // false: the unapplied "draft" stays in the editor
};

class EntryCommandTest : public MainDialogTest, public ::testing::WithParamInterface<EntryCommandCase> {};

TEST_P(EntryCommandTest, KeepsViewAndModelTogether) {
  const EntryCommandCase& c = GetParam();
  const std::vector<TaskEntry> initial(kThree.begin(), kThree.begin() + c.entries);
  StartDialog({ExePath(), WriteList(L"list.txt", initial)});
  SetRowSelected(c.selectBefore, true);
  ASSERT_EQ(TheTaskList().SelectedIndex(), c.selectBefore);
  const TaskEntry shown = initial[static_cast<std::size_t>(c.selectBefore)];
  ExpectEditorShows(shown);
  SetKeyword(L"draft");

  Click(c.command);

  EXPECT_EQ(KeywordsOf(TheTaskList().Entries()), c.keywordsAfter);
  EXPECT_EQ(TheTaskList().SelectedIndex(), c.selectedAfter);
  ExpectViewMirrorsModel();
  if (c.editorReloaded) {
    ExpectEditorShows(TheTaskList().At(c.selectedAfter));
  } else {
    TaskEntry edited = shown;
    edited.Keyword = L"draft";
    EXPECT_EQ(EditorEntry(), edited);
  }
  EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, EntryCommandTest,
    ::testing::Values(
        EntryCommandCase{"NewOnFirst", 3, 0, 1006, {L"", L"alpha", L"ベータ", L"gamma"}, 0, true},
        EntryCommandCase{"NewInMiddle", 3, 2, 1006, {L"alpha", L"ベータ", L"", L"gamma"}, 2, true},
        EntryCommandCase{"DeleteFirst", 3, 0, 1007, {L"ベータ", L"gamma"}, 0, true},
        EntryCommandCase{"DeleteMiddle", 3, 1, 1007, {L"alpha", L"gamma"}, 1, true},
        EntryCommandCase{"DeleteLast", 3, 2, 1007, {L"alpha", L"ベータ"}, 1, true},
        EntryCommandCase{"DeleteOnlyEntryRefused", 1, 0, 1007, {L"alpha"}, 0, false},
        EntryCommandCase{"UpFromLast", 3, 2, 1008, {L"alpha", L"gamma", L"ベータ"}, 1, false},
        EntryCommandCase{"UpOnFirstRefused", 3, 0, 1008, {L"alpha", L"ベータ", L"gamma"}, 0, false},
        EntryCommandCase{"DownFromFirst", 3, 0, 1009, {L"ベータ", L"alpha", L"gamma"}, 1, false},
        EntryCommandCase{"DownFromMiddle", 3, 1, 1009, {L"alpha", L"gamma", L"ベータ"}, 2, false},
        EntryCommandCase{"DownOnLastRefused", 3, 2, 1009, {L"alpha", L"ベータ", L"gamma"}, 2, false},
        EntryCommandCase{"Update", 3, 1, 1020, {L"alpha", L"draft", L"gamma"}, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, UpdateStoresTheWholeEditorIntoTheSelectedEntry) {
  StartDialog({ExePath(), WriteList(L"list.txt", kThree)});
  SetRowSelected(2, true);
  Click(1011);  // taskkill
  Click(1013);  // class name
  Click(1018);  // regular expression, 1019 still unchecked
  SetKeyword(L"new\tkeyword");
  Click(1020);
  EXPECT_EQ(TheTaskList().At(2), Entry(E::Taskkill, T::WindowClass, M::RegexIgnoreCase, L"new\tkeyword"));
  EXPECT_EQ(Row(2), (RowTexts{L"taskkill", L"ウィンドウクラス名", L"正規表現（大小区別しない）", L"new\tkeyword"}));
  EXPECT_EQ(TheTaskList().At(1), kThree[1]);
  ExpectViewMirrorsModel();
}

TEST_F(MainDialogTest, ReselectingTheSameRowKeepsUnappliedEditsAndAnotherRowReloads) {
  StartDialog({ExePath(), WriteList(L"list.txt", kThree)});
  SetRowSelected(1, true);
  Click(1010);
  SetKeyword(L"unapplied");

  // A click on an empty area takes the highlight away; the entry stays the edited one.
  SetRowSelected(1, false);
  EXPECT_TRUE(SelectedRows().empty());
  EXPECT_EQ(TheTaskList().SelectedIndex(), 1);
  SetRowSelected(1, true);
  EXPECT_EQ(Keyword(), L"unapplied");
  EXPECT_TRUE(Checked(1010));

  SetRowSelected(2, true);
  EXPECT_EQ(TheTaskList().SelectedIndex(), 2);
  ExpectEditorShows(kThree[2]);
  SetRowSelected(1, true);
  ExpectEditorShows(kThree[1]);
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  ExpectViewMirrorsModel();
}

TEST_F(MainDialogTest, UpdateAfterTheHighlightWasClearedWritesTheEditedEntry) {
  StartDialog({ExePath(), WriteList(L"list.txt", kThree)});
  SetRowSelected(2, true);
  SetRowSelected(2, false);
  SetKeyword(L"still row three");
  Click(1020);
  EXPECT_EQ(TheTaskList().At(2).Keyword, L"still row three");
  ExpectViewMirrorsModel();  // row 3 highlighted again
}

TEST_F(MainDialogTest, EditorMapsEveryValueBothWays) {
  const TaskEntry other = Entry(E::Taskkill, T::ProcessName, M::RegexCaseSensitive, L"other");
  StartDialog({ExePath(), WriteList(L"list.txt", {TaskEntry{}, other})});
  const M methods[] = {M::Wildcard, M::RegexCaseSensitive, M::RegexIgnoreCase};
  for (int end = 0; end < 2; ++end) {
    for (int target = 0; target < 4; ++target) {
      for (M method : methods) {
        const TaskEntry wanted = Entry(static_cast<E>(end), static_cast<T>(target), method,
                                       L"k" + std::to_wstring(end) + std::to_wstring(target) +
                                           std::to_wstring(static_cast<int>(method)));
        SCOPED_TRACE(testing::Message() << "end " << end << " target " << target << " method "
                                        << static_cast<int>(method));
        SetRowSelected(0, true);
        Click(1010 + end);
        Click(1012 + target);
        if (method == M::Wildcard) {
          Click(1017);
          EXPECT_FALSE(Enabled(1019));
        } else {
          Click(1018);
          EXPECT_TRUE(Enabled(1019));
          SetChecked(1019, method == M::RegexCaseSensitive);
        }
        SetKeyword(wanted.Keyword);
        Click(1020);
        EXPECT_EQ(TheTaskList().At(0), wanted);
        EXPECT_EQ(Row(0), TextsOf(wanted));
        EXPECT_EQ(TheTaskList().At(1), other);

        // Loading shows it back.
        SetRowSelected(1, true);
        ExpectEditorShows(other);
        SetRowSelected(0, true);
        ExpectEditorShows(wanted);
      }
    }
  }
  ExpectViewMirrorsModel();
}

TEST_F(MainDialogTest, WildcardRadioDisablesTheCaseBoxWithoutClearingIt) {
  StartDialog({ExePath(), WriteList(L"list.txt", kThree)});
  SetRowSelected(1, true);  // case-sensitive regular expression
  ASSERT_TRUE(Enabled(1019));
  ASSERT_TRUE(Checked(1019));

  Click(1017);
  EXPECT_FALSE(Enabled(1019));
  EXPECT_TRUE(Checked(1019));
  Click(1018);
  EXPECT_TRUE(Enabled(1019));
  EXPECT_TRUE(Checked(1019));

  Click(1017);
  Click(1020);
  EXPECT_EQ(TheTaskList().At(1).MatchMethod, M::Wildcard);
  EXPECT_EQ(Row(1)[2], L"ワイルドカード");
  SetRowSelected(0, true);
  SetRowSelected(1, true);
  EXPECT_FALSE(Enabled(1019));
  EXPECT_FALSE(Checked(1019));
}

TEST_F(MainDialogTest, NewCommandStartsAnUntitledListAndKeepsTheRecentPath) {
  const std::wstring list = WriteList(L"list.txt", kThree);
  StartDialog({ExePath(), list});
  SetRowSelected(2, true);
  Click(1000);
  EXPECT_EQ(TheTaskList().Entries(), std::vector<TaskEntry>{TaskEntry{}});
  ExpectViewMirrorsModel();
  ExpectEditorShows(TaskEntry{});
  EXPECT_EQ(Title(), kUntitled);
  EXPECT_EQ(CurrentFilePath(), L"");
  EXPECT_EQ(RecentFilePath(), list);
}

// ---- Save ------------------------------------------------------------------------------------

TEST_F(MainDialogTest, SaveWithAPathWritesTheExactBytesAndLeavesTheTitle) {
  const std::wstring list = WriteList(L"list.txt", kThree);
  StartDialog({ExePath(), list});
  const std::wstring title = Title();
  SetRowSelected(1, true);
  Click(1015);
  SetKeyword(L"changed ✓");
  Click(1020);
  Click(1006);

  Click(1002);

  std::vector<TaskEntry> expected = kThree;
  expected[1].MatchTarget = T::ProcessName;
  expected[1].Keyword = L"changed ✓";
  expected.insert(expected.begin() + 1, TaskEntry{});
  EXPECT_EQ(TheTaskList().Entries(), expected);
  EXPECT_EQ(ReadFileBytes(list), EncodeTaskList(expected));
  EXPECT_EQ(Title(), title);
  EXPECT_EQ(CurrentFilePath(), list);
  EXPECT_TRUE(Messages().empty());
}

// ---- Drag and drop ---------------------------------------------------------------------------

struct FailedDropCase {
  const char* name;
  const char* bytes;  // null: the path is missing; "": a folder
};

class FailedDropTest : public MainDialogTest, public ::testing::WithParamInterface<FailedDropCase> {};

TEST_P(FailedDropTest, ShowsTheOpenFailureAndKeepsTheList) {
  const std::wstring list = WriteList(L"list.txt", kThree);
  std::wstring dropped = Dir() + L"dropped";
  if (GetParam().bytes && !*GetParam().bytes) {
    ASSERT_TRUE(CreateDirectoryW(dropped.c_str(), nullptr));
  } else if (GetParam().bytes) {
    dropped = WriteBytes(L"dropped", std::string_view(GetParam().bytes, 6));
  }
  StartDialog({ExePath(), list});
  const std::wstring title = Title();
  SetRowSelected(2, true);
  SetKeyword(L"discarded by the refresh");

  Drop({dropped});

  EXPECT_EQ(Messages(), (std::vector<CapturedMessage>{{kOpenFailed + dropped, MessageIcon::Error}}));
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  EXPECT_EQ(TheTaskList().SelectedIndex(), 0);
  ExpectViewMirrorsModel();
  ExpectEditorShows(kThree[0]);
  EXPECT_EQ(Title(), title);
  EXPECT_EQ(CurrentFilePath(), list);
  EXPECT_EQ(RecentFilePath(), list);
}

INSTANTIATE_TEST_SUITE_P(Drops, FailedDropTest,
                         ::testing::Values(FailedDropCase{"Missing", nullptr},
                                           FailedDropCase{"BigEndian", "\xFE\xFF\0a\0\t"},
                                           FailedDropCase{"Folder", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, OneDroppedFileIsLoaded) {
  StartDialog({ExePath(), WriteList(L"list.txt", kThree)});
  const std::vector<TaskEntry> other = {Entry(E::Taskkill, T::WindowClass, M::RegexIgnoreCase, L"dropped"),
                                        kThree[0]};
  const std::wstring path = WriteList(L"other.lst", other);
  SetRowSelected(2, true);

  Drop({path});

  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TheTaskList().Entries(), other);
  ExpectViewMirrorsModel();
  ExpectEditorShows(other[0]);
  EXPECT_EQ(Title(), ListTitle(L"other.lst"));
  EXPECT_EQ(CurrentFilePath(), path);
  EXPECT_EQ(RecentFilePath(), path);
}

TEST_F(MainDialogTest, TwoDroppedFilesAreRefused) {
  const std::wstring list = WriteList(L"list.txt", kThree);
  StartDialog({ExePath(), list});
  const std::wstring title = Title();
  SetRowSelected(1, true);
  SetKeyword(L"kept");

  Drop({WriteList(L"a.txt", {TaskEntry{}}), WriteList(L"b.txt", {TaskEntry{}})});

  EXPECT_EQ(Messages(), (std::vector<CapturedMessage>{{kTooManyDropped, MessageIcon::Information}}));
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  EXPECT_EQ(TheTaskList().SelectedIndex(), 1);
  EXPECT_EQ(Keyword(), L"kept");
  ExpectViewMirrorsModel();
  EXPECT_EQ(Title(), title);
  EXPECT_EQ(CurrentFilePath(), list);
}

// ---- The settings file -----------------------------------------------------------------------

TEST_F(MainDialogTest, ClosingWritesTheSettings) {
  StartDialog();
  ASSERT_TRUE(CloseDialog());
  EXPECT_EQ(ReadSetting(L"ENABLED"), L"0");
  EXPECT_EQ(ReadSetting(L"PATH"), L"<none>");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MainDialogTest, ClosingWritesTheCheckBoxAndTheRecentPath) {
  ASSERT_TRUE(WriteFileBytes(SettingsFile(), Utf16File(L"[LATEST_FILE]\r\nENABLED=7\r\n")));
  const std::wstring list = WriteList(L"list.txt", kThree);
  StartDialog({ExePath(), list});
  ASSERT_TRUE(Checked(1021));
  ASSERT_TRUE(CloseDialog());
  EXPECT_EQ(ReadSetting(L"ENABLED"), L"1");
  EXPECT_EQ(ReadSetting(L"PATH"), list);
}

TEST_F(MainDialogTest, CheckBoxWritesTheSettingsAtOnce) {
  const std::wstring list = WriteList(L"list.txt", kThree);
  StartDialog({ExePath(), list});
  ASSERT_EQ(GetFileAttributesW(SettingsFile().c_str()), INVALID_FILE_ATTRIBUTES);
  Click(1021);
  EXPECT_EQ(ReadSetting(L"ENABLED"), L"1");
  EXPECT_EQ(ReadSetting(L"PATH"), list);
  Click(1021);
  EXPECT_EQ(ReadSetting(L"ENABLED"), L"0");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MainDialogTest, RecentPathOutsideTheAnsiCodePageSurvivesARestart) {
  // Japanese and an emoji (U+1F600 as its surrogate pair) in the folder name.
  const std::wstring folder = Dir() + L"タスク\xD83D\xDE00\\";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring list = folder + L"リスト.txt";
  ASSERT_TRUE(WriteFileBytes(list, EncodeTaskList(kThree)));
  StartDialog({ExePath(), list});
  Click(1021);
  ASSERT_TRUE(CloseDialog());
  EXPECT_TRUE(ReadFileBytes(SettingsFile()).starts_with("\xFF\xFE"));
  RecentFilePath().clear();
  EXPECT_TRUE(ReadSettings());
  EXPECT_EQ(RecentFilePath(), list);

  // The next start opens it again.
  TheTaskList() = TaskList();
  CurrentFilePath().clear();
  RecentFilePath().clear();
  StartDialog();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TheTaskList().Entries(), kThree);
  EXPECT_EQ(Title(), L"リスト.txt[" + folder + L"] - Nagitome");
  ExpectViewMirrorsModel();
}

TEST_F(MainDialogTest, UnwritableSettingsAreReportedAndTheDialogStillCloses) {
  UseSettingsFile(Dir() + L"no such folder\\user Nagitome.ini");
  StartDialog();
  const CapturedMessage failure{kSettingsFailed + SettingsFile(), MessageIcon::Error};
  Click(1021);
  EXPECT_EQ(Messages(), std::vector<CapturedMessage>{failure});
  EXPECT_TRUE(CloseDialog());
  EXPECT_EQ(Messages(), (std::vector<CapturedMessage>{failure, failure}));
}

// ---- Run, readme, keys -----------------------------------------------------------------------

TEST_F(MainDialogTest, RunReportsAnInvalidRegularExpressionOnce) {
  const std::wstring keyword = L"([nagitome-ui-no-such-window";
  StartDialog({ExePath(), WriteList(L"list.txt", {
      Entry(E::CloseWindow, T::WindowTitle, M::Wildcard, L"nagitome-ui-no-such-window-8d21"),
      Entry(E::CloseWindow, T::WindowTitle, M::RegexIgnoreCase, keyword),
      Entry(E::CloseWindow, T::WindowClass, M::RegexCaseSensitive, L"nagitome-ui-(no|none)-such-class")})});
  Click(1004);
  EXPECT_EQ(Messages(), (std::vector<CapturedMessage>{
      {L"次のエントリは正規表現が不正なため、何も終了しませんでした。\n\n2 行目: " + keyword, MessageIcon::Warning}}));
  Sync();
  EXPECT_FALSE(DialogEnded());
}

TEST_F(MainDialogTest, RunWithValidEntriesShowsNothing) {
  StartDialog({ExePath(), WriteList(L"list.txt", {
      Entry(E::CloseWindow, T::WindowTitle, M::Wildcard, L"nagitome-ui-no-such-window-8d21"),
      Entry(E::CloseWindow, T::TitleAndClass, M::RegexIgnoreCase, L"nagitome-ui-no-such-(window|dialog)"),
      TaskEntry{}})});
  Click(1004);
  Sync();
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(DialogEnded());
}

TEST_F(MainDialogTest, ReadmeButtonOpensTheReadmeBesideTheExecutable) {
  StartDialog();
  Click(1022);
  const std::vector<ShellCall> calls = ShellCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].owner, Dialog());
  EXPECT_EQ(calls[0].target, ExeDir() + L"Readme.txt");
}

}  // namespace
}  // namespace nagitome::uitest
