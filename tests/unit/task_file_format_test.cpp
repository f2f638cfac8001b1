#include "tasks/task_file_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace nagitome {
namespace {

using namespace std::string_view_literals;

// Texts hold UTF-16 units one per element on every platform; build them from char16_t.
std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::string Utf16Le(std::u16string_view text, bool mark = true) {
  std::string out = mark ? std::string("\xFF\xFE", 2) : std::string();
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string Bytes(std::initializer_list<unsigned> list) {
  std::string out;
  for (unsigned b : list) out.push_back(static_cast<char>(b));
  return out;
}

TaskEntry Entry(unsigned end, unsigned target, unsigned method, std::wstring keyword) {
  TaskEntry e;
  e.EndMethod = static_cast<EndMethod>(end);
  e.MatchTarget = static_cast<MatchTarget>(target);
  e.MatchMethod = static_cast<MatchMethod>(method);
  e.Keyword = std::move(keyword);
  return e;
}

// Readable and exact: "e t m [keyword units]" per entry, units outside ASCII as hex.
std::string Show(const std::vector<TaskEntry>& entries) {
  std::string out;
  for (const TaskEntry& e : entries) {
    out += std::to_string(static_cast<unsigned>(e.EndMethod)) + ' ' +
           std::to_string(static_cast<unsigned>(e.MatchTarget)) + ' ' +
           std::to_string(static_cast<unsigned>(e.MatchMethod)) + " [";
    for (wchar_t c : e.Keyword) {
      const auto u = static_cast<unsigned>(c);
      if (u >= 0x20 && u < 0x7F) {
        out += static_cast<char>(u);
      } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, "<%X>", u);
        out += hex;
      }
    }
    out += "]\n";
  }
  return out;
}

const std::string kExample = Bytes({0xFF, 0xFE, 0x31, 0x00, 0x09, 0x00, 0x33, 0x00, 0x09, 0x00,
                                    0x30, 0x00, 0x09, 0x00, 0x6E, 0x00, 0x6F, 0x00, 0x74, 0x00,
                                    0x65, 0x00, 0x70, 0x00, 0x61, 0x00, 0x64, 0x00, 0x2E, 0x00,
                                    0x65, 0x00, 0x78, 0x00, 0x65, 0x00, 0x0D, 0x00, 0x0A, 0x00});

TEST(TaskFileFormatTest, CanonicalExampleBothWays) {
  ASSERT_EQ(kExample.size(), 40u);
  const std::vector<TaskEntry> entries = {Entry(1, 3, 0, L"notepad.exe")};
  EXPECT_EQ(EncodeTaskList(entries), kExample);
  const DecodedTaskList decoded = DecodeTaskList(kExample);
  EXPECT_TRUE(decoded.accepted);
  EXPECT_EQ(Show(decoded.entries), Show(entries));
}

TEST(TaskFileFormatTest, EncodesEveryLineWithCrLfAndUnitsLittleEndian) {
  EXPECT_EQ(EncodeTaskList({}), Bytes({0xFF, 0xFE}));
  const std::vector<TaskEntry> entries = {Entry(0, 2, 2, W(u"\u30D1 a\tb ")),
                                          Entry(1, 0, 1, L"")};
  EXPECT_EQ(EncodeTaskList(entries), Utf16Le(u"0\t2\t2\t\u30D1 a\tb \r\n1\t0\t1\t\r\n"));
}

struct DecodeCase {
  const char* name;
  std::string bytes;
  bool accepted;
  std::vector<TaskEntry> entries;
};

