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
  UniqueKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
  if (!process) return {};
  wchar_t path[kTextBufferUnits];
  const DWORD length = GetProcessImageFileNameW(process.get(), path, kTextBufferUnits);
  process.reset();
  return std::wstring(path, length);
}

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
