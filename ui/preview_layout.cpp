#include "ui/preview_layout.h"

#include <cmath>

namespace nagitome {

namespace {

int Scale(int length, unsigned fromDpi, unsigned toDpi) {
  return static_cast<int>(std::lround(static_cast<double>(length) * toDpi / fromDpi));
}

LayoutBox Scale(const LayoutBox& box, unsigned fromDpi, unsigned toDpi) {
  return {Scale(box.left, fromDpi, toDpi), Scale(box.top, fromDpi, toDpi), Scale(box.right, fromDpi, toDpi),
          Scale(box.bottom, fromDpi, toDpi)};
}

LayoutBox Moved(const LayoutBox& box, int dx, int dy) {
  return {box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

}  // namespace

PreviewLayout ScaleLayout(const PreviewLayout& layout, unsigned fromDpi, unsigned toDpi) {
  return {Scale(layout.width, fromDpi, toDpi), Scale(layout.height, fromDpi, toDpi),
          Scale(layout.list, fromDpi, toDpi), Scale(layout.summary, fromDpi, toDpi),
          Scale(layout.button, fromDpi, toDpi)};
}

PreviewLayout FitPreviewLayout(const PreviewLayout& template96, int width, int height, unsigned dpi) {
  PreviewLayout fitted = ScaleLayout(template96, 96, dpi);
  const int dx = width - fitted.width, dy = height - fitted.height;
  fitted.width = width;
  fitted.height = height;
  fitted.list.right += dx;
  fitted.list.bottom += dy;
  fitted.summary = Moved(fitted.summary, 0, dy);
  fitted.summary.right += dx;
  fitted.button = Moved(fitted.button, dx, dy);
  return fitted;
}

}  // namespace nagitome