TEST(TaskFileFormatTest, DecodesByMarkAndLineRules) {
  const DecodeCase cases[] = {
      // Encodings.
      {"empty file", "", true, {}},
      {"mark only", Bytes({0xFF, 0xFE}), true, {}},
      {"one byte", "1", true, {}},
      {"utf-8 mark", "\xEF\xBB\xBF" "1\t2\t1\t\xE3\x83\x91\n", true, {Entry(1, 2, 1, W(u"\u30D1"))}},
      {"utf-16 big-endian refused", Bytes({0xFE, 0xFF, 0x00, 0x31}), false, {}},
      {"single-byte: each byte its own unit", "0\t0\t0\t\xE3\x83\x91\xFF\n", true,
       {Entry(0, 0, 0, W(u"\u00E3\u0083\u0091\u00FF"))}},
      {"utf-16 without its mark", Utf16Le(u"1\t3\t0\tnotepad.exe\r\n0\t0\t0\tx\r\n", false), true, {}},
      // Line ends.
      {"CR LF, LF and a last line without end", Utf16Le(u"1\t0\t0\ta\r\n0\t1\t0\tb\n0\t0\t1\tc"), true,
       {Entry(1, 0, 0, L"a"), Entry(0, 1, 0, L"b"), Entry(0, 0, 1, L"c")}},
      {"lone CR cuts the keyword", Utf16Le(u"0\t0\t0\tab\rcd\n"), true, {Entry(0, 0, 0, L"ab")}},
      {"CR CR LF keeps nothing after the first CR", Utf16Le(u"0\t0\t0\tab\r\r\n"), true,
       {Entry(0, 0, 0, L"ab")}},
      {"SUB ends the data", Utf16Le(u"1\t0\t0\ta\r\n\u001A0\t0\t0\tb\r\n"), true, {Entry(1, 0, 0, L"a")}},
      {"SUB inside a line", Utf16Le(u"1\t0\t0\tab\u001Acd\r\n0\t0\t0\tb\r\n"), true,
       {Entry(1, 0, 0, L"ab")}},
      {"SUB byte in a utf-8 file", "\xEF\xBB\xBF" "0\t0\t0\ta\n\x1A" "0\t0\t0\tb\n", true,
       {Entry(0, 0, 0, L"a")}},
      {"NUL ends the line's text", Utf16Le(u"1\t0\t0\tab\u0000cd\r\n0\t0\t0\tz\r\n"sv), true,
       {Entry(1, 0, 0, L"ab"), Entry(0, 0, 0, L"z")}},
      {"NUL before the third TAB", Utf16Le(u"1\t0\u0000\t0\tab\r\n"sv), true, {}},
      {"line starting with NUL skipped", Utf16Le(u"\u00001\t0\t0\tab\r\n0\t0\t0\tz\r\n"sv), true,
       {Entry(0, 0, 0, L"z")}},
      {"too few TABs, empty lines skipped", Utf16Le(u"1\t0\tab\r\n\r\n\n1\t1\t1\r\n"), true, {}},
      {"three TABs alone are a blank entry", Utf16Le(u"\t\t\t\r\n"), true, {Entry(0, 0, 0, L"")}},
      {"keyword keeps TABs and outer spaces", Utf16Le(u"0\t0\t0\t  two\twords\t \r\n"), true,
       {Entry(0, 0, 0, L"  two\twords\t ")}},
      {"a stray last byte after the units", Utf16Le(u"1\t0\t0\tab\r\n") + "1", true,
       {Entry(1, 0, 0, L"ab")}},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedTaskList decoded = DecodeTaskList(c.bytes);
    EXPECT_EQ(decoded.accepted, c.accepted);
    EXPECT_EQ(Show(decoded.entries), Show(c.entries));
  }
}

TEST(TaskFileFormatTest, ParsesNumericFields) {
  const struct {
    std::u16string field;
    std::int32_t value;
  } cases[] = {
      {u" 1", 1},          {u"+2", 2},
      {u"02", 2},          {u"1abc", 1},
      {u"abc", 0},         {u"", 0},
      {u"-1", -1},         {u"5", 5},
      {u"-", 0},           {u"+-1", 0},
      {u"1 2", 1},         {u"\u3000\t 7", 7},
      {u"2147483647", INT32_MAX}, {u"2147483648", INT32_MAX},
      {u"99999999999999999999", INT32_MAX}, {u"-2147483648", INT32_MIN},
      {u"-99999999999", INT32_MIN},
      {u"\uFF11", 1},                  // fullwidth one
      {u"\uFF11\uFF10", 10},           // fullwidth digits in a row
      {u"\u0663", 3},                  // Arabic-Indic three
      {u"\u096A\u0968", 42},           // Devanagari four, two
      {u"1\u0662", 12},                // scripts may mix
      {u"\u00B2", 0},                  // superscript two is no decimal digit
      {u"\u2460", 0},                  // circled one either
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(W(c.field)));
    EXPECT_EQ(ParseNumericField(W(c.field)), c.value);
  }
}

