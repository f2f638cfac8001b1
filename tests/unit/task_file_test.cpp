#include "tasks/task_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tasks/document.h"
#include "tasks/file_store.h"
#include "tasks/message.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"

namespace nagitome {
namespace {

std::string Utf16Le(std::u16string_view text) {
  std::string out("\xFF\xFE", 2);
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

// Files in memory; each way a real file can fail is a switch.
class FakeFileStore final : public FileStore {
 public:
  std::map<std::wstring, std::string> files;
  std::map<std::wstring, std::string> unreadable;  // opens, then fails after these bytes
  std::vector<std::wstring> readOnly;
  int failWriteCall = 0;  // the n-th Write fails (1-based); 0: none
  bool failCommit = false;
  int writeCalls = 0;
  int commits = 0;

  ReadStatus ReadAll(const std::wstring& path, std::string& bytes) override {
    if (auto it = unreadable.find(path); it != unreadable.end()) {
      bytes += it->second;
      return ReadStatus::ReadFailed;
    }
    auto it = files.find(path);
    if (it == files.end()) return ReadStatus::OpenFailed;
    bytes += it->second;
    return ReadStatus::Ok;
  }

  std::unique_ptr<FileWriter> BeginWrite(const std::wstring& path) override {
    for (const std::wstring& p : readOnly) {
      if (p == path) return nullptr;
    }
    return std::make_unique<Writer>(*this, path);
  }

 private:
  class Writer final : public FileWriter {
   public:
    Writer(FakeFileStore& store, std::wstring path) : store_(store), path_(std::move(path)) {}
    bool Write(std::string_view bytes) override {
      if (++store_.writeCalls == store_.failWriteCall) return false;
      pending_.append(bytes);
      return true;
    }
    bool Commit() override {
      if (store_.failCommit) return false;
      ++store_.commits;
      store_.files[path_] = pending_;
      return true;
    }

   private:
    FakeFileStore& store_;
    std::wstring path_;
    std::string pending_;
  };
};

struct Message {
  std::wstring text;
  MessageIcon icon;
};

TaskEntry Entry(EndMethod end, MatchTarget target, MatchMethod method, std::wstring keyword) {
  TaskEntry e;
  e.EndMethod = end;
  e.MatchTarget = target;
  e.MatchMethod = method;
  e.Keyword = std::move(keyword);
  return e;
}

class TaskFileTest : public testing::Test {
 protected:
  void SetUp() override {
    SetActiveFileStore(&store_);
    SetMessageSink([this](std::wstring_view text, MessageIcon icon) {
      messages_.push_back({std::wstring(text), icon});
    });
    // A known state that every failure must leave as it is.
    TheTaskList().ReplaceEntries({Entry(EndMethod::Taskkill, MatchTarget::ProcessName,
                                        MatchMethod::Wildcard, L"old.exe"),
                                  Entry(EndMethod::CloseWindow, MatchTarget::WindowClass,
                                        MatchMethod::RegexCaseSensitive, L"Old\tClass")});
    TheTaskList().ResetSelection();
    TheTaskList().SelectEntry(1);
    CurrentFilePath() = L"C:\\lists\\current.txt";
    RecentFilePath() = L"C:\\lists\\recent.txt";
  }
  void TearDown() override {
    SetActiveFileStore(nullptr);
    SetMessageSink({});
    TheTaskList().NewTaskList();
    TheTaskList().SelectEntry(0);
    CurrentFilePath().clear();
    RecentFilePath().clear();
  }

  void ExpectStateUnchanged(const std::vector<TaskEntry>& entries) {
    EXPECT_EQ(TheTaskList().Entries(), entries);
    EXPECT_EQ(TheTaskList().SelectedIndex(), 1);
    EXPECT_EQ(CurrentFilePath(), L"C:\\lists\\current.txt");
    EXPECT_EQ(RecentFilePath(), L"C:\\lists\\recent.txt");
  }

  void ExpectOneError(const std::wstring& text) {
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, text);
    EXPECT_EQ(messages_[0].icon, MessageIcon::Error);
  }

  FakeFileStore store_;
  std::vector<Message> messages_;
};

TEST_F(TaskFileTest, LoadReplacesTheListAndSetsBothPaths) {
  const std::wstring path = L"D:\\new\\night.txt";
  store_.files[path] = Utf16Le(u"1\t3\t0\tnotepad.exe\r\nskipped\r\n0\t2\t2\t\u30E1\u30E2\r\n");
  EXPECT_TRUE(LoadTaskListFile(path));
  EXPECT_EQ(TheTaskList().Entries(),
            (std::vector<TaskEntry>{
                Entry(EndMethod::Taskkill, MatchTarget::ProcessName, MatchMethod::Wildcard, L"notepad.exe"),
                Entry(EndMethod::CloseWindow, MatchTarget::TitleAndClass, MatchMethod::RegexIgnoreCase,
                      std::wstring{wchar_t(0x30E1), wchar_t(0x30E2)})}));
  EXPECT_EQ(CurrentFilePath(), path);
  EXPECT_EQ(RecentFilePath(), path);
  EXPECT_EQ(TheTaskList().SelectedIndex(), 1);  // the caller refreshes the view
  EXPECT_TRUE(messages_.empty());
}

TEST_F(TaskFileTest, FilesWithoutEntriesLoadOneBlankEntry) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"mark only", "\xFF\xFE"},
      {"every line skipped", Utf16Le(u"a\tb\r\n\r\n")},
      {"utf-16 without its mark", Utf16Le(u"1\t3\t0\tnotepad.exe\r\n").substr(2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = L"C:\\" + std::wstring(c.name, c.name + std::strlen(c.name));
    store_.files[path] = c.bytes;
    EXPECT_TRUE(LoadTaskListFile(path));
    EXPECT_EQ(TheTaskList().Entries(), std::vector<TaskEntry>{MakeBlankEntry()});
    EXPECT_EQ(CurrentFilePath(), path);
    EXPECT_EQ(RecentFilePath(), path);
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(TaskFileTest, LoadingTheRecentFileItselfKeepsIt) {
  store_.files[RecentFilePath()] = Utf16Le(u"1\t1\t1\tr\r\n");
  EXPECT_TRUE(LoadTaskListFile(RecentFilePath()));
  EXPECT_EQ(RecentFilePath(), L"C:\\lists\\recent.txt");
  EXPECT_EQ(CurrentFilePath(), L"C:\\lists\\recent.txt");
  EXPECT_EQ(TheTaskList().Count(), 1);
}

TEST_F(TaskFileTest, LoadingAnEmptyPathLeavesTheRecentFile) {
  store_.files[L""] = Utf16Le(u"1\t1\t1\tr\r\n");
  EXPECT_TRUE(LoadTaskListFile(L""));
  EXPECT_EQ(CurrentFilePath(), L"");
  EXPECT_EQ(RecentFilePath(), L"C:\\lists\\recent.txt");
}

TEST_F(TaskFileTest, FailedLoadChangesNothingAndSaysSo) {
  const std::vector<TaskEntry> before = TheTaskList().Entries();
  const std::wstring missing = L"C:\\missing.txt";
  const std::wstring bigEndian = L"C:\\be.txt";
  const std::wstring unreadable = L"C:\\bad sector.txt";
  store_.files[bigEndian] = std::string("\xFE\xFF\x00" "1\x00\t\x00" "3", 7);
  // Half a good file then a read error: loading it could later lose the rest on a save.
  store_.unreadable[unreadable] = Utf16Le(u"1\t3\t0\tfirst\r\n");
  for (const std::wstring& path : {missing, bigEndian, unreadable}) {
    SCOPED_TRACE(testing::PrintToString(path));
    messages_.clear();
    EXPECT_FALSE(LoadTaskListFile(path));
    ExpectStateUnchanged(before);
    ExpectOneError(L"タスクリストファイルのオープンに失敗しました。\n\n" + path);
  }
}

TEST_F(TaskFileTest, SaveWritesTheCanonicalFileAndChangesNoState) {
  const std::vector<TaskEntry> before = TheTaskList().Entries();
  const std::wstring path = L"C:\\out.txt";
  store_.files[path] = "previous contents";
  EXPECT_TRUE(SaveTaskListFile(path));
  EXPECT_EQ(store_.files[path], Utf16Le(u"1\t3\t0\told.exe\r\n0\t1\t1\tOld\tClass\r\n"));
  EXPECT_EQ(store_.commits, 1);
  EXPECT_TRUE(messages_.empty());
  ExpectStateUnchanged(before);
}

TEST_F(TaskFileTest, LargeSaveArrivesWhole) {
  std::vector<TaskEntry> entries;
  for (int i = 0; i < 300; ++i) {
    entries.push_back(Entry(EndMethod::Taskkill, MatchTarget::WindowTitle, MatchMethod::Wildcard,
                            std::wstring(200, static_cast<wchar_t>(L'a' + i % 26))));
  }
  TheTaskList().ReplaceEntries(entries);
  EXPECT_TRUE(SaveTaskListFile(L"C:\\big.txt"));
  EXPECT_GT(store_.writeCalls, 1);  // more than one piece
  EXPECT_EQ(store_.files[L"C:\\big.txt"], EncodeTaskList(entries));
}

TEST_F(TaskFileTest, FailedSaveKeepsTheFileAndSaysSo) {
  // Big enough to be written in several pieces, so a write can fail half way.
  std::vector<TaskEntry> entries;
  for (int i = 0; i < 300; ++i) {
    entries.push_back(Entry(EndMethod::CloseWindow, MatchTarget::WindowClass,
                            MatchMethod::RegexIgnoreCase, std::wstring(200, L'k')));
  }
  const struct {
    const char* name;
    bool readOnly;
    int failWriteCall;
    bool failCommit;
  } cases[] = {
      {"cannot be opened", true, 0, false},
      {"first write fails", false, 1, false},
      {"write fails mid-file", false, 2, false},
      {"commit fails", false, 0, true},
  };
  const std::wstring path = L"C:\\lists\\current.txt";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TheTaskList().ReplaceEntries(entries);
    store_ = FakeFileStore();
    store_.files[path] = "previous contents";
    if (c.readOnly) store_.readOnly.push_back(path);
    store_.failWriteCall = c.failWriteCall;
    store_.failCommit = c.failCommit;
    messages_.clear();

    EXPECT_FALSE(SaveTaskListFile(path));
    EXPECT_EQ(store_.commits, 0);
    EXPECT_EQ(store_.files[path], "previous contents");
    if (c.failWriteCall != 0) {
      EXPECT_EQ(store_.writeCalls, c.failWriteCall);  // no write after it
    }
    ExpectStateUnchanged(entries);
    ExpectOneError(L"タスクリストファイルの書き込みに失敗しました。\n\n" + path);
  }
}

}  // namespace
}  // namespace nagitome
