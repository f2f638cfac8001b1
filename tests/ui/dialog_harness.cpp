#include "dialog_harness.h"

#include <shlobj.h>

#include <atomic>
#include <filesystem>

#include "app/command_line.h"
#include "app/settings.h"
#include "tasks/document.h"
#include "tasks/handle.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"
#include "ui/main_dialog.h"
#include "ui/shell.h"

namespace nagitome::uitest {

namespace {

constexpr DWORD kSendTimeoutMs = 20000;
constexpr int kTextUnits = 1024;

// The dialog services are plain function pointers: what they need lives here.
std::vector<std::wstring> g_arguments;
std::atomic<HWND> g_dialog{nullptr};
std::atomic<bool> g_ended{false};
HANDLE g_ready = nullptr;

void InterpretTestArguments() {
  InterpretArguments(g_arguments);
  g_dialog = static_cast<HWND>(MainWindow());
  SetEvent(g_ready);
}

}  // namespace

RowTexts TextsOf(const TaskEntry& entry) {
  // Spelled out here rather than taken from the program, so a wrong display text shows.
  static const wchar_t* const kEnd[] = {L"ウィンドウを閉じる", L"taskkill"};
  static const wchar_t* const kTarget[] = {L"ウィンドウタイトル", L"ウィンドウクラス名",
                                           L"ウィンドウタイトル（ウィンドウクラス名）", L"プロセス名"};
  static const wchar_t* const kMethod[] = {L"ワイルドカード", L"正規表現（大小区別する）",
                                           L"正規表現（大小区別しない）"};
  return {kEnd[static_cast<int>(entry.EndMethod)], kTarget[static_cast<int>(entry.MatchTarget)],
          kMethod[static_cast<int>(entry.MatchMethod)], entry.Keyword};
}

TaskEntry Entry(EndMethod end, MatchTarget target, MatchMethod method, std::wstring keyword) {
  TaskEntry entry;
  entry.EndMethod = end;
  entry.MatchTarget = target;
  entry.MatchMethod = method;
  entry.Keyword = std::move(keyword);
  return entry;
}

std::string Utf16File(std::wstring_view text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t unit : text) {
    const auto value = static_cast<std::uint16_t>(unit);
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
  }
  return bytes;
}

std::string ReadFileBytes(const std::wstring& path) {
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

HWND WaitForDialogWindow(const wchar_t* title, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  do {
    if (HWND window = FindWindowW(L"#32770", title); window && IsWindowVisible(window)) return window;
    Sleep(10);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

void DialogTest::SetUp() {
  // Every test starts from the state the program has before its entry point.
  TheTaskList() = TaskList();
  CurrentFilePath().clear();
  RecentFilePath().clear();
  SetMainWindow(nullptr);
  g_dialog = nullptr;
  g_ended = false;
  SetMessageSink([this](std::wstring_view text, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    messages_.push_back({std::wstring(text), icon});
  });
  SetShellOpenHook([this](void* owner, const std::wstring& target) {
    std::lock_guard lock(mutex_);
    shellCalls_.push_back({static_cast<HWND>(owner), target});
  });
  // Keep the pointer away from the dialogs, so no real mouse move reaches them.
  SetCursorPos(0, 0);

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  static int counter = 0;
  dir_ = std::wstring(temp) + L"nagitome-ui-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter) + L"\\";
  ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr)) << GetLastError();
  UseSettingsFile(dir_ + L"user Nagitome.ini");
}

void DialogTest::TearDown() {
  if (thread_) {
    if (!DialogEnded()) {
      PostMessageW(dialog_, WM_CLOSE, 0, 0);
      if (!WaitForDialogEnd()) ADD_FAILURE() << "the main dialog did not end";
    }
    if (WaitForSingleObject(thread_, 10000) == WAIT_OBJECT_0) CloseHandle(thread_);
    thread_ = nullptr;
  }
  if (ready_) CloseHandle(ready_);
  ready_ = nullptr;
  SetMessageSink(nullptr);
  SetShellOpenHook(nullptr);
  std::error_code error;
  std::filesystem::remove_all(std::filesystem::path(dir_), error);
}

DWORD WINAPI DialogTest::DialogThread(void*) {
  MainDialogServices services;
  services.readSettings = &ReadSettings;
  services.writeSettings = [](bool startWithRecent) { WriteSettings(startWithRecent); };
  services.interpretCommandLine = &InterpretTestArguments;
  services.readmePath = &ReadmePath;
  RunMainDialog(GetModuleHandleW(nullptr), services);
  g_ended = true;
  return 0;
}

void DialogTest::StartDialog(std::vector<std::wstring> arguments) {
  ASSERT_EQ(thread_, nullptr) << "one dialog at a time";
  g_arguments = std::move(arguments);
  g_ended = false;
  g_dialog = nullptr;
  if (!ready_) ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ResetEvent(ready_);
  g_ready = ready_;
  thread_ = CreateThread(nullptr, 0, &DialogThread, this, 0, &threadId_);
  ASSERT_NE(thread_, nullptr);
  const HANDLE waits[] = {ready_, thread_};
  ASSERT_LT(WaitForMultipleObjects(2, waits, FALSE, 20000), WAIT_OBJECT_0 + 2) << "the dialog did not start";
  dialog_ = g_dialog;
  ASSERT_NE(dialog_, nullptr);
  // Let initialisation finish; a dialog that ends itself there (/e) may be gone already.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &ignored);
}

bool DialogTest::DialogEnded() const { return g_ended; }

bool DialogTest::WaitForDialogEnd(DWORD timeoutMs) {
  if (!thread_) return true;
  if (WaitForSingleObject(thread_, timeoutMs) != WAIT_OBJECT_0) return false;
  CloseHandle(thread_);
  thread_ = nullptr;
  return true;
}

bool DialogTest::CloseDialog() {
  Send(dialog_, WM_CLOSE);
  return WaitForDialogEnd();
}

LRESULT DialogTest::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) {
    ADD_FAILURE() << "message " << message << " to window " << window << " failed: " << GetLastError();
  }
  return static_cast<LRESULT>(result);
}

