#include "engine/wildcard.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace nagitome {
namespace {

// Each result as worked out by hand, and the oracle agreeing on it.
TEST(WildcardTest, WorkedResultsAgreeWithTheOracle) {
  const std::wstring as(20, L'a'), many(1023, L'a');
  const struct { std::wstring pattern, text; bool match; } cases[] = {
      {L"note*", L"notepad", true},      {L"note*", L"note", false},     {L"note*", L"notes", true},
      {L"abc*", L"abc", false},          {L"abc*", L"abcd", true},       {L"abc*", L"abc ", true},
      {L"a*b", L"ab", true},             {L"*a*", L"a", false},          {L"*a*", L"xay", true},
      {L"a?", L"a", false},              {L"*?", L"a", true},            {L"?*", L"a", false},
      {L"?*", L"ab", true},              {L"Notepad", L"notepad", false}, {L"*.exe", L"notepad.exe", true},
      {L"*", L"", false},                {L"*", L"x", true},             {L"**", L"x", true},
      {L"?", L"x", true},                {L"?", L"", false},             {L"?", L"xy", false},
      {L"a**", L"ab", true},             {L"a**", L"a", false},          {L"", L"", true},
      {L"", L"a", false},                {L"abc", L"abc", true},         {L"abc", L"abcd", false},
      {L"a\uFF0A", L"ab", false},        {L"a\uFF1F", L"a\uFF1F", true}, {L"a*", L"a*", true},
      {L"?", L"\xD83D\xDE00", false},    {L"??", L"\xD83D\xDE00", true}, {L"*", many, true},
      {L"*a*a*a*a*a*b", as, false},      {L"*a*a*b", as + L"b", true},   {L"a*a", many, true},
      {L"*ab*b", L"aabab", true},        {L"*b*ab", L"abbaab", true},    {L"a*b?", L"abbab", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.match)
        << "pattern " << testing::PrintToString(c.pattern) << " text " << testing::PrintToString(c.text);
    EXPECT_EQ(testing_support::WildcardWalk(c.pattern, c.text), c.match) << testing::PrintToString(c.pattern);
  }
}

}  // namespace
}  // namespace nagitome
