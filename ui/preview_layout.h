// Where the preview dialog's controls go for a size of its client area at a DPI. The template's
// layout is kept in 96-DPI lengths, so a move to a screen of another DPI lays the dialog out
// anew. Platform-free, so the host tests it.
#pragma once

namespace nagitome {

struct LayoutBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const LayoutBox&) const = default;
};

struct PreviewLayout {
  int width = 0, height = 0;  // the client area, the least the dialog may have as a template
  LayoutBox list, summary, button;
  bool operator==(const PreviewLayout&) const = default;
};

// Every length of layout, given at fromDpi, at toDpi (to the nearest pixel).
PreviewLayout ScaleLayout(const PreviewLayout& layout, unsigned fromDpi, unsigned toDpi);

// The template's layout (in 96-DPI lengths) fitted to a client area of width x height at dpi: the
// list takes what the area gains over the scaled template, the summary keeps its distance from
// the bottom edge and widens with the list, the button keeps its distance from the bottom and
// right edges.
PreviewLayout FitPreviewLayout(const PreviewLayout& template96, int width, int height, unsigned dpi);

}  // namespace nagitome
