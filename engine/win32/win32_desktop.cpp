#include "engine/win32/win32_desktop.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <string>

#include "tasks/task_entry.h"
#include "win32/handle.h"

namespace nagitome {

namespace {

// No exception crosses into the system: a window whose record cannot be allocated is left out.
BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM param) try {
  const auto& visit = *reinterpret_cast<const std::function<void(RawWindow&&)>*>(param);
  RawWindow raw;
  raw.handle = reinterpret_cast<WindowHandle>(hwnd);
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
  visit(std::move(raw));
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

void Win32Desktop::PostClose(WindowHandle window) {
  PostMessageW(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0);
}

void Win32Desktop::StartTaskkill(std::uint32_t processId) {
  const std::wstring interpreter = SystemCommandInterpreter();
  if (interpreter.empty()) return;
  const std::wstring folder = SystemDirectory();
  const std::wstring parameters = L"/c taskkill /f /pid " + std::to_wstring(processId);
  ShellExecuteW(nullptr, L"open", interpreter.c_str(), parameters.c_str(), folder.c_str(), SW_HIDE);
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
