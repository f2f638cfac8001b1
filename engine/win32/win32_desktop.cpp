#include "engine/win32/win32_desktop.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "tasks/task_entry.h"
#include "win32/handle.h"

namespace nagitome {

namespace {

// No exception crosses into the system: a window whose record cannot be allocated is left out.
BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM param) try {
  const auto& visit = *reinterpret_cast<const std::function<void(RawWindow&&)>*>(param);
  visit(ReadWindow(reinterpret_cast<WindowHandle>(hwnd)));
  return TRUE;
} catch (...) {
  return TRUE;
}

// The least access that names a process: granted for elevated and service processes too, so
// that a rule for them matches and its outcome can say why it did not end.
UniqueKernelHandle OpenToQuery(std::uint32_t processId) {
  return UniqueKernelHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

std::wstring ImagePath(std::uint32_t processId, DWORD form) {
  const UniqueKernelHandle process = OpenToQuery(processId);
  wchar_t path[kTextBufferUnits];
  DWORD length = kTextBufferUnits;
  if (!process || !QueryFullProcessImageNameW(process.get(), form, path, &length)) return {};
  return std::wstring(path, length);
}

}  // namespace

RawWindow ReadWindow(WindowHandle window) {
  const HWND hwnd = reinterpret_cast<HWND>(window);
  RawWindow raw;
  raw.handle = window;
  wchar_t buffer[kTextBufferUnits];
  buffer[0] = L'\0';
  GetWindowTextW(hwnd, buffer, kTextBufferUnits);
  raw.title = buffer;
  buffer[0] = L'\0';
  GetClassNameW(hwnd, buffer, kTextBufferUnits);
  raw.className = buffer;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  raw.processId = pid;
  return raw;
}

void Win32Desktop::EnumerateWindows(const std::function<void(RawWindow&&)>& visit) {
  EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

bool Win32Desktop::EnumerateProcessIds(std::uint32_t* ids, std::uint32_t capacityBytes,
                                       std::uint32_t& bytesReturned) {
  DWORD returned = 0;
  static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
  if (!EnumProcesses(reinterpret_cast<DWORD*>(ids), capacityBytes, &returned)) return false;
  bytesReturned = returned;
  return true;
}

std::wstring Win32Desktop::ProcessImagePath(std::uint32_t processId) {
  return ImagePath(processId, PROCESS_NAME_NATIVE);
}

std::wstring Win32Desktop::ProcessWin32Path(std::uint32_t processId) { return ImagePath(processId, 0); }

std::optional<bool> Win32Desktop::ProcessCritical(std::uint32_t processId) {
  // From Windows 8.1 on; looked up at run time so the program still starts on older systems.
  using IsCritical = BOOL(WINAPI*)(HANDLE, PBOOL);
  static const auto isCritical =
      reinterpret_cast<IsCritical>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                                          "IsProcessCritical")));
  const UniqueKernelHandle process = isCritical ? OpenToQuery(processId) : UniqueKernelHandle();
  BOOL critical = FALSE;
  if (!process || !isCritical(process.get(), &critical)) return std::nullopt;
  return critical != FALSE;
}

std::wstring Win32Desktop::SystemFolder() { return SystemDirectory(); }

PostResult Win32Desktop::PostClose(WindowHandle window) {
  if (PostMessageW(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0)) return PostResult::Posted;
  return GetLastError() == ERROR_INVALID_WINDOW_HANDLE ? PostResult::Gone : PostResult::Denied;
}

// Its process is kept, so that its exit code can be read; a console nobody sees.
ProcessToken Win32Desktop::StartTaskkill(std::uint32_t processId) {
  const std::wstring interpreter = SystemCommandInterpreter();
  if (interpreter.empty()) return 0;
  const std::wstring folder = SystemDirectory();
  std::wstring command = L"\"" + interpreter + L"\" /c taskkill /f /pid " + std::to_wstring(processId);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(interpreter.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      folder.c_str(), &startup, &started)) {
    return 0;
  }
  CloseHandle(started.hThread);
  return reinterpret_cast<ProcessToken>(started.hProcess);
}

HeldProcess Win32Desktop::HoldProcess(std::uint32_t processId) {
  const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process) return {reinterpret_cast<ProcessToken>(process), false};
  return {0, GetLastError() == ERROR_INVALID_PARAMETER};  // no such process; else one we may not watch
}

void Win32Desktop::Release(ProcessToken token) { CloseHandle(reinterpret_cast<HANDLE>(token)); }

std::optional<std::uint32_t> Win32Desktop::EndedWith(ProcessToken token) {
  const auto process = reinterpret_cast<HANDLE>(token);
  DWORD code = 0;
  if (!token || WaitForSingleObject(process, 0) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code)) return {};
  return code;
}

bool Win32Desktop::WindowStillThere(WindowHandle window, std::uint32_t processId, std::wstring_view className) {
  const auto hwnd = reinterpret_cast<HWND>(window);
  DWORD owner = 0;
  if (!IsWindow(hwnd) || !GetWindowThreadProcessId(hwnd, &owner) || owner != processId) return false;
  wchar_t name[kTextBufferUnits] = {};
  GetClassNameW(hwnd, name, kTextBufferUnits);
  return className == name;
}

std::vector<std::pair<WindowHandle, std::uint32_t>> Win32Desktop::VisibleDialogs() {
  std::vector<std::pair<WindowHandle, std::uint32_t>> dialogs;
  EnumWindows([](HWND hwnd, LPARAM param) {
    wchar_t name[8] = {};
    DWORD owner = 0;
    if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 8) && !lstrcmpW(name, L"#32770") &&
        GetWindowThreadProcessId(hwnd, &owner)) {
      reinterpret_cast<std::vector<std::pair<WindowHandle, std::uint32_t>>*>(param)->emplace_back(
          reinterpret_cast<WindowHandle>(hwnd), owner);
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

bool Win32Desktop::Responds(WindowHandle window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(reinterpret_cast<HWND>(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &result) != 0;
}

std::uint32_t Win32Desktop::OwnProcessId() { return GetCurrentProcessId(); }

std::int64_t Win32Desktop::Now() { return static_cast<std::int64_t>(GetTickCount64()); }

void Win32Desktop::Wait(const std::vector<ProcessToken>& tokens, std::int64_t deadline) {
  // One wait takes at most 63 handles besides the message queue: beyond them, look again soon.
  std::vector<HANDLE> handles;
  for (std::size_t i = 0; i < tokens.size() && i < MAXIMUM_WAIT_OBJECTS - 1; ++i) {
    handles.push_back(reinterpret_cast<HANDLE>(tokens[i]));
  }
  std::int64_t timeout = std::max<std::int64_t>(0, deadline - Now());
  if (tokens.size() > handles.size()) timeout = std::min<std::int64_t>(timeout, 20);
  MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(), static_cast<DWORD>(timeout),
                              QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {  // for the loop that waits on it
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::wstring SystemDirectory() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length);
}

std::wstring SystemCommandInterpreter() {
  std::wstring folder = SystemDirectory();
  if (folder.empty()) return {};
  if (folder.back() != L'\\') folder += L'\\';
  return folder + L"cmd.exe";
}

}  // namespace nagitome
