// Case folding for regular expressions that ignore case, as ECMAScript folds without its u flag:
// each UTF-16 unit stands for its simple uppercase, unless that is more than one unit or would
// take a non-ASCII unit into ASCII (U+017F and U+0131 stay themselves, so "s" and "i" do not
// match them). Full-width Latin, Latin-1, Greek, Cyrillic and titlecase letters fold so.
#pragma once

#include <locale>

namespace nagitome {

// The classic locale with a ctype<wchar_t> that folds so. A regex imbued with it folds its
// literals, bracket ranges and back-references by these rules when it ignores case.
const std::locale& CaseFoldingLocale();

}  // namespace nagitome
