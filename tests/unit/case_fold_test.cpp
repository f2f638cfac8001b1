// Ignoring case folds the letters of every script as ECMAScript does, the literal filter alike.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <sstream>
#include <tuple>

#include "engine/case_fold.h"
#include "engine/keyword_matcher.h"

namespace nagitome {
namespace {

// Each keyword as typed, its plain runs read by the literal filter, and as a group, which the filter
// cannot read: both answer alike.
TEST(CaseFoldTest, IgnoringCaseFoldsEveryScript) {
  const std::tuple<std::wstring, std::wstring, bool> cases[] = {
      {L"ａｂｃ.*", L"ＡＢＣ文書", true},
      {L"ΣΟΦΟΣ", L"σοφος", true},
      {L"[Α-Ω]+", L"ως", true},
      {L"(ä)\\1", L"äÄ", true},
      {L"ſ", L"s", false},
  };
  for (const auto& [keyword, text, matches] : cases) {
    EXPECT_EQ(KeywordMatcher(keyword, MatchMethod::RegexIgnoreCase).Matches(text), matches);
    EXPECT_EQ(KeywordMatcher(L"(?:" + keyword + L")", MatchMethod::RegexIgnoreCase).Matches(text), matches);
  }
}

#ifndef _WIN32
// Every BMP unit: toupper is the simple uppercase where it is one unit and keeps non-ASCII out of
// ASCII; tolower one member of the unit's class, the same for all.
TEST(CaseFoldTest, FoldsEveryUnitAsTheUnicodeDataSays) {
  std::ifstream data("/usr/share/unicode/UnicodeData.txt");
  ASSERT_TRUE(data) << "UnicodeData.txt missing: scripts/setup installs the unicode-data package";
  std::vector<wchar_t> canonical(0x10000);
  std::iota(canonical.begin(), canonical.end(), 0);
  for (std::string line; std::getline(data, line);) {
    std::istringstream in(line);
    std::string fields[13];
    for (std::string& field : fields) std::getline(in, field, ';');
    const auto unit = std::stoul(fields[0], nullptr, 16);
    const auto upper = fields[12].empty() ? unit : std::stoul(fields[12], nullptr, 16);
    if (unit <= 0xFFFF && upper <= 0xFFFF && (unit < 0x80 || upper >= 0x80)) canonical[unit] = upper;
  }
  const auto& ctype = std::use_facet<std::ctype<wchar_t>>(CaseFoldingLocale());
  for (wchar_t unit = 0; unit <= 0xFFFF; ++unit) {
    const wchar_t lower = ctype.tolower(unit);
    ASSERT_EQ(ctype.toupper(unit), canonical[unit]) << int(unit);
    ASSERT_EQ(canonical.at(lower), canonical[unit]) << int(unit);
    ASSERT_EQ(ctype.tolower(canonical[unit]), lower) << int(unit);
  }
}
#endif

}  // namespace
}  // namespace nagitome
