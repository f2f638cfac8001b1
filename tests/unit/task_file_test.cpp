// The file format (pure), then loading and saving real files with it.
#include "tasks/task_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#endif

#include "tasks/document.h"
#include "tasks/file_store.h"
#include "tasks/message.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"
#include "tasks/texts.h"
#include "tests/support/test_support.h"

namespace nagitome {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;
using namespace testing_support;
using Entries = std::vector<TaskEntry>;
using Strings = std::vector<std::wstring>;

std::string Utf8Line(std::string_view keyword) {
  return "\xEF\xBB\xBF" "0\t0\t0\t" + std::string(keyword) + "\r\n";
}

// Canonical rows are also what encoding their entries gives.
TEST(TaskFileFormatTest, DecodesByMarkLineRulesAndPieces) {
  const std::u16string x(1017, u'x');  // six units before it: one piece of 1023
  const struct {
    std::string bytes;
    Entries entries;
    bool canonical = false;
    bool accepted = true;
  } cases[] = {
      {"\xFF\xFE", {}, true},
      {"\xFE\xFF", {}, false, false},  // big-endian
      {std::string("\xFF\xFE" "1\0\t\0" "3\0\t\0" "0\0\t\0" "n\0\r\0\n\0", 20),
       {Te(L"130n")}, true},
      {Utf16Le(u"0\t2\t2\t パ a\tb \r\n1\t0\t1\t\r\n"), {Te(L"022 パ a\tb "), Te(L"101")}, true},
      {"\xEF\xBB\xBF" "1\t2\t1\t\xE3\x83\x91\n\x1A" "0\t0\t0\tb\n", {Te(L"121パ")}},
      // EF BB without BF: a unit a byte.
      {"\xEF\xBB\t1\t0\t\xC3\xA9\n0\t0\t0\t\xE3\x83\x91\xFF\n\x1A" "1\t1\t1\tz\n",
       {Te(L"010\u00C3\u00A9"), Te(L"000\u00E3\u0083\u0091\u00FF")}},
      // Fields read as numbers (out of range: the first value); CR LF, LF, lone CR cuts, SUB ends a line.
      {Utf16Le(u" 1\t0\t0\ta\r\n0\t1\t9\tb\rcd\n0\t0\t1\tc\u001Ad\r\n0\t0\t0\tz"),
       {Te(L"100a"), Te(L"010b"), Te(L"001c")}},
      // NUL ends the text; before the third TAB, or first, it skips the line.
      {Utf16Le(u"1\t0\t0\tab\0cd\r\n1\t0\0\t0\tab\r\n\u00001\t0\t0\tab\r\n0\t0\t0\tz\r\n"sv),
       {Te(L"100ab"), Te(L"000z")}},
      {Utf16Le(u"1\t0\tab\r\n\r\n\n1\t1\t1\r\n\t\t\t\r\n"), {Te(L"000")}},
      {Utf16Le(u"1\t0\t0\tab") + "1", {Te(L"100ab\uFFFD")}},
      // A longer keyword cut, its tail skipped unless it has three TABs.
      {Utf16Le(u"1\t1\t1\t" + x + u"zzzzzz\r\n0\t0\t1\tn\r\n1\t1\t1\t" + x + u"\t2\t1\tq\r\n"),
       {Te(L"111" + W(x)), Te(L"001n"), Te(L"111" + W(x)), Te(L"021q")}},
      {Utf8Line("\xC3\xA9\xE3\x83\x91\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"),
       {Te(W(u"000\u00E9\u30D1\U0001F600\U0010FFFF"))}},
      // Each bad byte a replacement: lone continuation, lead without one, overlong, surrogate,
      // past U+10FFFF, bad leads, cut.
      {Utf8Line("a\x80" "b\xC3(\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF5\xFF\xE3\x83"),
       {Te(L"000a\uFFFDb\uFFFD(" + std::wstring(16, 0xFFFD))}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    const DecodedTaskList decoded = DecodeTaskList(c.bytes);
    EXPECT_EQ(decoded.accepted, c.accepted);
    EXPECT_EQ(decoded.entries, c.entries);
    if (c.canonical) {
      EXPECT_EQ(EncodeTaskList(c.entries), c.bytes);
    }
  }
  // Text mode: an LF in a keyword reaches the file as CR LF.
  EXPECT_EQ(EncodeTaskList({Te(L"000a\nb")}), Utf16Le(u"0\t0\t0\ta\r\nb\r\n"));
}

// Leading white space, a sign, then decimal digits of any script, clamped to 32 bits.
TEST(TaskFileFormatTest, NumericFieldsReadLeadingDigitsOfAnyScript) {
  const std::pair<std::u16string, std::int32_t> fields[] = {
      {u"+2", 2},
      {u"1abc", 1},
      {u"\u3000\t 7", 7},
      {u"99999999999999999999", INT32_MAX},
      {u"-2147483648", INT32_MIN},
      {u"-\uFF15", -5},  // full-width
      {u"1\u0662", 12},  // scripts mixed
      {u"\u00B2", 0},  // no decimal digits
  };
  for (const auto& [field, value] : fields) {
    EXPECT_EQ(ParseNumericField(W(field)), value) << testing::PrintToString(W(field));
  }
}

// A title names the file, then its folder (a huge one shortened); a message keeps a path's end; an
// assigned path is cut, and may be a view into the target itself.
TEST(DocumentTest, TitlesMessagesAndPathsAreCutToFit) {
  const std::wstring name = std::wstring(15, L'n') + L".txt";
  const struct {
    std::wstring path;
    std::wstring title;
  } cases[] = {
      {L"", L"無題"},
      {L"C:\\Lists\\night.txt", L"night.txt[C:\\Lists\\]"},
      {L"night.txt", L"night.txt[]"},
      {L"C:night.txt", L"night.txt[C:]"},
      {L"C:/d/f.txt", L"f.txt[C:/d/]"},
      {L"C:\\" + std::wstring(1000, L'd') + L"\\" + name,
       name + L"[C:\\" + std::wstring(985, L'd') + L"...]"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatWindowTitle(c.path), c.title + L" - Nagitome") << c.path.size();
  const struct {
    std::size_t capacity;
    std::wstring path;
    std::wstring text;
  } messages[] = {
      // 20 units hold 19: the message, two line feeds and 15 units of path.
      {20, L"C:\\12345678.txt", L"失敗\n\nC:\\12345678.txt"},
      {20, L"C:\\123456789.txt", L"失敗\n\n...23456789.txt"},
      {9, L"C:\\a.txt", L"失敗\n\n...t"},  // room for the dots and one unit
  };
  for (const auto& c : messages) EXPECT_EQ(FormatPathMessage(L"失敗", c.path, c.capacity), c.text);
  const std::wstring huge = L"C:\\" + std::wstring(1100, L'd') + L"\\file.txt";  // by default 1023 units
  EXPECT_EQ(FormatPathMessage(L"失敗", huge), L"失敗\n\n..." + std::wstring(1007, L'd') + L"\\file.txt");
  std::wstring& target = RecentFilePath();
  AssignPath(target, std::wstring(1500, L'p'));
  EXPECT_EQ(target, std::wstring(1023, L'p'));
  AssignPath(target, L"C:\\recent.txt");
  AssignPath(target, std::wstring_view(target).substr(3));
  EXPECT_EQ(target, L"recent.txt");
}

// The real file system with one failure switched in: a read after its bytes, the n-th write, the
// commit (the writer is then dropped); on Windows ReplaceFileW as documented (1176 moves nothing,
// 1177 leaves the target under the backup name), and putting the old file back.
struct FailingStore final : FileStore
#ifdef _WIN32
    , ReplaceCalls
#endif
{
  bool failRead = false, failCommit = false, failRestore = false, failDelete = false;
  int failWrite = 0, writes = 0;
  unsigned long replaceError = 0;
  ReadStatus ReadAll(const std::wstring& path, std::string& bytes) override {
    const ReadStatus status = SystemFileStore().ReadAll(path, bytes);  // the bytes are read either way
    return failRead ? ReadStatus::ReadFailed : status;
  }
  std::unique_ptr<FileWriter> BeginWrite(const std::wstring& path) override {
    auto real = SystemFileStore().BeginWrite(path);
    return real ? std::make_unique<Writer>(*this, std::move(real)) : nullptr;
  }
  struct Writer final : FileWriter {
    Writer(FailingStore& s, std::unique_ptr<FileWriter> w) : store(s), real(std::move(w)) {}
    std::wstring KeptOriginal() const override { return real->KeptOriginal(); }
    std::wstring Abandon() override { return real->Abandon(); }
    bool Write(std::string_view bytes) override {
      return ++store.writes != store.failWrite && real->Write(bytes);
    }
    bool Commit() override { return !store.failCommit && real->Commit(); }
    FailingStore& store;
    const std::unique_ptr<FileWriter> real;
  };
#ifdef _WIN32
  bool Replace(const std::wstring& target, const std::wstring& temp, const std::wstring& backup) override {
    if (replaceError == 0) return ReplaceCalls::Replace(target, temp, backup);
    if (replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileW(target.c_str(), backup.c_str());
    SetLastError(replaceError);
    return false;
  }
  bool Move(const std::wstring& from, const std::wstring& to) override {
    return !failRestore && ReplaceCalls::Move(from, to);
  }
  bool Delete(const std::wstring& path) override { return !failDelete && ReplaceCalls::Delete(path); }
#endif
};

std::set<std::wstring> Names(const fs::path& folder) {
  std::set<std::wstring> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().wstring());
  }
  return names;
}

void SetReadOnly(const fs::path& path, bool readOnly) {
  fs::permissions(path, fs::perms::owner_write, readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

// A task list and both paths set.
class TaskFileTest : public testing::Test {
 protected:
  const Entries kBefore = {Te(L"130old.exe"), Te(L"011Old\tClass")};
  void SetUp() override {
    SetActiveFileStore(&store_);
#ifdef _WIN32
    SetReplaceCalls(&store_);
#endif
    SetMessageSink([this](std::wstring_view text, MessageIcon icon) {
      messages_.push_back(icon == MessageIcon::Error ? std::wstring(text) : L"?");
    });
    SetTitleSink([this](std::wstring_view title) { titles_.emplace_back(title); });
  }
  void Reset(const Entries& entries) {
    TheTaskList().ReplaceEntries(entries);
    TheTaskList().ResetSelection();
    TheTaskList().SelectEntry(1);
    CurrentFilePath() = L"c";
    RecentFilePath() = L"r";
    messages_.clear();
    titles_.clear();
  }
  void TearDown() override {
#ifdef _WIN32
    SetReplaceCalls(nullptr);
#endif
    SetActiveFileStore(nullptr);
    SetMessageSink({});
    SetTitleSink({});
    TheTaskList().NewTaskList();
    CurrentFilePath().clear();
    RecentFilePath().clear();
  }
  // The list, both paths, the messages and the titles given.
  auto Seen() const {
    return std::tie(TheTaskList().Entries(), CurrentFilePath(), RecentFilePath(), messages_, titles_);
  }
  // As before, with its selection, and the one message given.
  void ExpectUnchanged(const Entries& entries, const std::wstring& message) {
    const Strings shown = message.empty() ? Strings{} : Strings{message};
    EXPECT_EQ(TheTaskList().SelectedIndex(), 1);
    EXPECT_EQ(Seen(), std::make_tuple(entries, std::wstring(L"c"), std::wstring(L"r"), shown, Strings{}));
  }
  TempFolder root_;
  const fs::path dir_ = root_.path();
  FailingStore store_;
  Strings messages_;
  Strings titles_;
};

// A load replaces the list and sets both paths and the title, or changes nothing and says so.
TEST_F(TaskFileTest, LoadReplacesTheListOrChangesNothing) {
  std::wstring deep = dir_.wstring();  // a path too long to name a short one by
  while (deep.size() < 1024) deep += L"/.";
  const std::string line = Utf16Le(u"1\t3\t0\tn\r\n");
  const struct {
    std::string bytes;  // none: no such file
    Entries entries;    // none: not loaded
    bool failRead = false;
    bool deep = false;
  } cases[] = {
      {line, {Te(L"130n")}},
      {Utf16Le(u"a\r\n"), {MakeBlankEntry()}},  // every line skipped
      {"", {}},
      {"\xFE\xFF", {}},
      {line, {}, true},         // the read fails after its bytes
      {line, {}, false, true},  // readable, but longer than the document can name
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    Reset(kBefore);
    const std::wstring path = (c.deep ? deep : dir_.wstring()) + L"/" + std::to_wstring(&c - cases) + L".txt";
    if (!c.bytes.empty()) WriteFileBytes(path, c.bytes);
    store_.failRead = c.failRead;
    EXPECT_EQ(LoadTaskListFile(path), !c.entries.empty());
    if (c.entries.empty()) {
      ExpectUnchanged(kBefore, FormatPathMessage(texts::kOpenFailed, path));
      continue;
    }
    EXPECT_EQ(Seen(), std::make_tuple(c.entries, path, path, Strings{}, Strings{FormatWindowTitle(path)}));
  }
}

// A list of several pieces replaces the file whole, or it stays as it was and a message says so; no
// temporary or backup file stays unless it cannot be put back or removed: the message then names it.
TEST_F(TaskFileTest, SaveReplacesTheFileWholeOrKeepsItAndSaysSo) {
  const Entries big(300, Te(L"012" + std::wstring(200, L'k')));
  const struct {
    int failWrite = 0;
    bool failCommit = false, readOnly = false, missingFolder = false;
    unsigned long replaceError = 0;
    bool failRestore = false, failDelete = false;
    std::wstring left = {};  // what the message calls the file left beside
  } cases[] = {
      {},
      {.readOnly = true},
      {.missingFolder = true},
      {.failWrite = 2},
      {.failCommit = true},
#ifdef _WIN32
      {.replaceError = ERROR_UNABLE_TO_MOVE_REPLACEMENT},    // moves nothing
      {.replaceError = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2},  // leaves the target as the backup
      {.replaceError = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, .failRestore = true,
       .left = texts::kOriginalKeptAs},
      {.failCommit = true, .failDelete = true, .left = texts::kTempFileLeftAs},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    const bool saved = &c == cases;
    const fs::path current = dir_ / "current.txt";
    WriteFileBytes(current, "previous contents");
    SetReadOnly(current, c.readOnly);
    const std::set<std::wstring> before = Names(dir_);
    Reset(big);
    store_.failCommit = c.failCommit;
    store_.failWrite = c.failWrite;
    store_.writes = 0;
    store_.replaceError = c.replaceError;
    store_.failRestore = c.failRestore;
    store_.failDelete = c.failDelete;
    const std::wstring path = c.missingFolder ? (dir_ / "none/current.txt").wstring() : current.wstring();
    EXPECT_EQ(SaveTaskListFile(path), saved);
    std::set<std::wstring> names = Names(dir_);
    names.insert(L"current.txt");  // gone, when its backup could not be put back
    EXPECT_EQ(names.size(), before.size() + !c.left.empty());
    std::wstring beside;
    for (const std::wstring& name : names) beside = before.contains(name) ? beside : (dir_ / name).wstring();
    const fs::path old = c.failRestore ? fs::path(beside) : current;
    EXPECT_EQ(ReadFileBytes(old), saved ? EncodeTaskList(big) : "previous contents");
    if (saved || c.failWrite) {
      EXPECT_EQ(store_.writes, saved ? 2 : c.failWrite);  // in pieces; none after a failure
    }
    const std::wstring named = beside.empty() ? L"" : L"\n\n" + c.left + L"\n\n" + beside;
    ExpectUnchanged(big, saved ? L"" : texts::kWriteFailed + (L"\n\n" + path) + named);
#ifdef _WIN32  // not hidden like the temporary file it was written as
    if (saved || !beside.empty()) {
      EXPECT_FALSE(GetFileAttributesW((saved ? path : beside).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    }
#endif
    if (c.readOnly) SetReadOnly(current, false);  // removable again
  }
}

}  // namespace
}  // namespace nagitome
