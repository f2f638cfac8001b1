#include "tasks/document.h"

#include <utility>

#include "tasks/task_entry.h"
#include "tasks/texts.h"

namespace nagitome {

std::wstring& CurrentFilePath() {
  static std::wstring path;
  return path;
}

std::wstring& RecentFilePath() {
  static std::wstring path;
  return path;
}

void AssignPath(std::wstring& target, std::wstring_view path) {
  // The source may be the target itself.
  if (path.data() == target.data() && path.size() == target.size()) return;
  target.assign(path.substr(0, kMaxTextUnits));
}

std::wstring FormatWindowTitle(std::wstring_view path) {
  if (path.empty()) return texts::kUntitledTitle;
  // Split as the C runtime's path splitter does: drive "X:", folder through the last
  // separator, name, extension from the last dot of the name.
  std::wstring_view drive;
  if (path.size() >= 2 && path[1] == L':') {
    drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::wstring_view dir = slash == std::wstring_view::npos ? std::wstring_view{} : path.substr(0, slash + 1);
  const std::wstring_view file = path.substr(dir.size());
  const std::size_t dot = file.find_last_of(L'.');
  const std::wstring_view name = dot == std::wstring_view::npos ? file : file.substr(0, dot);
  const std::wstring_view ext = dot == std::wstring_view::npos ? std::wstring_view{} : file.substr(dot);

  std::wstring title;
  title.reserve(path.size() + 16);
  title.append(name).append(ext).append(L"[").append(drive).append(dir).append(L"]").append(texts::kTitleSuffix);
  if (title.size() > kMaxTextUnits) {
    // Keep the name and the program's name; shorten the folder in between.
    const std::wstring tail = std::wstring(L"...]") + texts::kTitleSuffix;
    title.resize(kMaxTextUnits - tail.size());
    title += tail;
  }
  return title;
}

std::wstring FormatPathMessage(std::wstring_view message, std::wstring_view path, std::size_t capacity) {
  std::wstring text(message);
  text += L"\n\n";
  const std::size_t room = capacity > text.size() + 1 ? capacity - 1 - text.size() : 0;
  if (path.size() <= room) {
    text += path;
  } else if (room > 3) {
    text += L"...";
    text += path.substr(path.size() - (room - 3));
  }
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

namespace {
TitleSink g_titleSink;  // used only once the program runs, never during static initialisation
}  // namespace

void SetTitleSink(TitleSink sink) { g_titleSink = std::move(sink); }

void UpdateWindowTitle() {
  if (g_titleSink) g_titleSink(FormatWindowTitle(CurrentFilePath()));
}

}  // namespace nagitome
