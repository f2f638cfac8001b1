#include "tasks/document.h"

#include <gtest/gtest.h>

#include <string>

namespace nagitome {
namespace {

TEST(DocumentTest, WindowTitleNamesTheFileThenItsFolder) {
  const struct { const wchar_t *path, *title; } cases[] = {
      {L"", L"無題 - Nagitome"},
      {L"C:\\Lists\\night.txt", L"night.txt[C:\\Lists\\] - Nagitome"},
      {L"night.txt", L"night.txt[] - Nagitome"},
      {L"C:night.txt", L"night.txt[C:] - Nagitome"},
      {L"C:\\a.b\\noext", L"noext[C:\\a.b\\] - Nagitome"},
      {L"C:\\x\\archive.tar.gz", L"archive.tar.gz[C:\\x\\] - Nagitome"},
      {L"C:\\x\\.hidden", L".hidden[C:\\x\\] - Nagitome"},
      {L"\\\\server\\share\\f.txt", L"f.txt[\\\\server\\share\\] - Nagitome"},
      {L"C:/d/f.txt", L"f.txt[C:/d/] - Nagitome"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatWindowTitle(c.path), c.title) << testing::PrintToString(c.path);
  // A huge folder is shortened; the name and the program's name stay.
  const std::wstring name = std::wstring(15, L'n') + L".txt";
  const std::wstring title = FormatWindowTitle(L"C:\\" + std::wstring(1000, L'd') + L"\\" + name);
  EXPECT_LE(title.size(), 1023u);
  EXPECT_TRUE(title.starts_with(name + L"[C:\\ddd") && title.ends_with(L" - Nagitome")) << testing::PrintToString(title);
}

TEST(DocumentTest, PathMessageCutsThePathKeepingItsEnd) {
  const struct { std::size_t capacity; std::wstring path, text; } cases[] = {
      {1024, L"C:\\a.txt", L"失敗\n\nC:\\a.txt"},
      {1024, L"", L"失敗\n\n"},
      // 20 units hold 19: the message, two line feeds and 15 units of path.
      {20, L"C:\\12345678.txt", L"失敗\n\nC:\\12345678.txt"},
      {20, L"C:\\123456789.txt", L"失敗\n\n...23456789.txt"},
      {20, L"C:\\some\\long\\folder\\name.txt", L"失敗\n\n...der\\name.txt"},
      {9, L"C:\\a.txt", L"失敗\n\n...t"},  // room for the dots and one unit
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPathMessage(L"失敗", c.path, c.capacity), c.text) << c.capacity;
  const std::wstring text = FormatPathMessage(L"失敗", L"C:\\" + std::wstring(1100, L'd') + L"\\file.txt");
  EXPECT_EQ(text.size(), 1023u);
  EXPECT_TRUE(text.starts_with(L"失敗\n\n...ddd") && text.ends_with(L"ddd\\file.txt")) << testing::PrintToString(text);
}

TEST(DocumentTest, AssignPathCutsAndSurvivesCopyingOntoItself) {
  std::wstring& target = RecentFilePath();
  AssignPath(target, std::wstring(1500, L'p'));
  EXPECT_EQ(target, std::wstring(1023, L'p'));
  AssignPath(target, L"C:\\recent.txt");
  AssignPath(target, target);
  EXPECT_EQ(target, L"C:\\recent.txt");
  AssignPath(target, std::wstring_view(target).substr(3));  // a view into its own buffer
  EXPECT_EQ(target, L"recent.txt");
}

}  // namespace
}  // namespace nagitome
