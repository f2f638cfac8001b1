// Runs the real main dialog on a thread of its own and drives it from the test thread. A message
// sent across threads returns once the dialog thread has handled it, so after each Send the model
// and the view can be read without a race.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "app/command_line.h"
#include "app/settings.h"
#include "tasks/document.h"
#include "tasks/message.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"
#include "tests/support/test_support.h"
#include "tests/support/win32_test.h"
#include "ui/editor_model.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"
#include "ui/shell.h"

namespace nagitome::uitest {

using testing_support::ReadFileBytes;
using testing_support::Utf16Le;
using testing_support::WaitUntil;
using testing_support::WindowText;
using testing_support::WriteFileBytes;

using CapturedMessage = std::pair<std::wstring, MessageIcon>;
using ShellCall = std::pair<HWND, std::wstring>;  // owner, target

// A visible dialog of this process with this title: ctest may run another UI test beside us.
inline HWND WaitForDialogWindow(const wchar_t* title) {
  HWND window = nullptr;
  const auto find = [&] {
    for (window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", title));) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId() && IsWindowVisible(window)) return true;
    }
    return false;
  };
  return WaitUntil(find) ? window : nullptr;
}
inline bool WaitForWindowGone(HWND window) { return WaitUntil([=] { return !IsWindow(window); }); }

namespace detail {  // the dialog services are plain function pointers: what they need lives here
inline std::vector<std::wstring> arguments;
inline std::atomic<HWND> dialog{nullptr};
inline std::atomic<bool> ended{false};
inline const HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
inline void InterpretCommandLine(bool startWithRecent) {
  InterpretArguments(arguments, startWithRecent, {&RefreshTaskListView, &NewTaskListCommand, &EndMainDialog});
  dialog = MainWindow();
  SetEvent(ready);
}
inline DWORD WINAPI DialogThread(void*) {
  const auto writeSettings = [](bool startWithRecent) { WriteSettings(startWithRecent); };
  RunMainDialog(GetModuleHandleW(nullptr), {&ReadSettings, writeSettings, &InterpretCommandLine, &ReadmePath, &RunTaskList});
  ended = true;
  return 0;
}
}  // namespace detail

class DialogTest : public ::testing::Test {
 protected:
  static void ResetProgram() {  // the state the program has before its entry point
    TheTaskList() = TaskList();
    CurrentFilePath().clear();
    RecentFilePath().clear();
  }
  void SetUp() override {
    ResetProgram();
    SetMessageSink([this](std::wstring_view text, MessageIcon icon) {
      std::lock_guard lock(mutex_);
      messages_.emplace_back(text, icon);
    });
    SetShellOpenHook([this](void* owner, const std::wstring& target) {
      std::lock_guard lock(mutex_);
      shellCalls_.emplace_back(static_cast<HWND>(owner), target);
    });
    SetCursorPos(0, 0);  // keeps real mouse moves away from the dialogs
    ASSERT_TRUE(folder_.ok());
    SetSettingsPathForTesting(settingsFile_ = Dir() + L"user Nagitome.ini");
  }
  void TearDown() override {
    if (thread_ && !detail::ended) PostMessageW(dialog_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForDialogEnd()) << "the main dialog did not end";
    SetMessageSink(nullptr);
    SetShellOpenHook(nullptr);
  }

  // Runs the main dialog with these arguments after argument 0; returns once its initialisation
  // is over and its loop runs, or it has ended by itself (/e).
  void StartDialog(std::vector<std::wstring> arguments = {}) {
    ASSERT_EQ(thread_, nullptr) << "one dialog at a time";
    arguments.insert(arguments.begin(), L"Nagitome.exe");
    detail::arguments = std::move(arguments);
    detail::ended = false;
    detail::dialog = nullptr;
    ResetEvent(detail::ready);
    ASSERT_NE(thread_ = CreateThread(nullptr, 0, &detail::DialogThread, nullptr, 0, nullptr), nullptr);
    const HANDLE waits[] = {detail::ready, thread_};
    ASSERT_LT(WaitForMultipleObjects(2, waits, FALSE, 20000), WAIT_OBJECT_0 + 2) << "the dialog did not start";
    ASSERT_NE(dialog_ = detail::dialog, nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
  }
  bool DialogEnded() const { return detail::ended; }
  bool WaitForDialogEnd() {
    if (thread_ && WaitForSingleObject(thread_, 10000) != WAIT_OBJECT_0) return false;
    if (thread_) CloseHandle(thread_);
    thread_ = nullptr;
    return true;
  }
  bool CloseDialog() {
    Send(dialog_, WM_CLOSE);
    return WaitForDialogEnd();
  }

  HWND Dialog() const { return dialog_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  HWND View() const { return Item(2000); }
  LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {  // fails on a timeout
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 20000, &result)) {
      ADD_FAILURE() << "message " << message << " to window " << window << " failed: " << GetLastError();
    }
    return static_cast<LRESULT>(result);
  }
  void Click(int id) { Send(Item(id), BM_CLICK); }
  void PostClick(int id) { PostMessageW(Item(id), BM_CLICK, 0, 0); }  // for commands with a modal loop
  void Sync() { Send(dialog_, WM_NULL); }                             // back in a message loop

