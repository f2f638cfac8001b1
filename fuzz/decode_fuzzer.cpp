// Any bytes decode without fault; what was decoded survives a save and a reload (a keyword past
// 1017 units, six before it in a piece of 1023, comes back cut by design).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tasks/task_file_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagitome;
  const DecodedTaskList first = DecodeTaskList(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!first.accepted) return 0;
  bool allWhole = true;
  for (const TaskEntry& e : first.entries) {
    if (std::uint32_t(e.EndMethod) > kEndMethodMax || std::uint32_t(e.MatchTarget) > kMatchTargetMax) {
      std::abort();
    }
    if (std::uint32_t(e.MatchMethod) > kMatchMethodMax || e.Keyword.size() > kMaxTextUnits) std::abort();
    allWhole = allWhole && e.Keyword.size() <= 1017;
  }
  const std::string saved = EncodeTaskList(first.entries);
  const DecodedTaskList second = DecodeTaskList(saved);
  if (!second.accepted) std::abort();
  if (allWhole && (second.entries != first.entries || EncodeTaskList(second.entries) != saved)) std::abort();
  return 0;
}
