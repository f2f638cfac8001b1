#include "ui/file_dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include "tasks/document.h"
#include "tasks/task_entry.h"
#include "tasks/task_file.h"
#include "tasks/texts.h"
#include "ui/message_box.h"

namespace nagitome {

namespace {

// The filter each dialog showed last, kept for the life of the process.
DWORD g_openFilterIndex = 0;
DWORD g_saveFilterIndex = 0;

// Runs one dialog; the chosen path, or empty when cancelled.
template <typename Show>
std::wstring RunFileDialog(Show show, DWORD& filterIndex, const wchar_t* title, DWORD flags) {
  wchar_t path[kTextBufferUnits] = {};
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = MainWindow();
  request.lpstrFilter = texts::kFileFilter;
  request.nFilterIndex = filterIndex;
  request.lpstrFile = path;
  request.nMaxFile = kTextBufferUnits;
  request.lpstrTitle = title;
  request.Flags = flags;
  if (!show(&request)) return {};
  filterIndex = request.nFilterIndex;
  return path;
}

}  // namespace

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
