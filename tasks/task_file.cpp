#include "tasks/task_file.h"

#include <algorithm>
#include <new>

#include "tasks/document.h"
#include "tasks/file_store.h"
#include "tasks/message.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"

namespace nagitome {

namespace {
FileStore* g_store = nullptr;
constexpr std::size_t kWriteChunk = 64 * 1024;
}  // namespace

FileStore& ActiveFileStore() { return g_store ? *g_store : SystemFileStore(); }
void SetActiveFileStore(FileStore* store) { g_store = store; }

bool LoadTaskListFile(const std::wstring& path) {
  DecodedTaskList decoded;
  bool ok = false;
  try {
    std::string bytes;
    // A read error must not load a partial list that could later be saved over the whole file.
    // A path longer than the document can name would later be saved under a cut name, another
    // file.
    if (path.size() <= kMaxTextUnits && ActiveFileStore().ReadAll(path, bytes) == ReadStatus::Ok) {
      decoded = DecodeTaskList(bytes);
      ok = decoded.accepted;
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) {
    ShowError(FormatPathMessage(texts::kOpenFailed, path));
    return false;
  }
  TheTaskList().ReplaceEntries(std::move(decoded.entries));
  AssignPath(CurrentFilePath(), path);
  if (!path.empty()) AssignPath(RecentFilePath(), path);
  UpdateWindowTitle();
  return true;
}

bool SaveTaskListFile(const std::wstring& path) {
  bool ok = false;
  std::wstring kept, left;
  try {
    const std::string bytes = EncodeTaskList(TheTaskList().Entries());
    if (auto writer = ActiveFileStore().BeginWrite(path)) {
      ok = true;
      for (std::size_t at = 0; ok && at < bytes.size(); at += kWriteChunk) {
        ok = writer->Write(std::string_view(bytes).substr(at, kWriteChunk));
      }
      ok = ok && writer->Commit();
      if (!ok) {
        kept = writer->KeptOriginal();
        left = writer->Abandon();
      }
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (ok) return true;
  // Every file the failure left behind is named; the earlier paths leave room for the later.
  constexpr std::size_t kBox = kMaxTextUnits + 1;
  std::wstring text = FormatPathMessage(texts::kWriteFailed, path, kept.empty() && left.empty() ? kBox : kBox / 2);
  const auto add = [&](const wchar_t* header, const std::wstring& name, bool last) {
    text = FormatPathMessage(text + L"\n\n" + header, name, last ? kBox : text.size() + 1 + (kBox - text.size()) / 2);
  };
  if (!kept.empty()) add(texts::kOriginalKeptAs, kept, left.empty());
  if (!left.empty()) add(texts::kTempFileLeftAs, left, true);
  ShowError(text);
  return false;
}

}  // namespace nagitome
