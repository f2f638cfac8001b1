#include "engine/keyword_matcher.h"

#include <pthread.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <optional>

#include "engine/wildcard.h"

namespace nagitome {

namespace {

using Clock = std::chrono::steady_clock;

// Backtracking recurses about once per text unit per nested quantifier: give it room.
constexpr std::size_t kWorkerStackBytes = std::size_t{64} << 20;

bool MatchWhole(const std::wregex& regex, std::wstring_view text) {
  try {
    return std::regex_match(text.data(), text.data() + text.size(), regex);
  } catch (const std::exception&) {
    return false;  // error_complexity, error_stack, bad_alloc: the facility gave up
  }
}

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

bool IsAsciiAlnum(wchar_t unit) {
  return (unit >= L'0' && unit <= L'9') || (unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z');
}

std::wregex::flag_type SyntaxFor(MatchMethod method) {
  auto flags = std::regex_constants::ECMAScript;
  if (method == MatchMethod::RegexIgnoreCase) flags |= std::regex_constants::icase;
  return flags;
}

// Null when the pattern is rejected. Without back-references the automaton runs it; with them,
// the backtracking executor, and "backtracking" says so.
std::shared_ptr<const std::wregex> Compile(const std::wstring& source, std::wregex::flag_type syntax,
                                           bool& backtracking) {
  try {
#ifdef __GLIBCXX__
    try {
      return std::make_shared<const std::wregex>(source, syntax | std::regex_constants::__polynomial);
    } catch (const std::regex_error& e) {
      // The automaton refuses back-references; anything else is a bad pattern either way.
      if (e.code() != std::regex_constants::error_complexity) throw;
    }
#endif
    backtracking = true;
    return std::make_shared<const std::wregex>(source, syntax);
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace

// One thread that runs one backtracking test at a time. A test that overruns its deadline is
// abandoned: the thread finishes it on its own and then exits, holding only shared state.
class BoundedRegexWorker {
 public:
  explicit BoundedRegexWorker(std::shared_ptr<const std::wregex> regex)
      : state_(std::make_shared<State>()) {
    state_->regex = std::move(regex);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kWorkerStackBytes);
    auto* arg = new std::shared_ptr<State>(state_);
    started_ = pthread_create(&thread_, &attr, &BoundedRegexWorker::Main, arg) == 0;
    if (!started_) delete arg;
    pthread_attr_destroy(&attr);
  }

  ~BoundedRegexWorker() {
    if (!started_) return;
    {
      std::lock_guard lock(state_->mutex);
      state_->quit = true;
    }
    state_->wake.notify_all();
    if (abandoned_) pthread_detach(thread_);
    else pthread_join(thread_, nullptr);
  }

  bool Started() const { return started_; }

  // The result, or no value when the deadline passed first.
  std::optional<bool> Test(std::wstring_view text, Clock::time_point deadline) {
    std::unique_lock lock(state_->mutex);
    state_->text.assign(text);
    state_->pending = true;
    state_->done = false;
    state_->wake.notify_all();
    if (!state_->finished.wait_until(lock, deadline, [&] { return state_->done; })) {
      abandoned_ = true;
      return std::nullopt;
    }
    return state_->result;
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable wake, finished;
    std::shared_ptr<const std::wregex> regex;
    std::wstring text;
    bool pending = false, done = false, result = false, quit = false;
  };

  static void* Main(void* arg) {
    std::shared_ptr<State> state = std::move(*static_cast<std::shared_ptr<State>*>(arg));
    delete static_cast<std::shared_ptr<State>*>(arg);
    std::unique_lock lock(state->mutex);
    for (;;) {
      state->wake.wait(lock, [&] { return state->pending || state->quit; });
      if (!state->pending) return nullptr;
      state->pending = false;
      std::wstring text = std::move(state->text);
      lock.unlock();
      const bool result = MatchWhole(*state->regex, text);
      lock.lock();
      state->result = result;
      state->done = true;
      state->finished.notify_all();
      if (state->quit) return nullptr;
    }
  }

  std::shared_ptr<State> state_;
  pthread_t thread_{};
  bool started_ = false;
  bool abandoned_ = false;
};

KeywordMatcher::KeywordMatcher(std::wstring_view keyword, MatchMethod method, std::chrono::milliseconds budget)
    : method_(method), keyword_(keyword), budget_(budget) {
  if (method_ == MatchMethod::Wildcard) return;
  if (HasOverlongNumber(keyword_)) {
    valid_ = false;
    return;
  }
  regex_ = Compile(RegexSource(keyword_), SyntaxFor(method_), backtracking_);
  valid_ = regex_ != nullptr;
  if (valid_) PrepareLiterals();
}

KeywordMatcher::~KeywordMatcher() = default;

// The plain-character runs at the outermost level of an ECMAScript pattern, for the filter in
// front of the executor. Whatever is not surely a literal ends a run, so the runs can only be
// too few, never wrong: a quantified character, escapes other than escaped syntax, groups and
// classes are skipped, and an outermost alternative or a nested class gives no runs at all.
std::vector<KeywordMatcher::LiteralRun> KeywordMatcher::RequiredLiterals(std::wstring_view pattern) {
  static constexpr std::wstring_view kSyntax = L"^$\\.*+?()[]{}|";
  std::vector<LiteralRun> runs;
  LiteralRun run;
  int depth = 0;
  const auto endRun = [&](bool atEnd) {
    run.atEnd = atEnd;
    if (!run.units.empty()) runs.push_back(std::move(run));
    run = LiteralRun{};
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
        while (next < pattern.size() && IsAsciiAlnum(pattern[next])) ++next;  // \u0041, \x41, \12
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

void KeywordMatcher::PrepareLiterals() {
  literals_ = RequiredLiterals(keyword_);
  if (method_ != MatchMethod::RegexIgnoreCase) return;
  // An ignoring-case regex compares characters through its locale's tolower; so does the filter.
  fold_ = &std::use_facet<std::ctype<wchar_t>>(regex_->getloc());
  for (LiteralRun& run : literals_) fold_->tolower(run.units.data(), run.units.data() + run.units.size());
}

bool KeywordMatcher::HasRequiredLiterals(std::wstring_view text) const {
  const auto same = [this](wchar_t unit, wchar_t folded) { return (fold_ ? fold_->tolower(unit) : unit) == folded; };
  std::size_t from = 0;
  for (const LiteralRun& run : literals_) {
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

bool KeywordMatcher::Matches(std::wstring_view text) {
  if (method_ == MatchMethod::Wildcard) return WildcardMatch(keyword_, text);
  if (!valid_ || gaveUp_ || !HasRequiredLiterals(text)) return false;
  return RegexMatches(text);
}

bool KeywordMatcher::RegexMatches(std::wstring_view text) {
  const Clock::time_point start = Clock::now();
  bool result = false;
  if (!backtracking_) {
    result = MatchWhole(*regex_, text);
  } else {
    if (!worker_) {
      try {
        worker_ = std::make_unique<BoundedRegexWorker>(regex_);
      } catch (const std::bad_alloc&) {
      }
      if (!worker_ || !worker_->Started()) {
        gaveUp_ = true;
        return false;
      }
    }
    const std::optional<bool> tested = worker_->Test(text, start + (budget_ - spent_));
    if (!tested) {
      gaveUp_ = true;
      return false;
    }
    result = *tested;
  }
  spent_ += Clock::now() - start;
  if (spent_ >= budget_) gaveUp_ = true;
  return result;
}

}  // namespace nagitome
