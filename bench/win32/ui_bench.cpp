// Times the task list view inside the real main dialog: a whole refresh of 10,000 entries
// against single-entry commands on the same list, which must not touch the other rows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/settings.h"
#include "bench_timing.h"
#include "resource.h"
#include "tasks/message.h"
#include "tasks/task_list.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"

namespace {

using nagitome::bench::MedianMs;

void FillList(int count) {
  std::vector<nagitome::TaskEntry> entries(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) entries[i].Keyword = L"keyword " + std::to_wstring(i);
  nagitome::TheTaskList().ReplaceEntries(std::move(entries));
}

void Measure(bool) {
  const int counts[] = {1, 1000, 10000};
  double refresh[3];
  for (int i = 0; i < 3; ++i) {
    FillList(counts[i]);
    refresh[i] = MedianMs(5, [] { nagitome::RefreshTaskListView(); });
  }
  std::printf("RefreshTaskListView      1 entry : %8.2f ms\n", refresh[0]);
  std::printf("RefreshTaskListView  1,000 entries: %8.2f ms (%.1fx one entry)\n", refresh[1], refresh[1] / refresh[0]);
  std::printf("RefreshTaskListView 10,000 entries: %8.2f ms (%.1fx one entry)\n", refresh[2], refresh[2] / refresh[0]);

  // On the 10,000-row view: each command touches its one or two rows only.
  const auto command = [](WPARAM id) { return [id] { SendMessageW(nagitome::MainWindow(), WM_COMMAND, id, 0); }; };
  const double insert = MedianMs(5, command(IDC_ENTRY_NEW));
  const double remove = MedianMs(5, command(IDC_ENTRY_DELETE));
  const double down = MedianMs(5, command(IDC_ENTRY_DOWN));
  const double update = MedianMs(5, command(IDC_ENTRY_UPDATE));
  std::printf("single-entry commands on 10,000 rows: insert %.3f ms, delete %.3f ms, down %.3f ms, update %.3f ms\n",
              insert, remove, down, update);
  std::printf("ratio whole refresh / insert: %.0fx\n", refresh[2] / std::max(insert, 1e-3));
  nagitome::EndMainDialog(0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  nagitome::SetSettingsPathForTesting(std::wstring(temp) + L"nagitome-ui-bench.ini");
  nagitome::SetMessageSink([](std::wstring_view, nagitome::MessageIcon) {});
  nagitome::MainDialogServices services;
  services.readSettings = [] { return false; };
  services.writeSettings = [](bool) {};
  services.interpretCommandLine = &Measure;
  services.readmePath = &nagitome::ReadmePath;
  nagitome::RunMainDialog(instance, services);
  std::fflush(stdout);
  return 0;
}
