// Where the preview dialog's controls go for a client area at a DPI: host-tested with the dialog's
// other decisions (the Wine suite shows the dialog following a DPI change).
#include <gtest/gtest.h>

#include "ui/preview_layout.h"

namespace nagitome {
namespace {

// A list over a summary and a button at the bottom right, in 96-DPI lengths.
constexpr PreviewLayout kTemplate{420, 220, {7, 7, 413, 177}, {7, 183, 347, 203}, {363, 186, 413, 201}};

TEST(PreviewLayoutTest, TheListTakesWhatTheAreaGainsOverTheTemplateAtItsDpi) {
  const struct {
    unsigned dpi;
    PreviewLayout fitted;
  } cases[] = {
      {96, {520, 270, {7, 7, 513, 227}, {7, 233, 447, 253}, {463, 236, 513, 251}}},
      {144, {630, 330, {11, 11, 620, 266}, {11, 275, 521, 305}, {545, 279, 620, 302}}},  // halves round up
      {192, {940, 480, {14, 14, 926, 394}, {14, 406, 794, 446}, {826, 412, 926, 442}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitPreviewLayout(kTemplate, c.fitted.width, c.fitted.height, c.dpi), c.fitted) << c.dpi;
  }
  // Measured at 144 and kept in 96-DPI lengths, the template comes back whole.
  EXPECT_EQ(ScaleLayout(ScaleLayout(kTemplate, 96, 144), 144, 96), kTemplate);
}

}  // namespace
}  // namespace nagitome
