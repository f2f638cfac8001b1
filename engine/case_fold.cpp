#include "engine/case_fold.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace nagitome {

namespace {

struct CaseRun {
  std::uint16_t first, last, step, delta;
};

#include "engine/case_fold_runs.inc"

// A 64K-entry table would cost 128 KiB; runs cost about 3 KiB. The block index narrows the
// search to the runs of one 256-unit block, and most units of a Japanese title (kana, kanji)
// lie in blocks with none.
struct CaseTable {
  std::span<const CaseRun> runs;
  std::array<std::uint16_t, 257> blockStart{};  // the first run that starts in or after a block

  constexpr explicit CaseTable(std::span<const CaseRun> all) : runs(all) {
    std::size_t run = 0;
    for (std::size_t block = 0; block < blockStart.size(); ++block) {
      while (run < runs.size() && runs[run].first < block * 256) ++run;
      blockStart[block] = static_cast<std::uint16_t>(run);
    }
  }

  wchar_t Fold(wchar_t unit) const {
    const auto value = static_cast<std::uint32_t>(unit);
    if (value > 0xFFFF) return unit;  // not a UTF-16 unit: a 32-bit wchar_t out of range
    // The run holding the unit is the last one that starts at or before it: in its own block,
    // or the one before that block reaching into it.
    const auto from = runs.begin() + blockStart[value >> 8], to = runs.begin() + blockStart[(value >> 8) + 1];
    auto run = std::upper_bound(from, to, value, [](std::uint32_t v, const CaseRun& r) { return v < r.first; });
    if (run == runs.begin()) return unit;
    --run;
    if (value > run->last || (value - run->first) % run->step != 0) return unit;
    return static_cast<wchar_t>((value + run->delta) & 0xFFFF);
  }
};

constexpr CaseTable kUpper(kUpperRuns), kLower(kLowerRuns);

// libstdc++'s regex compares pattern and text units (back-references too) by their tolower,
// and lets a bracket range admit a unit when its tolower or its toupper lies inside. So
// tolower is one member per case class, its lowercase one, and toupper the canonical form:
// a range then sees both usual members of a class. Two probes cannot see a third: a range
// that holds one without the other two (U+00B5 in [\x80-\xFF], U+0345 in [\u0300-\u036F])
// misses its whole class, that unit included.
class CaseFoldingCtype final : public std::ctype<wchar_t> {
 protected:
  char_type do_toupper(char_type unit) const override { return kUpper.Fold(unit); }
  char_type do_tolower(char_type unit) const override { return kLower.Fold(unit); }
  const char_type* do_toupper(char_type* low, const char_type* high) const override {
    for (; low != high; ++low) *low = kUpper.Fold(*low);
    return high;
  }
  const char_type* do_tolower(char_type* low, const char_type* high) const override {
    for (; low != high; ++low) *low = kLower.Fold(*low);
    return high;
  }
};

}  // namespace

const std::locale& CaseFoldingLocale() {
  static const std::locale locale(std::locale::classic(), new CaseFoldingCtype);
  return locale;
}

}  // namespace nagitome