  void SetKeyword(const std::wstring& text) { Send(Item(1016), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }
  std::wstring Title() const { return WindowText(dialog_); }
  bool Checked(int id) { return Send(Item(id), BM_GETCHECK) == BST_CHECKED; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }

  RowTexts Row(int row) const {
    RowTexts texts;
    wchar_t buffer[1024];
    for (int i = 0; i < 4; ++i) {
      ListView_GetItemText(View(), row, i, buffer, 1024);
      texts[static_cast<std::size_t>(i)] = buffer;
    }
    return texts;
  }
  std::vector<int> SelectedRows() const {
    std::vector<int> rows;
    for (int i = -1; (i = ListView_GetNextItem(View(), i, LVNI_SELECTED)) >= 0;) rows.push_back(i);
    return rows;
  }
  void SetRowSelected(int row, bool on) { ListView_SetItemState(View(), row, on ? LVIS_SELECTED : 0, LVIS_SELECTED); }
  // What the editor shows, read from its controls, with 1019's enabled state as it must be.
  TaskEntry EditorEntry() {
    EditorChecks checks{};
    for (int i = 0; i < 10; ++i) checks[i] = Checked(kFirstEditorButton + i);
    const TaskEntry entry = EntryOfEditor(checks, WindowText(Item(1016)));
    EXPECT_EQ(Enabled(1019), entry.MatchMethod != MatchMethod::Wildcard);
    return entry;
  }
  // One row per entry with its texts, the one selected row is the edited entry, and the editor
  // shows it unless it holds unapplied edits.
  void ExpectViewMirrorsModel(bool editorReloaded = true) {
    std::vector<RowTexts> expected, rows;
    for (const TaskEntry& entry : TheTaskList().Entries()) expected.push_back(RowTextsOf(entry));
    for (int i = 0; i < ListView_GetItemCount(View()); ++i) rows.push_back(Row(i));
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(SelectedRows(), std::vector<int>{TheTaskList().SelectedIndex()});
    if (editorReloaded) { EXPECT_EQ(EditorEntry(), TheTaskList().At(TheTaskList().SelectedIndex())); }
  }

  std::vector<CapturedMessage> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  void ClearMessages() {
    std::lock_guard lock(mutex_);
    messages_.clear();
  }
  std::vector<ShellCall> ShellCalls() {
    std::lock_guard lock(mutex_);
    return shellCalls_;
  }

  std::wstring Dir() const { return folder_.path() + L"\\"; }
  std::wstring WriteList(const std::wstring& name, const std::vector<TaskEntry>& entries) {
    EXPECT_TRUE(WriteFileBytes(Dir() + name, EncodeTaskList(entries)));
    return Dir() + name;
  }
  std::wstring ListTitle(const std::wstring& name) const { return name + L"[" + Dir() + L"] - Nagitome"; }
  const std::wstring& SettingsFile() const { return settingsFile_; }
  std::wstring ReadSetting(const wchar_t* key) const {  // "<none>" when missing
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(L"LATEST_FILE", key, L"<none>", value, 1024, settingsFile_.c_str());
    return value;
  }

 private:
  testing_support::TempFolder folder_;
  std::wstring settingsFile_;
  HANDLE thread_ = nullptr;
  HWND dialog_ = nullptr;
  std::mutex mutex_;
  std::vector<CapturedMessage> messages_;
  std::vector<ShellCall> shellCalls_;
};

}  // namespace nagitome::uitest
