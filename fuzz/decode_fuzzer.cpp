// Any bytes decode without fault; what was decoded survives a save and a reload.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tasks/task_file_format.h"

namespace {

// A saved line has six units before its keyword and the reader takes 1023 per piece, so a
// longer keyword comes back cut by design.
constexpr std::size_t kLongestWholeKeyword = 1017;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagitome;
  const DecodedTaskList first =
      DecodeTaskList(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!first.accepted) return 0;

  bool allWhole = true;
  for (const TaskEntry& e : first.entries) {
    Check(static_cast<std::uint32_t>(e.EndMethod) <= kEndMethodMax);
    Check(static_cast<std::uint32_t>(e.MatchTarget) <= kMatchTargetMax);
    Check(static_cast<std::uint32_t>(e.MatchMethod) <= kMatchMethodMax);
    Check(e.Keyword.size() <= kMaxTextUnits);
    allWhole = allWhole && e.Keyword.size() <= kLongestWholeKeyword;
  }

  const std::string saved = EncodeTaskList(first.entries);
  const DecodedTaskList second = DecodeTaskList(saved);
  Check(second.accepted);
  if (allWhole) {
    Check(second.entries == first.entries);
    Check(EncodeTaskList(second.entries) == saved);
  }
  return 0;
}
