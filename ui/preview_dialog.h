// The preview dialog (template 102): what a run of the list would end, nothing ended.
#pragma once

#include <windows.h>

#include "engine/preview.h"

namespace nagitome {

// Runs the dialog modally over the main dialog until it is closed.
void ShowPreviewDialog(HINSTANCE instance, HWND owner, const Plan& preview);

}  // namespace nagitome
