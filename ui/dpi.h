// Sizes we give in pixels follow the DPI of the window they are used in; the dialog manager
// scales only what comes from a template.
#pragma once

#include <windows.h>

#include <span>

namespace nagitome {

inline constexpr UINT kBaseDpi = 96;

// The window's DPI: GetDpiForWindow where the system has it, else its device context's.
UINT WindowDpi(HWND window);

// A length given for 96 DPI, at another DPI.
inline int ScaleToDpi(int px96, UINT dpi) { return MulDiv(px96, static_cast<int>(dpi), kBaseDpi); }

// Column i of a report list view gets widths96[i] scaled to dpi.
void SetColumnWidths(HWND listView, std::span<const int> widths96, UINT dpi);

// Moves window exactly over the placeholder control (a sibling) and hides the placeholder,
// which would otherwise paint over it.
void PlaceOver(HWND window, HWND placeholder);

// A private message a dialog posts to itself on WM_DPICHANGED, so that what it sizes itself is
// redone after the dialog manager has re-laid out the template; wParam: the new DPI.
inline constexpr UINT kDpiChangeDone = WM_APP + 0x44;

}  // namespace nagitome
