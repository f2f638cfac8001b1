// Ignoring case folds the letters of every script as ECMAScript does, the literal filter alike.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <sstream>

#include "engine/case_fold.h"
#include "engine/keyword_matcher.h"

namespace nagitome {
namespace {

// Each keyword as typed, its plain runs checked first by the literal filter, and as a group, which the
// filter cannot read: both answer alike. The data test below holds every unit; these, the regex around it.
TEST(CaseFoldTest, IgnoringCaseFoldsEveryScript) {
  const struct {
    std::wstring keyword;
    const wchar_t* text;
    bool matches;
  } cases[] = {
      {L"ａｂｃ.*", L"ＡＢＣ文書", true},
      {L"ΣΟΦΟΣ", L"σοφος", true},
      {L"[Α-Ω]+", L"ως", true},
      {L"(ä)\\1", L"äÄ", true},
      {L"ſ", L"s", false},
  };
  for (const auto& c : cases) {
    for (const std::wstring& keyword : {c.keyword, L"(?:" + c.keyword + L")"}) {
      KeywordMatcher matcher(keyword, MatchMethod::RegexIgnoreCase);
      EXPECT_EQ(matcher.Matches(c.text), c.matches) << testing::PrintToString(keyword);
    }
  }
}

#ifndef _WIN32
// Every BMP unit against the Unicode data: toupper is Canonicalize (the simple uppercase, where it is one
// unit and keeps non-ASCII out of ASCII), tolower one member of the unit's class, the same for all.
TEST(CaseFoldTest, FoldsEveryUnitAsTheUnicodeDataSays) {
  std::ifstream data("/usr/share/unicode/UnicodeData.txt");
  ASSERT_TRUE(data) << "UnicodeData.txt missing: scripts/setup installs the unicode-data package";
  std::vector<std::uint32_t> canonical(0x10000);
  std::iota(canonical.begin(), canonical.end(), 0u);
  for (std::string line; std::getline(data, line);) {
    std::istringstream in(line);
    std::string fields[13];
    for (std::string& field : fields) std::getline(in, field, ';');
    const auto unit = std::stoul(fields[0], nullptr, 16);
    const auto upper = fields[12].empty() ? unit : std::stoul(fields[12], nullptr, 16);
    if (unit <= 0xFFFF && upper <= 0xFFFF && (unit < 0x80 || upper >= 0x80)) canonical[unit] = upper;
  }
  const auto& ctype = std::use_facet<std::ctype<wchar_t>>(CaseFoldingLocale());
  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const auto lower = static_cast<std::uint32_t>(ctype.tolower(static_cast<wchar_t>(unit)));
    ASSERT_EQ(static_cast<std::uint32_t>(ctype.toupper(static_cast<wchar_t>(unit))), canonical[unit]) << unit;
    ASSERT_EQ(canonical.at(lower), canonical[unit]) << unit;
    ASSERT_EQ(ctype.tolower(static_cast<wchar_t>(canonical[unit])), static_cast<wchar_t>(lower)) << unit;
  }
}
#endif

}  // namespace
}  // namespace nagitome
