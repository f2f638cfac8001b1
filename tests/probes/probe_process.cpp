// probe_process [SECONDS [PIDFILE]]: a process without any window that waits SECONDS (default
// 120) and exits. PIDFILE receives its process id, for scripts that only know a Unix pid.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)) : 120;
  if (argc > 2) {
    HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 4;
    const std::string text = std::to_string(GetCurrentProcessId()) + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }
  Sleep(seconds * 1000);
  return 0;
}
