#include "engine/bounded_regex.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace nagitome {

namespace {

using Clock = std::chrono::steady_clock;

// The clock is read every this many steps: a step is a few nanoseconds, a reading a few tens.
constexpr std::uint32_t kStepsPerClockCheck = 256;
// Stack kept free below the deepest step, for the executor's frames between two steps and
// for the unwinding: a quarter of what the thread had, at most this.
constexpr std::uintptr_t kMaxStackReserve = std::uintptr_t{1} << 20;

struct OutOfBudget {};

// The lowest address this thread's stack can reach.
std::uintptr_t StackBottom() {
#ifdef _WIN32
  MEMORY_BASIC_INFORMATION region{};
  if (!VirtualQuery(&region, &region, sizeof region)) return 0;
  return reinterpret_cast<std::uintptr_t>(region.AllocationBase);
#else
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* bottom = nullptr;
  std::size_t size = 0;
  pthread_attr_getstack(&attr, &bottom, &size);
  pthread_attr_destroy(&attr);
  return reinterpret_cast<std::uintptr_t>(bottom);
#endif
}

std::uintptr_t StackFloor() {
  thread_local const std::uintptr_t floor = [] {
    const std::uintptr_t bottom = StackBottom();
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (bottom == 0 || here <= bottom) return here;  // unknown: every test gives up at once
    return bottom + std::min(kMaxStackReserve, (here - bottom) / 4);
  }();
  return floor;
}

struct Budget {
  Clock::time_point deadline;
  std::uintptr_t stackFloor;
  std::uint32_t steps = 0;

  void Step() {
    if (reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < stackFloor) throw OutOfBudget{};
    if (++steps % kStepsPerClockCheck == 0 && Clock::now() >= deadline) throw OutOfBudget{};
  }
};

// A text position whose every reading or comparison is a step of the executor: both executors
// do one or the other at the end of every path they try, so the count follows their work.
class CountingIterator {
 public:
  using iterator_category = std::bidirectional_iterator_tag;
  using value_type = wchar_t;
  using difference_type = std::ptrdiff_t;
  using pointer = const wchar_t*;
  using reference = const wchar_t&;

  CountingIterator() = default;
  CountingIterator(const wchar_t* at, Budget* budget) : at_(at), budget_(budget) {}

  reference operator*() const {
    budget_->Step();
    return *at_;
  }
  CountingIterator& operator++() { ++at_; return *this; }
  CountingIterator operator++(int) { CountingIterator was = *this; ++at_; return was; }
  CountingIterator& operator--() { --at_; return *this; }
  CountingIterator operator--(int) { CountingIterator was = *this; --at_; return was; }
  // Repeats and the end of a match compare positions without reading the text: counted too,
  // so a pattern that loops on empty repeats is bounded as well. A default position (as a
  // repeat's first visit holds) has no budget of its own.
  bool operator==(const CountingIterator& other) const {
    if (Budget* budget = budget_ ? budget_ : other.budget_) budget->Step();
    return at_ == other.at_;
  }

 private:
  const wchar_t* at_ = nullptr;
  Budget* budget_ = nullptr;
};

}  // namespace

RegexAnswer BoundedRegexMatch(const std::wregex& regex, std::wstring_view text, Clock::time_point deadline) {
  Budget budget{deadline, StackFloor()};
  try {
    const bool matched = std::regex_match(CountingIterator(text.data(), &budget),
                                          CountingIterator(text.data() + text.size(), &budget), regex);
    return matched ? RegexAnswer::Match : RegexAnswer::NoMatch;
  } catch (const OutOfBudget&) {
    return RegexAnswer::GaveUp;
  } catch (const std::exception&) {
    return RegexAnswer::GaveUp;  // error_complexity, error_stack, bad_alloc: the facility gave up
  }
}

}  // namespace nagitome
