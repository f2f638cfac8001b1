#include "engine/rule_set.h"

namespace nagitome {

RuleSet::RuleSet(const TaskList& list, std::chrono::milliseconds budget) {
  rules_.reserve(static_cast<std::size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) {
    const TaskEntry& entry = list.At(i);
    rules_.push_back({entry, KeywordMatcher(entry.Keyword, entry.MatchMethod, budget)});
    if (!entry.Keyword.empty() && !rules_.back().matcher.IsValid()) invalid_.push_back(i);
  }
}

bool RuleSet::Acts(int index) const {
  const Rule& rule = rules_[static_cast<std::size_t>(index)];
  return !rule.entry.Keyword.empty() && rule.matcher.IsValid();
}

void RuleSet::BeginPass() {
  for (Rule& rule : rules_) rule.matcher.ResetBudget();
}

bool RuleSet::Matches(int index, std::wstring_view text) {
  return rules_[static_cast<std::size_t>(index)].matcher.Matches(text);
}

std::vector<int> RuleSet::GaveUpEntries() const {
  std::vector<int> entries;
  for (int i = 0; i < Count(); ++i) {
    if (rules_[static_cast<std::size_t>(i)].matcher.GaveUp()) entries.push_back(i);
  }
  return entries;
}

}  // namespace nagitome
