// The file format (pure), then loading and saving real files with it.
#include "tasks/task_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#ifdef _WIN32
#include <windows.h>
#endif

#include "tasks/document.h"
#include "tasks/file_store.h"
#include "tasks/message.h"
#include "tasks/task_file_format.h"
#include "tasks/task_list.h"
#include "tests/support/test_support.h"

namespace nagitome {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;
using testing_support::ReadFileBytes;
using testing_support::Utf16Le;
using testing_support::W;
using testing_support::WriteFileBytes;
using Entries = std::vector<TaskEntry>;

TaskEntry Entry(unsigned end, unsigned target, unsigned method, std::wstring keyword) {
  return {EndMethod(end), MatchTarget(target), MatchMethod(method), std::move(keyword)};
}

// Readable and exact: "e t m [keyword]" per entry, units outside ASCII as <decimal>.
std::string Show(const Entries& entries) {
  std::string out;
  for (const TaskEntry& e : entries) {
    out += std::to_string(unsigned(e.EndMethod)) + ' ' + std::to_string(unsigned(e.MatchTarget)) + ' ' +
           std::to_string(unsigned(e.MatchMethod)) + " [";
    for (wchar_t c : e.Keyword) out += c >= 0x20 && c < 0x7F ? std::string(1, char(c)) : '<' + std::to_string(c) + '>';
    out += "]\n";
  }
  return out;
}
std::string Decoded(std::string_view bytes) { return Show(DecodeTaskList(bytes).entries); }

TEST(TaskFileFormatTest, DecodesByMarkAndLineRules) {
  // Canonical rows are also what encoding their entries gives.
  const struct { const char* name; std::string bytes; Entries entries; bool accepted = true, canonical = false; } cases[] = {
      {"empty file", "", {}},
      {"mark only", "\xFF\xFE", {}, true, true},
      {"canonical", std::string("\xFF\xFE" "1\0\t\0" "3\0\t\0" "0\0\t\0" "n\0o\0t\0e\0p\0a\0d\0.\0e\0x\0e\0" "\r\0\n\0", 40),
       {Entry(1, 3, 0, L"notepad.exe")}, true, true},
      {"canonical, TABs in the keyword", Utf16Le(u"0\t2\t2\t\u30D1 a\tb \r\n1\t0\t1\t\r\n"),
       {Entry(0, 2, 2, W(u"\u30D1 a\tb ")), Entry(1, 0, 1, L"")}, true, true},
      {"one byte", "1", {}},
      {"utf-8 mark", "\xEF\xBB\xBF" "1\t2\t1\t\xE3\x83\x91\n", {Entry(1, 2, 1, W(u"\u30D1"))}},
      {"utf-16 big-endian refused", std::string("\xFE\xFF\0" "1\0\t\0\t\0\t", 10), {}, false},
      {"single byte: each its own unit", "0\t0\t0\t\xE3\x83\x91\xFF\n", {Entry(0, 0, 0, W(u"\u00E3\u0083\u0091\u00FF"))}},
      {"utf-16 without its mark", Utf16Le(u"1\t3\t0\tnotepad.exe\r\n0\t0\t0\tx\r\n", false), {}},
      {"CR LF, LF, last line without end", Utf16Le(u"1\t0\t0\ta\r\n0\t1\t0\tb\n0\t0\t1\tc"),
       {Entry(1, 0, 0, L"a"), Entry(0, 1, 0, L"b"), Entry(0, 0, 1, L"c")}},
      {"lone CR cuts the keyword", Utf16Le(u"0\t0\t0\tab\rcd\n"), {Entry(0, 0, 0, L"ab")}},
      {"SUB ends the data", Utf16Le(u"1\t0\t0\ta\r\n\u001A0\t0\t0\tb\r\n"), {Entry(1, 0, 0, L"a")}},
      {"SUB inside a line", Utf16Le(u"1\t0\t0\tab\u001Acd\r\n0\t0\t0\tb\r\n"), {Entry(1, 0, 0, L"ab")}},
      {"SUB byte in a utf-8 file", "\xEF\xBB\xBF" "0\t0\t0\ta\n\x1A" "0\t0\t0\tb\n", {Entry(0, 0, 0, L"a")}},
      {"NUL ends the line's text", Utf16Le(u"1\t0\t0\tab\0cd\r\n0\t0\t0\tz\r\n"sv), {Entry(1, 0, 0, L"ab"), Entry(0, 0, 0, L"z")}},
      {"NUL before the third TAB", Utf16Le(u"1\t0\0\t0\tab\r\n"sv), {}},
      {"line starting with NUL skipped", Utf16Le(u"\u00001\t0\t0\tab\r\n0\t0\t0\tz\r\n"sv), {Entry(0, 0, 0, L"z")}},
      {"too few TABs, empty lines skipped", Utf16Le(u"1\t0\tab\r\n\r\n\n1\t1\t1\r\n"), {}},
      {"three TABs alone: a blank entry", Utf16Le(u"\t\t\t\r\n"), {Entry(0, 0, 0, L"")}},
      {"keyword keeps TABs and spaces", Utf16Le(u"0\t0\t0\t  two\twords\t \r\n"), {Entry(0, 0, 0, L"  two\twords\t ")}},
      {"stray last byte", Utf16Le(u"1\t0\t0\tab") + "1", {Entry(1, 0, 0, W(u"ab\uFFFD"))}},
      {"EF BB without BF: single-byte", "\xEF\xBB\t1\t0\t\xC3\xA9\n", {Entry(0, 1, 0, W(u"\u00C3\u00A9"))}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeTaskList(c.bytes).accepted, c.accepted) << c.name;
    EXPECT_EQ(Decoded(c.bytes), Show(c.entries)) << c.name;
    if (c.canonical) { EXPECT_EQ(EncodeTaskList(c.entries), c.bytes) << c.name; }
  }
  EXPECT_EQ(EncodeTaskList({Entry(0, 0, 0, L"a\nb")}), Utf16Le(u"0\t0\t0\ta\r\nb\r\n"));  // text mode: LF as CR LF
}

TEST(TaskFileFormatTest, NumericFieldsAndTheirRanges) {
  const std::pair<std::u16string, std::int32_t> fields[] = {
      {u" 1", 1}, {u"+2", 2}, {u"02", 2}, {u"1abc", 1}, {u"abc", 0}, {u"", 0}, {u"-1", -1}, {u"-", 0},
      {u"+-1", 0}, {u"1 2", 1}, {u"\u3000\t 7", 7}, {u"2147483647", INT32_MAX}, {u"2147483648", INT32_MAX},
      {u"99999999999999999999", INT32_MAX}, {u"-2147483648", INT32_MIN}, {u"-99999999999", INT32_MIN},
      {u"\uFF11", 1}, {u"\uFF19\uFF10", 90}, {u"-\uFF15", -5},  // fullwidth digits
      {u"\u0663", 3}, {u"\u096A\u0968", 42}, {u"1\u0662", 12},  // other scripts, mixed too
      {u"\u00B2", 0}, {u"\u2460", 0}, {u"\uFF1A", 0},           // no decimal digits
  };
  for (const auto& [field, value] : fields) EXPECT_EQ(ParseNumericField(W(field)), value) << testing::PrintToString(W(field));
  // Out of range reads as the first value; beyond 32 bits too (clamped, not wrapped).
  const std::pair<std::u16string, TaskEntry> lines[] = {
      {u" 1\t+2\t02", Entry(1, 2, 2, L"k")}, {u"\uFF11\t\uFF13\t\uFF12", Entry(1, 3, 2, L"k")},
      {u"abc\t\t ", Entry(0, 0, 0, L"k")}, {u"-1\t-1\t-1", Entry(0, 0, 0, L"k")}, {u"2\t4\t3", Entry(0, 0, 0, L"k")},
      {u"2\t1\t2", Entry(0, 1, 2, L"k")}, {u"4294967297\t4294967299\t4294967298", Entry(0, 0, 0, L"k")},
      {u"-4294967295\t-4294967293\t-4294967294", Entry(0, 0, 0, L"k")},
  };
  for (const auto& [line, entry] : lines) EXPECT_EQ(Decoded(Utf16Le(line + u"\tk\r\n")), Show({entry})) << Show({entry});
}

TEST(TaskFileFormatTest, LongLinesAreReadInPiecesOf1023Units) {
  const std::wstring x(1017, L'x');
  const std::u16string x16(1017, u'x');
  // 1017 keyword units come back whole; a longer one is cut, its tail skipped unless it has three TABs.
  EXPECT_EQ(Decoded(EncodeTaskList({Entry(1, 1, 1, x)})), Show({Entry(1, 1, 1, x)}));
  EXPECT_EQ(Decoded(EncodeTaskList({Entry(1, 1, 1, x + L"zzzzzz"), Entry(0, 0, 1, L"n")})),
            Show({Entry(1, 1, 1, x), Entry(0, 0, 1, L"n")}));
  EXPECT_EQ(Decoded(Utf16Le(u"1\t1\t1\t" + x16 + u"\t2\t1\tq\r\n")), Show({Entry(1, 1, 1, x), Entry(0, 2, 1, L"q")}));
  std::string utf8 = "\xEF\xBB\xBF" "0\t0\t0\t";  // the limit counts decoded units, not bytes
  for (int i = 0; i < 1017; ++i) utf8 += "\xE3\x83\x91";
  EXPECT_EQ(Decoded(utf8 + "\t\t\t\n"), Show({Entry(0, 0, 0, std::wstring(1017, wchar_t(0x30D1))), Entry(0, 0, 0, L"")}));
}

TEST(TaskFileFormatTest, Utf8IsConvertedAndEachBadByteIsAReplacement) {
  const wchar_t r = 0xFFFD;
  const std::pair<std::string, std::wstring> cases[] = {
      {"\xC3\xA9\xE3\x83\x91\xF0\x9F\x98\x80", {wchar_t(0xE9), wchar_t(0x30D1), wchar_t(0xD83D), wchar_t(0xDE00)}},
      {"\xF4\x8F\xBF\xBF", {wchar_t(0xDBFF), wchar_t(0xDFFF)}},  // the largest code point
      {"a\x80" "b", {L'a', r, L'b'}},                              // lone continuation byte
      {"\xC3(", {r, L'('}},                                        // lead byte without continuation
      {"\xC0\xAF\xE0\x80\xAF", {r, r, r, r, r}},                   // overlong forms
      {"\xED\xA0\x80", {r, r, r}},                                 // encoded surrogate
      {"\xF4\x90\x80\x80", {r, r, r, r}},                          // beyond U+10FFFF
      {"\xF5\xFF", {r, r}},                                        // invalid lead bytes
      {"\xE3\x83", {r, r}},                                        // cut by the line end
  };
  for (const auto& [bytes, keyword] : cases) {
    EXPECT_EQ(Decoded("\xEF\xBB\xBF" "0\t0\t0\t" + bytes + "\r\n"), Show({Entry(0, 0, 0, keyword)})) << Show({Entry(0, 0, 0, keyword)});
  }
}

// The real file system with one failure switched in through the seam: a read failing after
// its bytes, the n-th write, or the commit. The real writer is then dropped uncommitted.
struct FailingStore final : FileStore {
  bool failRead = false, failCommit = false;
  int failWrite = 0, writes = 0;
  ReadStatus ReadAll(const std::wstring& path, std::string& bytes) override {
    return failRead ? (SystemFileStore().ReadAll(path, bytes), ReadStatus::ReadFailed) : SystemFileStore().ReadAll(path, bytes);
  }
  std::unique_ptr<FileWriter> BeginWrite(const std::wstring& path) override {
    auto real = SystemFileStore().BeginWrite(path);
    return real ? std::make_unique<Writer>(*this, std::move(real)) : nullptr;
  }
  struct Writer final : FileWriter {
    Writer(FailingStore& s, std::unique_ptr<FileWriter> w) : store(s), real(std::move(w)) {}
    std::wstring KeptOriginal() const override { return real->KeptOriginal(); }
    bool Write(std::string_view bytes) override { return ++store.writes != store.failWrite && real->Write(bytes); }
    bool Commit() override { return !store.failCommit && real->Commit(); }
    FailingStore& store;
    std::unique_ptr<FileWriter> real;
  };
};

#ifdef _WIN32
// ReplaceFileW failing as documented: 1176 leaves both files under their own names, 1177 the
// target under the backup name. Putting the old file back may fail as well.
struct FailingReplace final : ReplaceCalls {
  DWORD error = 0;
  bool failRestore = false;
  bool Replace(const std::wstring& target, const std::wstring& temp, const std::wstring& backup) override {
    if (error == 0) return ReplaceCalls::Replace(target, temp, backup);
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileW(target.c_str(), backup.c_str());
    SetLastError(error);
    return false;
  }
  bool Move(const std::wstring& from, const std::wstring& to) override { return !failRestore && ReplaceCalls::Move(from, to); }
};
#endif

// The names in a folder; MinGW's std::filesystem cannot walk one past MAX_PATH.
std::set<std::wstring> Names(const fs::path& folder) {
  std::set<std::wstring> names;
#ifdef _WIN32
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW((L"\\\\?\\" + (folder / "*").wstring()).c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) names.insert(found.cFileName);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  names.erase(L"."), names.erase(L"..");
#else
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().wstring());
#endif
  return names;
}