TEST(TaskFileFormatTest, OutOfRangeFieldValuesReadAsZero) {
  const struct {
    std::u16string line;
    unsigned end, target, method;
  } cases[] = {
      {u" 1\t+2\t02\tk", 1, 2, 2},
      {u"1abc\t3\t1\tk", 1, 3, 1},
      {u"\uFF11\t\uFF13\t\uFF12\tk", 1, 3, 2},
      {u"abc\t\t \tk", 0, 0, 0},
      {u"-1\t-1\t-1\tk", 0, 0, 0},
      {u"5\t4\t3\tk", 0, 0, 0},
      {u"2\t1\t2\tk", 0, 1, 2},
      {u"4294967297\t4294967299\t4294967298\tk", 0, 0, 0},  // beyond 32 bits: clamped, not wrapped
      {u"-4294967295\t-4294967293\t-4294967294\tk", 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(W(c.line)));
    const DecodedTaskList decoded = DecodeTaskList(Utf16Le(c.line + u"\r\n"));
    EXPECT_EQ(Show(decoded.entries), Show({Entry(c.end, c.target, c.method, L"k")}));
  }
}

TEST(TaskFileFormatTest, LongLinesAreReadInPiecesOf1023Units) {
  const std::wstring k1017(1017, L'x');
  std::wstring k1023(1017, L'y');
  k1023 += L"zzzzzz";

  // A saved keyword of 1017 units is the longest that comes back whole.
  EXPECT_EQ(Show(DecodeTaskList(EncodeTaskList({Entry(1, 1, 1, k1017)})).entries),
            Show({Entry(1, 1, 1, k1017)}));
  // A longer one is cut; its tail has no TAB and is skipped, and the next line is read as usual.
  EXPECT_EQ(Show(DecodeTaskList(EncodeTaskList({Entry(1, 1, 1, k1023), Entry(0, 0, 1, L"n")})).entries),
            Show({Entry(1, 1, 1, k1023.substr(0, 1017)), Entry(0, 0, 1, L"n")}));
  // A tail piece with three TABs is an entry of its own.
  const std::wstring line = L"1\t1\t1\t" + k1017 + L"\t2\t1\tq";
  std::u16string text(line.begin(), line.end());
  EXPECT_EQ(Show(DecodeTaskList(Utf16Le(text + u"\r\n")).entries),
            Show({Entry(1, 1, 1, k1017), Entry(0, 2, 1, L"q")}));
  text = u"1\t1\t1\t" + std::u16string(1017, u'x') + u"\t\t\t\r\n";
  EXPECT_EQ(Show(DecodeTaskList(Utf16Le(text)).entries),
            Show({Entry(1, 1, 1, k1017), Entry(0, 0, 0, L"")}));
  // The piece limit counts units of the decoded text, not bytes, in a UTF-8 file too.
  std::string utf8 = "\xEF\xBB\xBF" "0\t0\t0\t";
  for (int i = 0; i < 1017; ++i) utf8 += "\xE3\x83\x91";
  utf8 += "\t\t\t\n";
  EXPECT_EQ(Show(DecodeTaskList(utf8).entries),
            Show({Entry(0, 0, 0, std::wstring(1017, static_cast<wchar_t>(0x30D1))), Entry(0, 0, 0, L"")}));
}