void DialogTest::SetKeyword(std::wstring_view text) {
  const std::wstring terminated(text);
  Send(Item(1016), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

std::wstring DialogTest::WindowText(HWND window) {
  std::wstring text(64 * 1024, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

std::wstring DialogTest::Keyword() { return WindowText(Item(1016)); }
std::wstring DialogTest::Title() { return WindowText(dialog_); }

bool DialogTest::Checked(int id) { return Send(Item(id), BM_GETCHECK) == BST_CHECKED; }

void DialogTest::SetChecked(int id, bool checked) {
  if (Checked(id) != checked) Click(id);
  EXPECT_EQ(Checked(id), checked) << "control " << id;
}

int DialogTest::RowCount() { return static_cast<int>(Send(View(), LVM_GETITEMCOUNT)); }

RowTexts DialogTest::Row(int row) {
  RowTexts texts;
  for (int i = 0; i < 4; ++i) {
    wchar_t buffer[kTextUnits] = {};
    LVITEMW item{};
    item.iSubItem = i;
    item.pszText = buffer;
    item.cchTextMax = kTextUnits;
    Send(View(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    texts[static_cast<std::size_t>(i)] = buffer;
  }
  return texts;
}

std::vector<RowTexts> DialogTest::Rows() {
  std::vector<RowTexts> rows;
  const int count = RowCount();
  for (int i = 0; i < count; ++i) rows.push_back(Row(i));
  return rows;
}

std::vector<int> DialogTest::SelectedRows() {
  std::vector<int> rows;
  const int count = RowCount();
  for (int i = 0; i < count; ++i) {
    if (Send(View(), LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) & LVIS_SELECTED) rows.push_back(i);
  }
  return rows;
}

void DialogTest::SetRowSelected(int row, bool selected) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  Send(View(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void DialogTest::ExpectViewMirrorsModel() {
  const TaskList& list = TheTaskList();
  std::vector<RowTexts> expected;
  for (const TaskEntry& entry : list.Entries()) expected.push_back(TextsOf(entry));
  EXPECT_EQ(Rows(), expected);
  EXPECT_EQ(SelectedRows(), std::vector<int>{list.SelectedIndex()});
}

void DialogTest::Drop(const std::vector<std::wstring>& paths) {
  std::size_t units = 1;  // the list's closing zero
  for (const std::wstring& path : paths) units += path.size() + 1;
  const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
  ASSERT_NE(memory, nullptr);
  auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(files) + sizeof(DROPFILES));
  for (const std::wstring& path : paths) {
    out = std::copy(path.begin(), path.end(), out);
    *out++ = L'\0';
  }
  *out = L'\0';
  GlobalUnlock(memory);
  Send(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(memory));  // the dialog releases it
}

std::vector<CapturedMessage> DialogTest::Messages() {
  std::lock_guard lock(mutex_);
  return messages_;
}

void DialogTest::ClearMessages() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

std::vector<ShellCall> DialogTest::ShellCalls() {
  std::lock_guard lock(mutex_);
  return shellCalls_;
}

std::wstring DialogTest::WriteList(const std::wstring& name, const std::vector<TaskEntry>& entries) {
  return WriteBytes(name, EncodeTaskList(entries));
}

std::wstring DialogTest::WriteBytes(const std::wstring& name, std::string_view bytes) {
  const std::wstring path = dir_ + name;
  EXPECT_TRUE(WriteFileBytes(path, bytes)) << "cannot write the test file";
  return path;
}

void DialogTest::UseSettingsFile(std::wstring path) {
  settingsFile_ = std::move(path);
  SetSettingsPathForTesting(settingsFile_);
}

std::wstring DialogTest::ReadSetting(const wchar_t* key, const wchar_t* fallback) {
  wchar_t value[kTextUnits] = {};
  GetPrivateProfileStringW(L"LATEST_FILE", key, fallback, value, kTextUnits, settingsFile_.c_str());
  return value;
}

std::wstring DialogTest::ExePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring DialogTest::ExeDir() {
  std::wstring path = ExePath();
  path.resize(path.find_last_of(L'\\') + 1);
  return path;
}

}  // namespace nagitome::uitest
