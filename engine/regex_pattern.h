// A keyword made ready for the regex facility: escaped, checked and compiled for the executor
// that suits it, and the plain runs of text any match must hold.
#pragma once

#include <locale>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace nagitome {

// Empty when the pattern is rejected. Patterns without back-references are compiled for the
// polynomial (automaton) executor; the others need the backtracking one.
std::optional<std::wregex> CompileRegexKeyword(std::wstring_view keyword, bool ignoreCase);

// The plain-character runs at the outermost level of a pattern, which every whole match holds
// in order, some pinned to the start or the end of the text: most texts fail them in
// nanoseconds, without the executor. Whatever is not surely a literal ends a run, so the runs
// can only be too few, never wrong.
class LiteralFilter {
 public:
  LiteralFilter() = default;
  // regex: the compiled keyword, whose locale folds case when ignoreCase is set.
  LiteralFilter(std::wstring_view keyword, const std::wregex& regex, bool ignoreCase);
  bool Admits(std::wstring_view text) const;

 private:
  struct Run {
    std::wstring units;  // case-folded when the case is ignored
    bool atStart = false, atEnd = false;
  };
  static std::vector<Run> RequiredRuns(std::wstring_view pattern);

  std::vector<Run> runs_;
  const std::ctype<wchar_t>* fold_ = nullptr;  // the regex's own case folding, when ignoring case
};

}  // namespace nagitome
