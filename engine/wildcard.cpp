#include "engine/wildcard.h"

namespace nagitome {

// Matching "p*" (trailing stars) is matching "p?*": the last star must take one unit. With
// that rewrite, the rest is the classic glob walk that only ever returns to the latest star:
// an earlier star can never do better, because the later one can take whatever it would have.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text) {
  std::size_t end = pattern.size();
  while (end > 0 && pattern[end - 1] == L'*') --end;
  const bool trailingStar = end != pattern.size();
  const std::size_t length = trailingStar ? end + 2 : end;
  auto unit = [&](std::size_t i) -> wchar_t {
    if (i < end) return pattern[i];
    return i == end ? L'?' : L'*';
  };

  std::size_t p = 0, t = 0;
  std::size_t starP = length, starT = 0;  // no star seen yet
  while (t < text.size()) {
    if (p < length) {
      const wchar_t c = unit(p);
      if (c == L'*') {
        starP = p++;
        starT = t;
        continue;
      }
      if (c == L'?' || c == text[t]) {
        ++p;
        ++t;
        continue;
      }
    }
    if (starP == length) return false;
    p = starP + 1;
    t = ++starT;
  }
  while (p < length && unit(p) == L'*') ++p;
  return p == length;
}

}  // namespace nagitome
