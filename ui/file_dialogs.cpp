#include "ui/file_dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include "tasks/document.h"
#include "tasks/message.h"
#include "tasks/task_file.h"
#include "tasks/texts.h"

namespace nagitome {

namespace {

std::uint32_t g_openFilterIndex = 0;
std::uint32_t g_saveFilterIndex = 0;

constexpr DWORD kPathUnits = 1024;

// Runs one dialog; the chosen path, or empty when cancelled.
template <typename Show>
std::wstring RunFileDialog(Show show, std::uint32_t& filterIndex, const wchar_t* title, DWORD flags) {
  wchar_t path[kPathUnits] = {};
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = static_cast<HWND>(MainWindow());
  request.lpstrFilter = texts::kFileFilter;
  request.nFilterIndex = filterIndex;
  request.lpstrFile = path;
  request.nMaxFile = kPathUnits;
  request.lpstrTitle = title;
  request.Flags = flags;
  if (!show(&request)) return {};
  filterIndex = request.nFilterIndex;
  return path;
}

}  // namespace

std::uint32_t OpenFilterIndex() { return g_openFilterIndex; }
std::uint32_t SaveFilterIndex() { return g_saveFilterIndex; }

void ShowOpenDialog() {
  const std::wstring path = RunFileDialog(GetOpenFileNameW, g_openFilterIndex, texts::kOpenTitle,
                                          OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY);
  if (!path.empty()) LoadTaskListFile(path);
}

void ShowSaveAsDialog() {
  const std::wstring path = RunFileDialog(GetSaveFileNameW, g_saveFilterIndex, texts::kSaveAsTitle,
                                          OFN_OVERWRITEPROMPT);
  if (path.empty()) return;
  // The document takes the new name before the write, and keeps it if the write fails.
  AssignPath(CurrentFilePath(), path);
  AssignPath(RecentFilePath(), path);
  UpdateWindowTitle();
  SaveTaskListFile(path);
}

}  // namespace nagitome
