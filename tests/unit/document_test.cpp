#include "tasks/document.h"

#include <gtest/gtest.h>

#include <string>

namespace nagitome {
namespace {

TEST(DocumentTest, WindowTitleNamesTheFileThenItsFolder) {
  const struct {
    const wchar_t* path;
    const wchar_t* title;
  } cases[] = {
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
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
    EXPECT_EQ(FormatWindowTitle(c.path), c.title);
  }
}

TEST(DocumentTest, TitleOfAPathWithAHugeFolderStillFitsAndNamesTheFile) {
  const std::wstring path = L"C:\\" + std::wstring(1000, L'd') + L"\\" + std::wstring(15, L'n') + L".txt";
  const std::wstring title = FormatWindowTitle(path);
  EXPECT_LE(title.size(), 1023u);
  EXPECT_EQ(title.rfind(std::wstring(15, L'n') + L".txt[C:\\ddd", 0), 0u);
  EXPECT_TRUE(title.ends_with(L" - Nagitome")) << testing::PrintToString(title);
}

TEST(DocumentTest, PathMessageCutsThePathKeepingItsEnd) {
  const std::wstring message = L"失敗";  // 2 units
  const struct {
    std::size_t capacity;
    std::wstring path;
    std::wstring text;
  } cases[] = {
      {1024, L"C:\\a.txt", L"失敗\n\nC:\\a.txt"},
      {1024, L"", L"失敗\n\n"},
      // 20 units hold 19: the message, two line feeds and 15 units of path.
      {20, L"C:\\12345678.txt", L"失敗\n\nC:\\12345678.txt"},
      {20, L"C:\\123456789.txt", L"失敗\n\n...23456789.txt"},
      {20, L"C:\\some\\long\\folder\\name.txt", L"失敗\n\n...der\\name.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path));
    EXPECT_EQ(FormatPathMessage(message, c.path, c.capacity), c.text);
  }
  const std::wstring longPath = L"C:\\" + std::wstring(1100, L'd') + L"\\file.txt";
  const std::wstring text = FormatPathMessage(message, longPath);
  EXPECT_EQ(text.size(), 1023u);
  EXPECT_EQ(text.rfind(L"失敗\n\n...ddd", 0), 0u);
  EXPECT_TRUE(text.ends_with(L"ddd\\file.txt"));
}

TEST(DocumentTest, AssignPathCutsAndSurvivesCopyingOntoItself) {
  std::wstring target = L"old";
  AssignPath(target, L"C:\\new.txt");
  EXPECT_EQ(target, L"C:\\new.txt");
  AssignPath(target, std::wstring(1500, L'p'));
  EXPECT_EQ(target, std::wstring(1023, L'p'));

  RecentFilePath() = L"C:\\recent.txt";
  AssignPath(RecentFilePath(), RecentFilePath());
  EXPECT_EQ(RecentFilePath(), L"C:\\recent.txt");
  // Part of itself, as a view into its own buffer.
  AssignPath(RecentFilePath(), std::wstring_view(RecentFilePath()).substr(3));
  EXPECT_EQ(RecentFilePath(), L"recent.txt");
  RecentFilePath().clear();
}

}  // namespace
}  // namespace nagitome