void SetReadOnly(const fs::path& path, bool readOnly) {
#ifdef _WIN32
  SetFileAttributesW((L"\\\\?\\" + path.wstring()).c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
#else
  fs::permissions(path, fs::perms::owner_write, readOnly ? fs::perm_options::remove : fs::perm_options::add);
#endif
}

class TaskFileTest : public testing::Test {
 protected:
  const Entries kBefore = {Entry(1, 3, 0, L"old.exe"), Entry(0, 1, 1, L"Old\tClass")};
  void SetUp() override {
    // A folder of 320 units, past MAX_PATH.
    dir_ = fs::path(root_.path()) / std::string(150, 'd');
    dir_ /= std::string(320 - dir_.native().size() - 1, 'e');
    fs::create_directories(dir_ / "folder");
    SetActiveFileStore(&store_);
#ifdef _WIN32
    SetReplaceCalls(&replace_);
#endif
    SetMessageSink([this](std::wstring_view text, MessageIcon icon) { messages_.push_back(icon == MessageIcon::Error ? std::wstring(text) : L"?"); });
    SetTitleSink([this](std::wstring_view title) { titles_.emplace_back(title); });
    TheTaskList().ReplaceEntries(kBefore);
    TheTaskList().ResetSelection(), TheTaskList().SelectEntry(1);
    CurrentFilePath() = L"C:\\lists\\current.txt", RecentFilePath() = L"C:\\lists\\recent.txt";
  }
  void TearDown() override {
#ifdef _WIN32  // shortened first: MinGW's std::filesystem cannot walk a folder past MAX_PATH
    MoveFileW((L"\\\\?\\" + dir_.parent_path().wstring()).c_str(), (L"\\\\?\\" + root_.File(L"d")).c_str());
    SetReplaceCalls(nullptr);
#endif
    SetActiveFileStore(nullptr), SetMessageSink({}), SetTitleSink({}), TheTaskList().NewTaskList();
    CurrentFilePath().clear(), RecentFilePath().clear();
  }
  void ExpectUnchanged(const Entries& entries, const std::vector<std::wstring>& messages) {
    EXPECT_EQ(Show(TheTaskList().Entries()), Show(entries));
    EXPECT_EQ(TheTaskList().SelectedIndex(), 1);
    EXPECT_EQ(CurrentFilePath(), L"C:\\lists\\current.txt");
    EXPECT_EQ(RecentFilePath(), L"C:\\lists\\recent.txt");
    EXPECT_EQ(messages_, messages);
    EXPECT_TRUE(titles_.empty());
  }
  testing_support::TempFolder root_;
  fs::path dir_;
  FailingStore store_;
#ifdef _WIN32
  FailingReplace replace_;
#endif
  std::vector<std::wstring> messages_, titles_;
};

TEST_F(TaskFileTest, LoadReplacesTheListAndSetsBothPathsAndTheTitle) {
  const struct { const char* name; std::string bytes; Entries entries; } cases[] = {
      {"entries", Utf16Le(u"1\t3\t0\tnotepad.exe\r\nskipped\r\n0\t2\t2\t\u30E1\r\n"),
       {Entry(1, 3, 0, L"notepad.exe"), Entry(0, 2, 2, W(u"\u30E1"))}},
      {"every line skipped", Utf16Le(u"a\tb\r\n\r\n"), {MakeBlankEntry()}},  // a file without entries loads a blank one
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = (dir_ / (std::string(c.name) + ".txt")).wstring();
    WriteFileBytes(path, c.bytes);
    EXPECT_TRUE(LoadTaskListFile(path));
    EXPECT_EQ(Show(TheTaskList().Entries()), Show(c.entries));
    EXPECT_EQ(CurrentFilePath(), path);
    EXPECT_EQ(RecentFilePath(), path);
    EXPECT_EQ(titles_, std::vector<std::wstring>{FormatWindowTitle(path)});
    titles_.clear();
  }
  RecentFilePath() = (dir_ / "entries.txt").wstring();  // loading the recent file itself keeps its name
  EXPECT_TRUE(LoadTaskListFile(RecentFilePath()));
  EXPECT_EQ(RecentFilePath(), (dir_ / "entries.txt").wstring());
  EXPECT_EQ(TheTaskList().Count(), 2);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(TaskFileTest, FailedLoadChangesNothingAndSaysSo) {
  WriteFileBytes(dir_ / "be.txt", std::string("\xFE\xFF\0" "1\0\t\0\t\0\t", 10));
  WriteFileBytes(dir_ / "half.txt", Utf16Le(u"1\t3\t0\tfirst\r\n"));  // a read error must not load what came before it
  for (const char* name : {"missing.txt", "be.txt", "half.txt", "folder"}) {
    SCOPED_TRACE(name);
    store_.failRead = name == "half.txt"sv, messages_.clear();
    const std::wstring path = (dir_ / name).wstring();
    EXPECT_FALSE(LoadTaskListFile(path));
    ExpectUnchanged(kBefore, {L"タスクリストファイルのオープンに失敗しました。\n\n" + path});
  }
  // A readable list whose path is longer than the document can name is refused too.
  fs::path deep = dir_;
  while (deep.wstring().size() < 1024) deep /= std::string(200, 'd');
  fs::create_directories(deep);
  WriteFileBytes(deep / "x.txt", Utf16Le(u"1\t3\t0\tdeep\r\n"));
  messages_.clear();
  EXPECT_FALSE(LoadTaskListFile((deep / "x.txt").wstring()));
  EXPECT_EQ(TheTaskList().Count(), static_cast<int>(kBefore.size()));
  EXPECT_EQ(messages_.size(), 1u);
}

// A list of several pieces replaces the old file whole, or on any failure leaves it as it was
// and says so; either way no temporary or backup file stays and the document is unchanged.
TEST_F(TaskFileTest, SaveReplacesTheFileWholeOrKeepsItAndSaysSo) {
  const Entries big(300, Entry(0, 1, 2, std::wstring(200, L'k')));
  const struct { const char *name, *target; int failWrite; bool failCommit, readOnly; unsigned long replaceError = 0; } cases[] = {
      {"saved", "current.txt", 0, false, false},
      {"read-only target", "current.txt", 0, false, true}, {"target is a folder", "folder", 0, false, false},
      {"missing folder", "none/current.txt", 0, false, false}, {"first write fails", "current.txt", 1, false, false},
      {"write fails mid-file", "current.txt", 2, false, false}, {"commit fails", "current.txt", 0, true, false},
#ifdef _WIN32
      {"replace moves nothing (1176)", "current.txt", 0, false, false, ERROR_UNABLE_TO_MOVE_REPLACEMENT},
      {"replace leaves the target as the backup (1177)", "current.txt", 0, false, false, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool saved = c.name == "saved"sv;
    WriteFileBytes(dir_ / "current.txt", "previous contents");
    SetReadOnly(dir_ / "current.txt", c.readOnly);
    const std::set<std::wstring> before = Names(dir_);
    TheTaskList().ReplaceEntries(big);
    store_.failCommit = c.failCommit, store_.failWrite = c.failWrite, store_.writes = 0, messages_.clear();
#ifdef _WIN32
    replace_.error = c.replaceError;
#endif
    const std::wstring path = (dir_ / c.target).wstring();
    EXPECT_EQ(SaveTaskListFile(path), saved);
    EXPECT_EQ(ReadFileBytes(dir_ / "current.txt"), saved ? EncodeTaskList(big) : "previous contents");
    EXPECT_EQ(Names(dir_), before);
    if (saved || c.failWrite) { EXPECT_EQ(store_.writes, saved ? 2 : c.failWrite); }  // in pieces; none after a failure
    ExpectUnchanged(big, saved ? std::vector<std::wstring>{} : std::vector<std::wstring>{L"タスクリストファイルの書き込みに失敗しました。\n\n" + path});
#ifdef _WIN32  // not hidden like the temporary file it was written as
    if (saved) { EXPECT_FALSE(GetFileAttributesW((L"\\\\?\\" + path).c_str()) & FILE_ATTRIBUTE_HIDDEN); }
#endif
    SetReadOnly(dir_ / "current.txt", false);  // removable again
  }
#ifdef _WIN32
  // The old file could not be put back: it stays beside under the backup name, which the message gives.
  replace_.error = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, replace_.failRestore = true, messages_.clear();
  const std::wstring path = (dir_ / "current.txt").wstring();
  EXPECT_FALSE(SaveTaskListFile(path));
  std::set<std::wstring> kept = Names(dir_);
  kept.erase(L"folder");
  ASSERT_EQ(kept.size(), 1u);
  const fs::path backup = dir_ / *kept.begin();
  EXPECT_EQ(ReadFileBytes(L"\\\\?\\" + backup.wstring()), "previous contents");
  ExpectUnchanged(big, {L"タスクリストファイルの書き込みに失敗しました。\n\n" + path +
                        L"\n\n元のタスクリストファイルは次の名前で残っています。\n\n" + backup.wstring()});
#endif
}

}  // namespace
}  // namespace nagitome
