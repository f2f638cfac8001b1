// Runs the real main dialog on a thread of its own and drives it from the test thread with
// messages. A message sent across threads is handled on the dialog thread and returns when the
// handler has, so after each SendMessageW the model and the view can be read without a race.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "tasks/message.h"
#include "tasks/task_entry.h"
#include "ui/list_view.h"

namespace nagitome::uitest {

struct CapturedMessage {
  std::wstring text;
  MessageIcon icon;
  friend bool operator==(const CapturedMessage&, const CapturedMessage&) = default;
};

struct ShellCall {
  HWND owner;
  std::wstring target;
};

// What the view shows for an entry (its display texts and keyword).
RowTexts TextsOf(const TaskEntry& entry);
TaskEntry Entry(EndMethod end, MatchTarget target, MatchMethod method, std::wstring keyword);

// UTF-16LE with the mark, as a file holds it.
std::string Utf16File(std::wstring_view text);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);

// Polls for a top-level dialog with this title; null after the timeout.
HWND WaitForDialogWindow(const wchar_t* title, DWORD timeoutMs = 10000);
// Polls until the window is gone; false after the timeout.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 10000);

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the main dialog with these arguments (argument 0 included) and returns once its
  // initialisation is over and its message loop runs (or it has ended by itself).
  void StartDialog(std::vector<std::wstring> arguments);
  void StartDialog() { StartDialog({ExePath()}); }
  // True once RunMainDialog has returned on the dialog thread.
  bool DialogEnded() const;
  // WM_CLOSE and waits for the dialog thread; false if it did not end.
  bool CloseDialog();
  bool WaitForDialogEnd(DWORD timeoutMs = 10000);

  HWND Dialog() const { return dialog_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  HWND View() const { return GetDlgItem(dialog_, 2000); }
  DWORD DialogThreadId() const { return threadId_; }

  // Synchronous: returns once the dialog handled it; fails the test if it did not in time.
  LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void Click(int id) { Send(Item(id), BM_CLICK); }
  // For commands that run a modal loop of their own (file dialogs, About).
  void PostClick(int id) { PostMessageW(Item(id), BM_CLICK, 0, 0); }
  // Waits until the dialog thread is back in a message loop.
  void Sync() { Send(dialog_, WM_NULL); }

  void SetKeyword(std::wstring_view text);
  std::wstring Keyword();
  bool Checked(int id);
  void SetChecked(int id, bool checked);  // by clicking, as the user does
  bool Enabled(int id) { return IsWindowEnabled(Item(id)) != FALSE; }
  std::wstring Title();
  static std::wstring WindowText(HWND window);

  int RowCount();
  RowTexts Row(int row);
  std::vector<RowTexts> Rows();
  std::vector<int> SelectedRows();
  void SetRowSelected(int row, bool selected);  // LVM_SETITEMSTATE, as a click does

  // Checks that the view has one row per entry with its texts and the one selected row is
  // the edited entry.
  void ExpectViewMirrorsModel();

  // WM_DROPFILES with a drop of these paths.
  void Drop(const std::vector<std::wstring>& paths);

  std::vector<CapturedMessage> Messages();
  void ClearMessages();
  std::vector<ShellCall> ShellCalls();

  // A fresh folder per test, ending with a backslash; removed afterwards.
  const std::wstring& Dir() const { return dir_; }
  std::wstring WriteList(const std::wstring& name, const std::vector<TaskEntry>& entries);
  std::wstring WriteBytes(const std::wstring& name, std::string_view bytes);
  const std::wstring& SettingsFile() const { return settingsFile_; }
  void UseSettingsFile(std::wstring path);
  std::wstring ReadSetting(const wchar_t* key, const wchar_t* fallback = L"<none>");

  static std::wstring ExePath();
  static std::wstring ExeDir();

 private:
  static DWORD WINAPI DialogThread(void* self);

  std::wstring dir_;
  std::wstring settingsFile_;
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  DWORD threadId_ = 0;
  HWND dialog_ = nullptr;
  std::mutex mutex_;
  std::vector<CapturedMessage> messages_;
  std::vector<ShellCall> shellCalls_;
};

}  // namespace nagitome::uitest
