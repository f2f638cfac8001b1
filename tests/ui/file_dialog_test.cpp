// Open and Save As through the real common file dialogs, operated from the test thread.
#include <windows.h>
#include <dlgs.h>

#include <string>
#include <vector>

#include "dialog_harness.h"
#include "tasks/document.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"

namespace nagitome::uitest {
namespace {

const wchar_t kOpenTitle[] = L"タスクリストファイルを開く";
const wchar_t kSaveAsTitle[] = L"タスクリストファイルに名前を付けて保存";

const std::vector<TaskEntry> kTwo = {
    TaskEntry{},
    Entry(EndMethod::Taskkill, MatchTarget::ProcessName, MatchMethod::RegexIgnoreCase, L"メモ帳.exe"),
};

// The file name box of an Explorer-style dialog: the edit inside the combo box (which may
// itself sit inside a ComboBoxEx), or the plain edit.
HWND FileNameEdit(HWND dialog) {
  for (HWND box = GetDlgItem(dialog, cmb13); box; box = FindWindowExW(box, nullptr, L"ComboBox", nullptr)) {
    if (HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr)) return edit;
  }
  return GetDlgItem(dialog, edt1);
}

class FileDialogTest : public DialogTest {
 protected:
  // Waits for the dialog, types the path, presses OK (or Cancel for an empty path) and waits
  // until the main dialog is back in its own loop.
  void Choose(const wchar_t* title, const std::wstring& path) {
    HWND dialog = WaitForDialogWindow(title);
    ASSERT_NE(dialog, nullptr) << "no file dialog";
    if (path.empty()) {
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
      HWND edit = FileNameEdit(dialog);
      ASSERT_NE(edit, nullptr) << "no file name box";
      Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    ASSERT_TRUE(WaitForWindowGone(dialog)) << "the file dialog stayed open";
    Sync();
  }
};

class SaveAsTest : public FileDialogTest, public ::testing::WithParamInterface<int> {};

// 1003, and 1002 while the list is untitled.
TEST_P(SaveAsTest, NamesTheDocumentAndWritesTheList) {
  StartDialog();
  Click(1011);
  Click(1015);
  SetKeyword(L"notepad.exe");
  Click(1020);
  const std::wstring path = Dir() + L"night";  // no extension: used as typed

  PostClick(GetParam());
  Choose(kSaveAsTitle, path);

  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Title(), L"night[" + Dir() + L"] - Nagitome");
  EXPECT_EQ(CurrentFilePath(), path);
  EXPECT_EQ(RecentFilePath(), path);
  const std::vector<TaskEntry> expected = {
      Entry(EndMethod::Taskkill, MatchTarget::ProcessName, MatchMethod::Wildcard, L"notepad.exe")};
  EXPECT_EQ(TheTaskList().Entries(), expected);
  EXPECT_EQ(ReadFileBytes(path), EncodeTaskList(expected));
  // The line the user asked for: 1, TAB, 3, TAB, 0, TAB, notepad.exe.
  EXPECT_EQ(ReadFileBytes(path), Utf16File(L"1\t3\t0\tnotepad.exe\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Commands, SaveAsTest, ::testing::Values(1003, 1002),
                         [](const auto& info) { return info.param == 1003 ? "SaveAs" : "SaveUntitled"; });

TEST_F(FileDialogTest, CancelledSaveAsChangesNothing) {
  StartDialog();
  PostClick(1003);
  Choose(kSaveAsTitle, L"");
  EXPECT_EQ(Title(), L"無題 - Nagitome");
  EXPECT_EQ(CurrentFilePath(), L"");
  EXPECT_EQ(RecentFilePath(), L"");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FileDialogTest, SaveAsFromANamedListMovesTheDocumentToTheNewName) {
  const std::wstring first = Dir() + L"first.txt";
  ASSERT_TRUE(WriteFileBytes(first, EncodeTaskList(kTwo)));
  StartDialog({ExePath(), first});
  const std::wstring second = Dir() + L"second.txt";
  PostClick(1003);
  Choose(kSaveAsTitle, second);
  EXPECT_EQ(Title(), L"second.txt[" + Dir() + L"] - Nagitome");
  EXPECT_EQ(CurrentFilePath(), second);
  EXPECT_EQ(RecentFilePath(), second);
  EXPECT_EQ(ReadFileBytes(second), EncodeTaskList(kTwo));
  EXPECT_EQ(ReadFileBytes(first), EncodeTaskList(kTwo));
}

TEST_F(FileDialogTest, OpenLoadsTheChosenFile) {
  const std::wstring path = Dir() + L"open me.txt";
  ASSERT_TRUE(WriteFileBytes(path, EncodeTaskList(kTwo)));
  StartDialog();
  PostClick(1001);
  Choose(kOpenTitle, path);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TheTaskList().Entries(), kTwo);
  ExpectViewMirrorsModel();
  EXPECT_EQ(TheTaskList().SelectedIndex(), 0);
  EXPECT_EQ(Title(), L"open me.txt[" + Dir() + L"] - Nagitome");
  EXPECT_EQ(RecentFilePath(), path);
}

TEST_F(FileDialogTest, CancelledOpenReselectsTheFirstEntryAndDropsUnappliedEdits) {
  const std::wstring path = Dir() + L"list.txt";
  ASSERT_TRUE(WriteFileBytes(path, EncodeTaskList(kTwo)));
  StartDialog({ExePath(), path});
  SetRowSelected(1, true);
  SetKeyword(L"unapplied");
  PostClick(1001);
  Choose(kOpenTitle, L"");
  EXPECT_EQ(TheTaskList().Entries(), kTwo);
  EXPECT_EQ(TheTaskList().SelectedIndex(), 0);
  ExpectViewMirrorsModel();
  EXPECT_EQ(WindowText(Item(1016)), L"");
  EXPECT_EQ(CurrentFilePath(), path);
}

}  // namespace
}  // namespace nagitome::uitest
