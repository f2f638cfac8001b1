#include "app/preview_command.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <memory>

#include "app/command_line.h"
#include "app/start_form.h"
#include "engine/preview.h"
#include "engine/win32/win32_desktop.h"
#include "tasks/file_store.h"
#include "tasks/message.h"
#include "tasks/task_file.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"
#include "tasks/utf8.h"

namespace nagitome {

namespace {

// A GUI program has no console of its own: the standard handle when it was redirected or
// piped, else the console of the process that started us. A new console is never made.
HANDLE Output(DWORD standard) {
  const HANDLE handle = GetStdHandle(standard);
  if (handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN) return handle;
  static const HANDLE console = [] {
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return INVALID_HANDLE_VALUE;
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  }();
  return console;
}

// UTF-8 bytes as they are to a file or pipe; a console is given UTF-16, which it shows whatever
// its code page.
bool WriteOut(DWORD standard, const std::string& utf8) {
  const HANDLE handle = Output(standard);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), units);
    DWORD written = 0;
    return utf8.empty() || WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  return WriteAll(handle, utf8);
}

// One line on standard error: the message with its path on the same line.
void Complain(std::wstring_view message, const std::wstring& path) {
  std::wstring line(message);
  if (const std::size_t blank = line.find(L"\n\n"); blank != std::wstring::npos) line.erase(blank);
  if (!path.empty()) line += L" " + path;
  WriteOut(STD_ERROR_HANDLE, ToUtf8(line) + "\r\n");
}

bool WriteReport(const std::wstring& path, const std::string& report) {
  const std::unique_ptr<FileWriter> writer = SystemFileStore().BeginWrite(path);
  return writer && writer->Write("\xEF\xBB\xBF") && writer->Write(report) && writer->Commit();
}

}  // namespace

std::optional<int> RunPreviewCommand(const std::vector<std::wstring>& arguments) {
  const StartForm form = ReadStartForm(arguments, false, {}, [](const std::wstring&) { return true; });
  if (form.action != StartAction::Preview) return std::nullopt;
  const std::wstring& listPath = form.list;
  if (!PathFileExistsW(listPath.c_str())) {
    Complain(texts::kBadCommandLinePath, listPath);
    return kPreviewListNotLoaded;
  }
  // The load of "/e", its open-failure message sent to standard error instead of a box.
  SetMessageSink([&](std::wstring_view text, MessageIcon) { Complain(text, listPath); });
  const bool loaded = LoadTaskListFile(listPath);
  SetMessageSink(nullptr);
  if (!loaded) return kPreviewListNotLoaded;

  Win32Desktop desktop;
  const std::string report = FormatPreviewReport(PreviewTermination(TheTaskList(), desktop));
  if (!form.report.empty()) {
    // However it is spelled, a report on the list's own file would replace the list.
    if (SameFile(form.report, listPath)) {
      Complain(texts::kPreviewReportIsList, form.report);
      return kPreviewReportNotWritten;
    }
    if (WriteReport(form.report, report)) return kPreviewDone;
    Complain(texts::kPreviewReportFailed, form.report);
    return kPreviewReportNotWritten;
  }
  if (WriteOut(STD_OUTPUT_HANDLE, report)) return kPreviewDone;
  Complain(texts::kPreviewReportFailed, texts::kStandardOutput);
  return kPreviewReportNotWritten;
}

std::optional<int> RunPreviewCommandLine() { return RunPreviewCommand(CommandLineArguments()); }

}  // namespace nagitome
