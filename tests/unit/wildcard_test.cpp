#include "engine/wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nagitome {
namespace {

// The matcher's defining walk, step by step and without shortcuts: a star that is the last
// unit takes the (non-empty) rest, any other star takes one more unit or ends; text used up
// with pattern left is a failure, stars or not.
bool Walk(std::wstring_view p, std::wstring_view t) {
  if (t.empty()) return p.empty();
  if (p.empty()) return false;
  if (p[0] == L'*') return p.size() == 1 || Walk(p, t.substr(1)) || Walk(p.substr(1), t);
  return (p[0] == L'?' || p[0] == t[0]) && Walk(p.substr(1), t.substr(1));
}

TEST(WildcardTest, WorkedResults) {
  const std::wstring as(1023, L'a');
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
      {L"?", L"\xD83D\xDE00", false},    {L"??", L"\xD83D\xDE00", true}, {L"*", as, true},
      {L"*a*a*a*a*a*a*a*b", as, false},  {L"*a*a*b", as + L"b", true},   {L"a*a", as, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.match)
        << "pattern " << testing::PrintToString(c.pattern) << " text " << testing::PrintToString(c.text);
    if (c.pattern.size() + c.text.size() < 24) {
      EXPECT_EQ(Walk(c.pattern, c.text), c.match);
    }
  }
}

TEST(WildcardTest, AgreesWithTheWalkOnRandomShortInputs) {
  std::mt19937 random(20260712);
  const auto make = [&](const wchar_t* alphabet, int units) {
    std::wstring s(std::uniform_int_distribution<int>(0, 7)(random), L' ');
    for (wchar_t& c : s) c = alphabet[std::uniform_int_distribution<int>(0, units - 1)(random)];
    return s;
  };
  int matches = 0;
  for (int i = 0; i < 50000; ++i) {
    const std::wstring pattern = make(L"ab?*", 4), text = make(L"ab", 2);
    const bool expected = Walk(pattern, text);
    matches += expected;
    ASSERT_EQ(WildcardMatch(pattern, text), expected)
        << "pattern " << testing::PrintToString(pattern) << " text " << testing::PrintToString(text);
  }
  EXPECT_GT(matches, 1000);  // the inputs exercise both outcomes
}

}  // namespace
}  // namespace nagitome