TEST(TaskFileFormatTest, Utf8IsConvertedAndEachBadByteIsAReplacement) {
  const wchar_t r = static_cast<wchar_t>(0xFFFD);
  const struct {
    const char* name;
    std::string bytes;
    std::wstring keyword;
  } cases[] = {
      {"two, three and four bytes", "\xC3\xA9\xE3\x83\x91\xF0\x9F\x98\x80",
       {wchar_t(0xE9), wchar_t(0x30D1), wchar_t(0xD83D), wchar_t(0xDE00)}},
      {"lone continuation byte", "a\x80" "b", {L'a', r, L'b'}},
      {"lead byte without continuation", "\xC3(", {r, L'('}},
      {"overlong forms", "\xC0\xAF\xE0\x80\xAF", {r, r, r, r, r}},
      {"encoded surrogate", "\xED\xA0\x80", {r, r, r}},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", {r, r, r, r}},
      {"invalid lead bytes", "\xF5\xFF", {r, r}},
      {"sequence cut by the line end", "\xE3\x83", {r, r}},
      {"largest code point", "\xF4\x8F\xBF\xBF", {wchar_t(0xDBFF), wchar_t(0xDFFF)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedTaskList decoded = DecodeTaskList("\xEF\xBB\xBF" "0\t0\t0\t" + c.bytes + "\r\n");
    EXPECT_EQ(Show(decoded.entries), Show({Entry(0, 0, 0, c.keyword)}));
  }
}

TEST(TaskFileFormatTest, Utf8FileLoadsTheSameEntriesAsUtf16) {
  const std::u16string text =
      u"1\t3\t0\tnotepad.exe\r\n0\t2\t2\t\u30E1\u30E2\u5E33\uFF08\u7121\u984C\uFF09\r\n"
      u"1\t0\t1\t\U0001F600 \t tab\r\n";
  const std::string utf8 =
      "\xEF\xBB\xBF" "1\t3\t0\tnotepad.exe\r\n0\t2\t2\t"
      "\xE3\x83\xA1\xE3\x83\xA2\xE5\xB8\xB3\xEF\xBC\x88\xE7\x84\xA1\xE9\xA1\x8C\xEF\xBC\x89\r\n"
      "1\t0\t1\t\xF0\x9F\x98\x80 \t tab\r\n";
  const DecodedTaskList a = DecodeTaskList(Utf16Le(text));
  const DecodedTaskList b = DecodeTaskList(utf8);
  ASSERT_EQ(a.entries.size(), 3u);
  EXPECT_EQ(Show(a.entries), Show(b.entries));
  // Saving either gives the canonical UTF-16 file back.
  EXPECT_EQ(EncodeTaskList(b.entries), Utf16Le(text));
}

TEST(TaskFileFormatTest, RandomListsRoundTrip) {
  std::mt19937 rng(20240611);
  auto pick = [&](unsigned n) { return static_cast<unsigned>(rng() % n); };
  for (int round = 0; round < 200; ++round) {
    std::vector<TaskEntry> entries(pick(8));
    for (TaskEntry& e : entries) {
      e = Entry(pick(2), pick(4), pick(3), L"");
      const unsigned length = pick(4) == 0 ? 1017 - pick(3) : pick(40);
      for (unsigned i = 0; i < length; ++i) {
        unsigned u;
        switch (pick(4)) {
          case 0: u = L"\t  0123456789ab\\*?"[pick(18)]; break;
          case 1: u = 0xD800 + pick(0x800); break;  // surrogates, paired or not
          default: u = 1 + pick(0xFFFF); break;
        }
        if (u == L'\r' || u == L'\n' || u == 0x1A) u = L'-';
        e.Keyword.push_back(static_cast<wchar_t>(u));
      }
    }
    const DecodedTaskList decoded = DecodeTaskList(EncodeTaskList(entries));
    ASSERT_TRUE(decoded.accepted);
    ASSERT_EQ(Show(decoded.entries), Show(entries)) << "round " << round;
  }
}

}  // namespace
}  // namespace nagitome
