// What the main dialog and the command line decide, without a window: row texts, the editor's
// check marks, the rows an entry command changes, the start-up forms; and the run log's lines.
#include <gtest/gtest.h>

#include <tuple>

#include "app/run_log.h"
#include "app/start_form.h"
#include "tasks/texts.h"
#include "ui/editor_model.h"

namespace nagitome {
namespace {

// Every combination: the texts of its values; its check marks come back as the same entry, the case
// box counting for a regex only.
TEST(EditorModelTest, RowTextsAndCheckMarksNameEveryValue) {
  using namespace texts;
  const wchar_t* ends[] = {kEndCloseWindow, kEndTaskkill};
  const wchar_t* targets[] = {kTargetTitle, kTargetClass, kTargetTitleAndClass, kTargetProcess};
  const wchar_t* methods[] = {kMethodWildcard, kMethodRegexCase, kMethodRegexNoCase};
  for (int i = 0; i < 24; ++i) {
    const TaskEntry entry{EndMethod(i / 12), MatchTarget(i / 3 % 4), MatchMethod(i % 3), L"k"};
    EXPECT_EQ(RowTextsOf(entry), (RowTexts{ends[i / 12], targets[i / 3 % 4], methods[i % 3], L"k"}));
    const EditorState state = EditorStateOf(entry);
    EXPECT_EQ(EntryOfEditor(state.checks, L"k"), entry) << i;
    EXPECT_EQ(state.caseEnabled, i % 3 != 0) << i;
  }
  EditorChecks checks{};  // never loaded: the first values
  EXPECT_EQ(EntryOfEditor(checks, L"x"), (TaskEntry{.Keyword = L"x"}));
  checks[7] = true;  // the wildcard radio wins; the case box is kept but does not count
  checks[8] = true;
  checks[9] = true;
  EXPECT_EQ(EntryOfEditor(checks, L"").MatchMethod, MatchMethod::Wildcard);
}

// One entry per letter ("_": a blank keyword), the selected one in brackets.
TaskList MakeList(const std::wstring& rows) {
  TaskList list;
  list.ClearEntries();
  for (const wchar_t k : rows) {
    if (k != L'[' && k != L']') list.AppendEntry({.Keyword = std::wstring(1, k)});
  }
  list.ResetSelection();
  list.SelectEntry(static_cast<int>(rows.find(L'[')));
  return list;
}

std::wstring Rows(const TaskList& list) {
  std::wstring rows;
  for (const TaskEntry& e : list.Entries()) rows += e.Keyword.empty() ? L'_' : e.Keyword[0];
  return rows;
}

// A view that follows the row change shows the model; the row it selects, reported back, reloads the
// editor ("!") unless the model has it already. Without a selection nothing changes.
TEST(EditorModelTest, EntryCommandsLeaveTheViewShowingTheModel) {
  using C = EntryCommand;
  std::vector<std::tuple<std::wstring, C, std::wstring>> cases = {
      {L"ab[c]", C::Insert, L"ab[_]c!"},
      {L"[a]bc", C::Delete, L"[b]c!"},
      {L"ab[c]", C::Delete, L"a[b]!"},
      {L"ab[c]", C::Up, L"a[c]b"},
      {L"a[b]c", C::Down, L"ac[b]"},
      {L"a[b]c", C::Update, L"a[d]c"},
      {L"[a]bc", C::Up, L"[a]bc"},
      {L"ab[c]", C::Down, L"ab[c]"},
      {L"[a]", C::Delete, L"[a]"},
  };
  for (int command = 0; command < 5; ++command) cases.emplace_back(L"abc", C(command), L"abc");
  for (const auto& [before, command, after] : cases) {
    TaskList list = MakeList(before);
    std::wstring view = Rows(list);
    int selected = list.SelectedIndex();
    bool reloaded = false;
    const RowChange change = ApplyEntryCommand(list, command, {.Keyword = L"d"});
    if (change.removed != kNoRow) view.erase(change.removed, 1);
    if (change.inserted != kNoRow) view.insert(change.inserted, 1, Rows(list)[change.inserted]);
    if (change.selected != kNoRow) {
      selected = change.selected;
      reloaded = list.SelectEntry(change.selected);
    }
    EXPECT_EQ(std::tie(view, selected), std::make_tuple(Rows(list), list.SelectedIndex()));
    if (selected >= 0) view.insert(selected + 1, L"]").insert(selected, L"[");
    EXPECT_EQ(view + (reloaded ? L"!" : L""), after) << int(command) << testing::PrintToString(before);
  }
}

// An update cuts the keyword to what the editor holds; rows the view cannot have are ignored; a
// new list is one blank entry, shown from row 0.
TEST(TaskListTest, UpdateCutsTheKeywordAndANewListIsOneBlankEntry) {
  TaskList list = MakeList(L"[a]bc");
  ApplyEntryCommand(list, EntryCommand::Update, {.Keyword = std::wstring(1100, L'k')});
  EXPECT_EQ(list.At(0).Keyword, std::wstring(1023, L'k'));
  EXPECT_FALSE(list.SelectEntry(3));
  EXPECT_FALSE(list.SelectEntry(-1));
  EXPECT_EQ(list.NewTaskList(), 0);
  EXPECT_EQ(Rows(list), L"_");
}

TEST(StartFormTest, ArgumentsChooseTheAction) {
  using A = StartAction;
  const struct {
    std::vector<std::wstring> arguments;
    StartForm form;
    bool recentOn = false;
    std::wstring recent = L"";
  } cases[] = {
      {{}, {A::New}, false, L"r.txt"},
      {{}, {A::Open, L"r.txt"}, true, L"r.txt"},
      {{}, {A::New}, true},
      {{L"ok.txt"}, {A::Open, L"ok.txt"}, true, L"r.txt"},
      {{L"gone.txt"}, {A::BadPath, L"gone.txt"}},
      {{L"/E", L"gone.txt", L"x"}, {A::Run, L"gone.txt"}},
      {{L"/e", L"l.txt", L"/LOG", L"r.log"}, {A::Run, L"l.txt", L"", true, L"r.log"}},
      {{L"/e", L"l.txt", L"/log"}, {A::Run, L"l.txt", L"", true}},
      {{L"/e", L"l.txt", L"/logs", L"r.log"}, {A::Run, L"l.txt"}},
      {{L"/x", L"ok.txt"}, {A::BadArguments}},
      {{L"-e", L"ok.txt"}, {A::BadArguments}},
      {{L"/p", L"gone.txt"}, {A::Preview, L"gone.txt"}},
      {{L"/P", L"l.txt", L"r.txt"}, {A::Preview, L"l.txt", L"r.txt"}},
      {{L"/p"}, {A::Preview}},
      {{L"/E"}, {A::Run}},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> arguments = c.arguments;
    arguments.insert(arguments.begin(), L"Nagitome.exe");
    const auto exists = [](const std::wstring& path) { return path.starts_with(L"ok"); };
    const StartForm form = ReadStartForm(arguments, c.recentOn, c.recent, exists);
    EXPECT_EQ(form, c.form) << testing::PrintToString(c.arguments);
  }
}

// The fields of the lines the Wine tests do not show; the time west of UTC and at it (the Wine tests
// run east of it).
TEST(RunLogTest, LinesAreStampedTabSeparatedFields) {
  EXPECT_EQ(LogNotLoadedLine(L"m\n\nC:\\l"), L"not loaded\tm\\n\\nC:\\\\l");
  EXPECT_EQ(LogEndLine({1, 2, 3, 4}, 1), L"end\tcloses 1\tkills 2\trejected 3\tcut short 4\texit 1");
  EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, -210}, L"x"), "2026-01-02T03:04:05.006-03:30\tx\r\n");
  EXPECT_EQ(LogLineBytes({2026, 1, 2, 3, 4, 5, 6, 0}, L"パ"), "2026-01-02T03:04:05.006+00:00\tパ\r\n");
}

}  // namespace
}  // namespace nagitome
