#include "engine/regex_pattern.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "engine/case_fold.h"

namespace nagitome {

namespace {

// The regex scanner narrows each unit to a char to spot syntax, and MinGW's narrowing maps
// look-alikes to ASCII: "（" would open a group and "＊" repeat. Non-ASCII units are written as
// \uXXXX escapes, which mean the same unit and cannot be taken for syntax. Units above
// U+FFFF (hosts with a 32-bit wchar_t) do not fit one and are left as they are.
constexpr bool KeptAsIs(wchar_t unit) {
  if (unit < 0x80) return true;
#if WCHAR_MAX > 0xFFFF
  return static_cast<std::uint32_t>(unit) > 0xFFFF;
#else
  return false;
#endif
}

std::wstring RegexSource(std::wstring_view keyword) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring source;
  source.reserve(keyword.size());
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    wchar_t unit = keyword[i];
    if (unit == L'\\' && i + 1 < keyword.size()) {
      unit = keyword[++i];
      if (KeptAsIs(unit)) {
        source += {L'\\', unit};
        continue;
      }
      // An escaped non-ASCII unit is that unit itself: it gets its escape below.
    }
    if (KeptAsIs(unit)) {
      source += unit;
      continue;
    }
    const auto value = static_cast<unsigned>(unit);
    source += {L'\\', L'u', kHex[value >> 12], kHex[(value >> 8) & 15], kHex[(value >> 4) & 15], kHex[value & 15]};
  }
  return source;
}

// libstdc++ reads repeat counts ("{n,m}") and back-reference numbers ("\n") into an int
// without a range check: a long digit run overflows, and the count it ends with is not the one
// typed.
bool HasOverlongNumber(std::wstring_view keyword) {
  constexpr std::size_t kMaxDigits = 9;
  bool escaped = false, inBraces = false, counted = false;
  std::size_t digits = 0;
  for (const wchar_t unit : keyword) {
    if (unit >= L'0' && unit <= L'9') {
      if (digits++ == 0) counted = escaped || inBraces;
      if (counted && digits > kMaxDigits) return true;
    } else {
      digits = 0;
      if (unit == L'{') inBraces = !escaped;
      else if (unit != L',') inBraces = false;
    }
    escaped = !escaped && unit == L'\\';
  }
  return false;
}

bool IsAsciiDigit(wchar_t unit) { return unit >= L'0' && unit <= L'9'; }

bool IsAsciiAlnum(wchar_t unit) {
  return (unit >= L'0' && unit <= L'9') || (unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z');
}

}  // namespace

std::optional<std::wregex> CompileRegexKeyword(std::wstring_view keyword, bool ignoreCase) {
  if (HasOverlongNumber(keyword)) return std::nullopt;
  const std::wstring source = RegexSource(keyword);
  auto syntax = std::regex_constants::ECMAScript;
  if (ignoreCase) syntax |= std::regex_constants::icase;
  const auto compile = [&](std::regex_constants::syntax_option_type flags) {
    std::wregex regex;
    // Before the pattern: imbuing drops a compiled one. Only where case is ignored: the facet
    // is looked up on every test of a character class, and a derived one costs more to find.
    if (ignoreCase) regex.imbue(CaseFoldingLocale());
    regex.assign(source, flags);
    return regex;
  };
  try {
#ifdef __GLIBCXX__
    try {
      return compile(syntax | std::regex_constants::__polynomial);
    } catch (const std::regex_error& e) {
      // The automaton refuses back-references; anything else is a bad pattern either way.
      if (e.code() != std::regex_constants::error_complexity) throw;
    }
#endif
    return compile(syntax);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

LiteralFilter::LiteralFilter(std::wstring_view keyword, const std::wregex& regex, bool ignoreCase)
    : runs_(RequiredRuns(keyword)) {
  if (!ignoreCase) return;
  // An ignoring-case regex compares units by its locale's tolower (CaseFoldingLocale); so does
  // the filter, with the very same facet.
  fold_ = &std::use_facet<std::ctype<wchar_t>>(regex.getloc());
  for (Run& run : runs_) fold_->tolower(run.units.data(), run.units.data() + run.units.size());
}

std::vector<LiteralFilter::Run> LiteralFilter::RequiredRuns(std::wstring_view pattern) {
  static constexpr std::wstring_view kSyntax = L"^$\\.*+?()[]{}|";
  std::vector<Run> runs;
  Run run;
  int depth = 0;
  const auto endRun = [&](bool atEnd) {
    run.atEnd = atEnd;
    if (!run.units.empty()) runs.push_back(std::move(run));
    run = Run{};
  };
  for (std::size_t i = 0; i < pattern.size();) {
    const wchar_t unit = pattern[i];
    std::size_t next = i + 1;
    bool literal = false;
    wchar_t value = unit;
    if (unit == L'\\') {
      if (next == pattern.size()) return {};
      value = pattern[next++];
      if (kSyntax.find(value) != std::wstring_view::npos || !KeptAsIs(value)) {
        literal = true;
      } else {
        // \12, \u0041, \x41 and \cA take what follows; \b, \d, \w and the like do not.
        if (IsAsciiDigit(value)) {
          while (next < pattern.size() && IsAsciiDigit(pattern[next])) ++next;
        } else {
          std::size_t arguments = value == L'u' ? 4 : value == L'x' ? 2 : value == L'c' ? 1 : 0;
          for (; arguments > 0 && next < pattern.size() && IsAsciiAlnum(pattern[next]); --arguments) ++next;
        }
      }
    } else if (unit == L'[') {
      for (; next < pattern.size() && pattern[next] != L']'; ++next) {
        if (pattern[next] == L'[') return {};
        if (pattern[next] == L'\\') ++next;
      }
      if (next++ >= pattern.size()) return {};
    } else if (unit == L'{') {
      next = pattern.find(L'}', next);
      if (next++ == std::wstring_view::npos) return {};
    } else if (unit == L'(') {
      ++depth;
    } else if (unit == L')') {
      if (--depth < 0) return {};
    } else if (unit == L'|') {
      if (depth == 0) return {};
    } else {
      literal = kSyntax.find(unit) == std::wstring_view::npos;
    }
    const bool quantified = next < pattern.size() && std::wstring_view(L"*+?{").find(pattern[next]) != std::wstring_view::npos;
    if (depth == 0 && literal && !quantified) {
      if (run.units.empty()) run.atStart = i == 0;
      run.units += value;
    } else if (depth == 0 || unit == L'(') {
      endRun(false);
    }
    i = next;
  }
  endRun(true);
  return runs;
}

bool LiteralFilter::Admits(std::wstring_view text) const {
  const auto same = [this](wchar_t unit, wchar_t folded) { return (fold_ ? fold_->tolower(unit) : unit) == folded; };
  std::size_t from = 0;
  for (const Run& run : runs_) {
    const std::size_t size = run.units.size();
    if (text.size() - from < size) return false;
    std::size_t at = run.atStart ? 0 : run.atEnd ? text.size() - size : from;
    if (run.atStart || run.atEnd) {
      if (!std::equal(text.begin() + at, text.begin() + at + size, run.units.begin(), same)) return false;
    } else {
      const auto found = std::search(text.begin() + from, text.end(), run.units.begin(), run.units.end(), same);
      if (found == text.end()) return false;
      at = static_cast<std::size_t>(found - text.begin());
    }
    from = at + size;
  }
  return true;
}

}  // namespace nagitome
