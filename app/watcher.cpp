#include "app/watcher.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/run_log.h"
#include "app/run_log_file.h"
#include "app/start_form.h"
#include "app/window_station.h"
#include "engine/outcome.h"
#include "engine/report_text.h"
#include "engine/watch.h"
#include "engine/win32/win32_desktop.h"
#include "resource.h"
#include "tasks/file_store.h"
#include "tasks/message.h"
#include "tasks/task_file.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"
#include "ui/message_box.h"
#include "version.h"
#include "win32/handle.h"

namespace nagitome {

namespace {

constexpr wchar_t kWindowClass[] = L"NagitomeWatcher";
constexpr wchar_t kMutexName[] = L"Local\\Nagitome.Watcher";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Nagitome";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kHandoverMessage = WM_APP + 2, kStopMessage = WM_APP + 3;
constexpr UINT kIconId = 1;
// WM_COPYDATA from a later "/w" (its list and log, NUL-separated) and from "/stop".
constexpr ULONG_PTR kCopyWatch = 0x4E475731, kCopyStop = 0x4E475330;
// An editor may write a file in more than one step: the list is read once it has settled.
constexpr std::chrono::milliseconds kReloadSettle{200};

struct ChangeTraits {  // FindFirstChangeNotificationW: INVALID_HANDLE_VALUE
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindCloseChangeNotification(h); }
};
struct IconTraits {
  using Type = HICON;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

struct Options {
  std::wstring list;
  bool logAsked = false;
  std::wstring log;
  std::optional<int> waitSeconds, forceSeconds;
};

std::wstring Number(const std::optional<int>& value) { return value ? std::to_wstring(*value) : L""; }
std::optional<int> Number(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  return _wtoi(text.c_str());
}

// What says the list was saved: its last write time and size.
struct FileStamp {
  bool exists = false;
  ULONGLONG time = 0, size = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return {true, (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime,
          (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
}

std::wstring Quote(const std::wstring& text) { return L"\"" + text + L"\""; }

OutcomeTimes WatchTimes(const Options& options) {
  return TimesOf(RunOptions{options.logAsked, options.log, options.waitSeconds, options.forceSeconds, {}});
}

std::wstring ExePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

// The same command line again: what the Run value starts at logon.
std::wstring WatchArguments(const Options& options) {
  std::wstring arguments = L"/w " + Quote(options.list);
  if (options.logAsked) arguments += L" /log " + Quote(options.log);
  if (options.waitSeconds) arguments += L" /wait " + Number(options.waitSeconds);
  if (options.forceSeconds) arguments += L" /force " + Number(options.forceSeconds);
  return arguments;
}

// The program's icon washed out to grey: the paused state.
HICON MakePausedIcon(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return nullptr;
  const UniqueGdiObject<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
  BITMAP bitmap{};
  if (!color || !GetObjectW(color.get(), sizeof bitmap, &bitmap)) return nullptr;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = bitmap.bmWidth;
  format.bmiHeader.biHeight = -bitmap.bmHeight;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
  const HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, color.get(), 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
  for (std::uint32_t& p : pixels) {
    const std::uint32_t grey = 128 + ((p >> 16 & 0xFF) * 30 + (p >> 8 & 0xFF) * 59 + (p & 0xFF) * 11) / 200;
    p = (p & 0xFF000000) | grey << 16 | grey << 8 | grey;
  }
  ReleaseDC(nullptr, screen);
  // A DIB section keeps the alpha channel whatever the screen's depth.
  void* bits = nullptr;
  const UniqueGdiObject<HBITMAP> grey(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  const bool made = rows && grey && bits;
  if (made) std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
  ICONINFO paused{TRUE, 0, 0, mask.get(), grey.get()};
  return made ? CreateIconIndirect(&paused) : nullptr;
}

class Session {
 public:
  Session(HINSTANCE instance, Options options) : instance_(instance), options_(std::move(options)) {}
  ~Session() {
    for (const HWINEVENTHOOK hook : hooks_) UnhookWinEvent(hook);
  }

  // The first start: false (exit code 2) when the list cannot be loaded.
  bool Start(std::wstring& failure);
  int Loop();
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Report(HWND window) {
    if (!paused_ && watcher_) watcher_->Report(reinterpret_cast<WindowHandle>(window), WatchClock::now());
  }
  int ExitCode() const { return exitCode_; }

 private:
  bool Begin(std::wstring& failure);
  bool LoadList(std::wstring& failure);
  void Carried(WatchPass&& pass, bool firstOfLoad = false);
  void Judged(const WatchPass& pass);
  void PollOutcomes(bool toTheEnd);
  void Act(const TerminationAction& action);
  void Tick(WatchClock::time_point now);
  void ReloadIfSaved();
  void Finish();
  void Handover();
  void SetPaused(bool paused);
  void ShowMenu(POINT at);
  void UpdateIcon(DWORD message);
  bool StartsAtLogon() const;
  void SetStartsAtLogon(bool on);
  void WatchFolder();

  HINSTANCE instance_;
  Options options_;
  Win32Desktop desktop_;
  std::unique_ptr<Watcher> watcher_;
  std::unique_ptr<RunLogFile> log_;
  RunCounts counts_;
  int ended_ = 0;  // windows closed and processes ended, for the tip
  bool paused_ = false, notReloaded_ = false, finished_ = true, targetLeft_ = false;
  std::list<WatchPass> passes_;  // carried out, outcomes pending
  int exitCode_ = 0;
  HWND window_ = nullptr;
  std::vector<HWINEVENTHOOK> hooks_;
  UniqueHandle<ChangeTraits> change_;
  FileStamp stamp_;
  WatchClock::time_point nextScan_{};
  std::optional<WatchClock::time_point> reloadAt_;
  UniqueIcon icon_, pausedIcon_;
  UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  std::wstring handover_;  // the payload of the latest WM_COPYDATA from a later "/w"
};

Session* g_session = nullptr;

bool Session::LoadList(std::wstring& failure) {
  failure = PathFileExistsW(options_.list.c_str()) ? L"" : texts::kBadCommandLinePath;
  if (failure.empty()) {
    MessageSink shown = SetMessageSink([&](std::wstring_view text, MessageIcon) { failure = text; });
    LoadTaskListFile(options_.list);
    SetMessageSink(std::move(shown));
  }
  stamp_ = StampOf(options_.list);
  return failure.empty();
}

// The log's start line, the list loaded and run once over the whole desktop as "/e" runs it. A
// list that cannot be loaded keeps the rules there are (none at the first start).
bool Session::Begin(std::wstring& failure) {
  const bool logOnList = options_.logAsked && SameFile(options_.log, options_.list);
  log_ = options_.logAsked ? std::make_unique<RunLogFile>(logOnList ? L"" : options_.log)
                           : std::make_unique<RunLogFile>();
  log_->Write(LogStartLine(options_.list, L"" NAGITOME_VERSION_STRING, GetCurrentProcessId()));
  finished_ = false;
  counts_ = {};
  targetLeft_ = false;
  if (!LoadList(failure)) {
    log_->Write(LogNotLoadedLine(failure));
    notReloaded_ = watcher_ != nullptr;
    return false;
  }
  notReloaded_ = false;
  watcher_ = std::make_unique<Watcher>(desktop_, TheTaskList(), GetCurrentProcessId(), kRegexBudgetPerEntry,
                                       WatchTimes(options_));
  counts_.rejected += static_cast<int>(watcher_->InvalidEntries().size());
  Carried(watcher_->RunOnce([this](const TerminationAction& a) { Act(a); }), true);
  nextScan_ = WatchClock::now() + kWatchScanInterval;
  WatchFolder();
  return true;
}

bool Session::Start(std::wstring& failure) {
  if (!Begin(failure)) {
    exitCode_ = 2;
    Finish();
    return false;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (!g_session) return DefWindowProcW(window, message, wParam, lParam);
    return g_session->Handle(window, message, wParam, lParam);
  };
  wc.hInstance = instance_;
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
  // A hidden top-level window, not a message-only one: TaskbarCreated is broadcast to top-level
  // windows, and "/stop" and a later "/w" find it by its class.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            instance_, nullptr);
  if (!window_) {
    Finish();
    return false;
  }
  const int small = GetSystemMetrics(SM_CXSMICON);
  icon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, small, small, 0)));
  if (icon_) pausedIcon_.reset(MakePausedIcon(icon_.get()));
  UpdateIcon(NIM_ADD);
  // Three narrow hooks: a range would take mouse and caret events too.
  for (const DWORD event : {EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE}) {
    const HWINEVENTHOOK hook = SetWinEventHook(
        event, event, nullptr,
        [](HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
          if (object != OBJID_WINDOW || child != CHILDID_SELF || !window || !g_session) return;
          if (GetAncestor(window, GA_ROOT) == window) g_session->Report(window);
        },
        0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (hook) hooks_.push_back(hook);
  }
  return true;
}

void Session::Act(const TerminationAction& action) {
  const bool close = action.endMethod == EndMethod::CloseWindow;
  if (!action.protectedProcess) ++(close ? counts_.closes : counts_.kills);
  log_->Write(LogActionLine(action), !close);
}

// After the actions of one test or scan: after a load's first run the entries rejected, then
// those cut short, each once per load. The outcomes follow as they are judged.
void Session::Carried(WatchPass&& pass, bool firstOfLoad) {
  for (const int i : firstOfLoad ? watcher_->InvalidEntries() : std::vector<int>()) {
    log_->Write(LogEntryLine(false, i, TheTaskList().At(i).Keyword), false);
  }
  for (const int i : watcher_->TakeCutShort()) {
    ++counts_.cutShort;
    log_->Write(LogEntryLine(true, i, TheTaskList().At(i).Keyword), false);
  }
  log_->Flush();
  if (pass.plan.actions.empty()) return;
  passes_.push_back(std::move(pass));
  PollOutcomes(false);
}

// One outcome line per action, in their order, once every action of the pass has its outcome.
void Session::Judged(const WatchPass& pass) {
  for (std::size_t i = 0; i < pass.plan.actions.size(); ++i) {
    const ActionOutcome& result = pass.outcomes.Results()[i];
    log_->Write(LogOutcomeLine(pass.plan.actions[i], OutcomeWord(result.outcome), result.exitCode), false);
    ++counts_.outcomes[static_cast<int>(result.outcome)];
    targetLeft_ = targetLeft_ || LeftRunning(result.outcome);
    const Outcome o = result.outcome;
    if (o == Outcome::Closed || o == Outcome::Ended || o == Outcome::ForcedEnded || o == Outcome::NotChecked) {
      ++ended_;
    }
  }
  log_->Flush();
  UpdateIcon(NIM_MODIFY);
}

// Judges what can be judged now; toTheEnd waits for the rest (without taking messages: the end
// line is being written).
void Session::PollOutcomes(bool toTheEnd) {
  for (auto pass = passes_.begin(); pass != passes_.end();) {
    for (pass->outcomes.Poll(); toTheEnd && !pass->outcomes.Done(); pass->outcomes.Poll()) {
      std::vector<HANDLE> handles;
      for (const ProcessToken token : pass->outcomes.WaitTokens()) handles.push_back(reinterpret_cast<HANDLE>(token));
      handles.resize(std::min<std::size_t>(handles.size(), MAXIMUM_WAIT_OBJECTS));
      const auto wait = std::clamp<std::int64_t>(pass->outcomes.NextDeadline() - desktop_.Now(), 0, 1000);
      if (handles.empty()) Sleep(static_cast<DWORD>(wait));
      else WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, static_cast<DWORD>(wait));
    }
    if (!pass->outcomes.Done()) {
      ++pass;
      continue;
    }
    Judged(*pass);
    pass = passes_.erase(pass);
  }
}

void Session::WatchFolder() {
  std::wstring folder = options_.list;
  folder.resize(folder.find_last_of(L"\\/") == std::wstring::npos ? 0 : folder.find_last_of(L"\\/") + 1);
  change_.reset(FindFirstChangeNotificationW(folder.c_str(), FALSE,
                                             FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                 FILE_NOTIFY_CHANGE_SIZE));
}

void Session::ReloadIfSaved() {
  if (StampOf(options_.list) == stamp_) return;
  log_->Write(L"reload\t" + EscapeReportText(options_.list));
  std::wstring failure;
  if (!LoadList(failure)) {
    log_->Write(LogNotLoadedLine(failure));
    notReloaded_ = true;
  } else {
    notReloaded_ = false;
    watcher_->Load(TheTaskList());
    counts_.rejected += static_cast<int>(watcher_->InvalidEntries().size());
    for (const int i : watcher_->InvalidEntries()) log_->Write(LogEntryLine(false, i, TheTaskList().At(i).Keyword));
    nextScan_ = WatchClock::now();  // the new rules act at once
  }
  UpdateIcon(NIM_MODIFY);
}

void Session::Tick(WatchClock::time_point now) {
  if (reloadAt_ && now >= *reloadAt_) {
    reloadAt_.reset();
    ReloadIfSaved();
  }
  const auto act = [this](const TerminationAction& a) { Act(a); };
  if (!paused_) {
    for (const WindowHandle handle : watcher_->TakeDue(now)) {
      RawWindow raw = ReadWindow(handle);
      // Gone already: the next scan forgets it.
      if (!IsWindow(reinterpret_cast<HWND>(handle)) || raw.processId == 0) continue;
      Carried(watcher_->Test(std::move(raw), act));
    }
  }
  if (now < nextScan_) return;
  // The list is compared at every scan too: a folder that reports no change is still watched.
  if (!reloadAt_) ReloadIfSaved();
  if (!paused_) Carried(watcher_->Scan(act));
  nextScan_ = WatchClock::now() + kWatchScanInterval;
}

int Session::Loop() {
  for (;;) {
    const auto now = WatchClock::now();
    auto wake = nextScan_;
    if (const auto due = watcher_->NextDue(); due && !paused_ && *due < wake) wake = *due;
    if (reloadAt_ && *reloadAt_ < wake) wake = *reloadAt_;
    // The change notification first, then the processes and commands outcomes wait on.
    std::vector<HANDLE> handles;
    if (change_) handles.push_back(change_.get());
    for (const WatchPass& pass : passes_) {
      wake = std::min(wake, now + std::chrono::milliseconds(pass.outcomes.NextDeadline() - desktop_.Now()));
      for (const ProcessToken token : pass.outcomes.WaitTokens()) handles.push_back(reinterpret_cast<HANDLE>(token));
    }
    if (handles.size() > MAXIMUM_WAIT_OBJECTS - 1) {  // the rest are looked at every 100 ms
      handles.resize(MAXIMUM_WAIT_OBJECTS - 1);
      wake = std::min(wake, now + std::chrono::milliseconds(100));
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
    const DWORD woke = MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(),
                                                   wait > 0 ? static_cast<DWORD>(wait) : 0, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
    if (change_ && woke == WAIT_OBJECT_0) {
      if (!FindNextChangeNotification(change_.get())) change_.reset();
      if (!reloadAt_) reloadAt_ = WatchClock::now() + kReloadSettle;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    PollOutcomes(false);
    if (window_) Tick(WatchClock::now());
  }
}

// The end line with the totals, once per log.
void Session::Finish() {
  if (finished_) return;
  finished_ = true;
  PollOutcomes(true);
  const bool notLoaded = exitCode_ == 2, entryFailed = counts_.rejected + counts_.cutShort > 0;
  exitCode_ = RunExitCode(notLoaded, entryFailed, targetLeft_, log_->Failed());
  log_->Write(LogEndLine(counts_, exitCode_));
  exitCode_ = RunExitCode(notLoaded, entryFailed, targetLeft_, log_->Failed());  // the end line itself may fail
}

// A later "/w": its list and log replace ours, as if this watcher had been started with them.
void Session::Handover() {
  const std::wstring payload = std::exchange(handover_, {});
  std::vector<std::wstring> parts;
  for (std::size_t at = 0;;) {
    const std::size_t end = payload.find(L'\0', at);
    parts.push_back(payload.substr(at, end - at));
    if (end == std::wstring::npos) break;
    at = end + 1;
  }
  if (parts.size() != 5) return;
  Finish();
  exitCode_ = 0;
  options_ = {parts[0], parts[1] == L"1", parts[2], Number(parts[3]), Number(parts[4])};
  paused_ = false;
  std::wstring failure;
  Begin(failure);
  UpdateIcon(NIM_MODIFY);
}

void Session::SetPaused(bool paused) {
  if (paused_ == paused) return;
  paused_ = paused;
  log_->Write(paused ? L"pause" : L"resume");
  // Resumed: what appeared meanwhile is new to the next scan, which comes at once.
  if (!paused) nextScan_ = WatchClock::now();
  UpdateIcon(NIM_MODIFY);
}

void Session::UpdateIcon(DWORD message) {
  if (!window_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = paused_ && pausedIcon_ ? pausedIcon_.get() : icon_.get();
  const std::wstring name = options_.list.substr(options_.list.find_last_of(L"\\/") + 1);
  std::wstring tip = (paused_ ? texts::kWatchTipPaused : texts::kWatchTipWatching) + name;
  tip += notReloaded_ ? std::wstring(texts::kWatchTipNotReloaded)
                      : texts::kWatchTipEnded + std::to_wstring(ended_) + texts::kWatchTipEndedTail;
  lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
  if (!Shell_NotifyIconW(message, &data) && message == NIM_MODIFY) {  // Explorer was not there yet
    message = NIM_ADD;
    Shell_NotifyIconW(message, &data);
  }
  if (message == NIM_ADD) {
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
  }
}

bool Session::StartsAtLogon() const {
  return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

void Session::SetStartsAtLogon(bool on) {
  if (!on) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
    return;
  }
  const std::wstring command = Quote(ExePath()) + L" " + WatchArguments(options_);
  RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_SZ, command.c_str(),
                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

void Session::ShowMenu(POINT at) {
  const HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, IDM_WATCH_PAUSE, paused_ ? texts::kWatchResume : texts::kWatchPause);
  AppendMenuW(menu, MF_STRING, IDM_WATCH_EDIT, texts::kWatchEdit);
  AppendMenuW(menu, MF_STRING | (StartsAtLogon() ? MF_CHECKED : 0), IDM_WATCH_AT_LOGON, texts::kWatchAtLogon);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, IDM_WATCH_EXIT, texts::kWatchExit);
  // In front first, or the menu stays open once the user clicks elsewhere.
  SetForegroundWindow(window_);
  const UINT flags = TPM_RIGHTBUTTON | (GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
  TrackPopupMenuEx(menu, flags, at.x, at.y, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

LRESULT Session::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && window == window_) {
    UpdateIcon(NIM_ADD);
    return 0;
  }
  switch (message) {
    case kTrayMessage:
      switch (LOWORD(lParam)) {
        case WM_CONTEXTMENU:
        case NIN_SELECT:
        case NIN_KEYSELECT:
          ShowMenu({GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
      }
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_WATCH_PAUSE: SetPaused(!paused_); break;
        case IDM_WATCH_EDIT: {
          std::wstring command = Quote(ExePath()) + L" " + Quote(options_.list);
          STARTUPINFOW startup{};
          startup.cb = sizeof startup;
          PROCESS_INFORMATION started{};
          if (CreateProcessW(ExePath().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &started)) {
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
          }
          break;
        }
        case IDM_WATCH_AT_LOGON: SetStartsAtLogon(!StartsAtLogon()); break;
        case IDM_WATCH_EXIT: DestroyWindow(window); break;
      }
      return 0;
    // Answered at once and acted on from the loop: the sender is not kept waiting on a run,
    // and nothing is started from inside another process's SendMessage.
    case WM_COPYDATA: {
      const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data.dwData != kCopyStop && data.dwData != kCopyWatch) return FALSE;
      if (data.dwData == kCopyWatch) {
        handover_.assign(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
      }
      PostMessageW(window, data.dwData == kCopyStop ? kStopMessage : kHandoverMessage, 0, 0);
      return TRUE;
    }
    case kHandoverMessage:
      Handover();
      return 0;
    case kStopMessage:
      DestroyWindow(window);
      return 0;
    case WM_CLOSE:  // any run may post it to every window: only the menu and "/stop" end the watcher
      return 0;
    case WM_ENDSESSION:
      if (wParam) Finish();
      return 0;
    case WM_DESTROY: {
      NOTIFYICONDATAW data{};
      data.cbSize = sizeof data;
      data.hWnd = window;
      data.uID = kIconId;
      Shell_NotifyIconW(NIM_DELETE, &data);
      Finish();
      window_ = nullptr;
      PostQuitMessage(exitCode_);
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND FindWatcher(DWORD waitMs) {
  for (const ULONGLONG end = GetTickCount64() + waitMs;; Sleep(50)) {
    if (const HWND window = FindWindowW(kWindowClass, nullptr)) return window;
    if (GetTickCount64() >= end) return nullptr;
  }
}

// 0 when the session's watcher took the message, 1 when none did.
int SendToWatcher(ULONG_PTR kind, const std::wstring& payload, DWORD waitMs) {
  const HWND window = FindWatcher(waitMs);
  if (!window) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  COPYDATASTRUCT data{kind, static_cast<DWORD>(payload.size() * sizeof(wchar_t)),
                      const_cast<wchar_t*>(payload.data())};
  DWORD_PTR result = FALSE;
  if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                           &result) ||
      result != TRUE) {
    return 1;
  }
  // Stopped: its end line is written once its process is gone.
  if (kind == kCopyStop && process) WaitForSingleObject(process.get(), 10000);
  return 0;
}

}  // namespace

std::optional<int> RunWatchCommandLine(HINSTANCE instance) {
  const StartForm form = ReadStartForm(CommandLineArguments(), false, {}, [](const std::wstring&) { return true; });
  if (form.action == StartAction::Stop) return SendToWatcher(kCopyStop, L"", 0);
  if (form.action != StartAction::Watch) return std::nullopt;

  const bool visible = WindowStationVisible();
  SetMessageSink(visible ? MessageSink(&ShowMessageBox) : [](std::wstring_view, MessageIcon) {});
  // Full paths: the watcher outlives the current folder, and a later "/w" hands its paths over.
  const auto full = [](const std::wstring& path) {
    const std::wstring name = path.empty() ? L"" : FullPathName(path);
    return name.empty() ? path : name;
  };
  Options options{full(form.list), form.logAsked, full(form.log), form.waitSeconds, form.forceSeconds};
  if (!form.badOption.empty()) {  // nothing runs: a log asked for says why
    RunLogFile log = form.logAsked ? RunLogFile(options.log) : RunLogFile();
    log.Write(LogStartLine(options.list, L"" NAGITOME_VERSION_STRING, GetCurrentProcessId()));
    log.Write(LogBadOptionLine(form.badOption));
    log.Write(LogEndLine({}, 2));
    ShowError(texts::kBadCommandLine);
    return 2;
  }
  const UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, kMutexName));
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    if (!PathFileExistsW(options.list.c_str())) {
      ShowError(texts::kBadCommandLinePath);
      return 2;
    }
    const std::wstring payload = options.list + L'\0' + (options.logAsked ? L"1" : L"0") + L'\0' + options.log +
                                 L'\0' + Number(options.waitSeconds) + L'\0' + Number(options.forceSeconds);
    return SendToWatcher(kCopyWatch, payload, 5000);
  }
  // ShellExecuteW starts the taskkills: COM in this thread's apartment, as it asks.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  Session session(instance, std::move(options));
  g_session = &session;
  std::wstring failure;
  int code = 2;
  if (session.Start(failure)) code = session.Loop();
  else if (!failure.empty()) ShowError(failure);
  g_session = nullptr;
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}

}  // namespace nagitome
