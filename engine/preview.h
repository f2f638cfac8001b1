// What a run would do, told as text: the plan of the run, which nobody carries out
// (PreviewTermination), as a report and as the preview dialog's summary.
#pragma once

#include <string>

#include "engine/termination.h"

namespace nagitome {

// The TAB-separated report, lines ended by CR LF, UTF-8 without a mark.
std::string FormatPreviewReport(const Plan& preview);

// The dialog's summary: the counts, and on a second line the rows rejected or cut short.
std::wstring PreviewSummary(const Plan& preview);

}  // namespace nagitome
