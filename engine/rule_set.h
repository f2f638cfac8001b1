// A task list made ready once: one matcher per entry, used for pass after pass.
#pragma once

#include <chrono>
#include <string_view>
#include <vector>

#include "engine/keyword_matcher.h"
#include "tasks/task_list.h"

namespace nagitome {

class RuleSet {
 public:
  explicit RuleSet(const TaskList& list, std::chrono::milliseconds budget = kRegexBudgetPerEntry);

  int Count() const { return static_cast<int>(rules_.size()); }
  const TaskEntry& Entry(int index) const { return rules_[static_cast<std::size_t>(index)].entry; }
  // False for a blank keyword and a rejected regular expression: such an entry acts on nothing.
  bool Acts(int index) const;
  // Indexes of entries whose regular expression was rejected, in list order.
  const std::vector<int>& InvalidEntries() const { return invalid_; }

  // A new pass (over a snapshot, or over one window): every entry's regex budget is full again.
  void BeginPass();
  // Whole-text match of the entry's keyword, within its budget for this pass.
  bool Matches(int index, std::wstring_view text);
  // Indexes of entries cut short by their budget in this pass, in list order.
  std::vector<int> GaveUpEntries() const;

 private:
  struct Rule {
    TaskEntry entry;
    KeywordMatcher matcher;
  };
  std::vector<Rule> rules_;
  std::vector<int> invalid_;
};

}  // namespace nagitome
