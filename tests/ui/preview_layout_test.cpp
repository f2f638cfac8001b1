// The preview dialog's layout at a DPI.
#include <gtest/gtest.h>

#include "ui/preview_layout.h"

namespace nagitome {
namespace {

// At 96 DPI: a list over a summary, a button at the bottom right.
constexpr PreviewLayout kTemplate{420, 220, {7, 7, 413, 177}, {7, 183, 347, 203}, {363, 186, 413, 201}};

TEST(PreviewLayoutTest, TheListTakesWhatTheAreaGainsOverTheTemplateAtItsDpi) {
  const std::pair<unsigned, PreviewLayout> cases[] = {
      {144, {630, 330, {11, 11, 620, 266}, {11, 275, 521, 305}, {545, 279, 620, 302}}},  // halves round up
      {192, {940, 480, {14, 14, 926, 394}, {14, 406, 794, 446}, {826, 412, 926, 442}}},
  };
  for (const auto& [dpi, fitted] : cases) {
    EXPECT_EQ(FitPreviewLayout(kTemplate, fitted.width, fitted.height, dpi), fitted);
  }
  // Measured at 144 and kept at 96 DPI: the template whole again.
  EXPECT_EQ(ScaleLayout(ScaleLayout(kTemplate, 96, 144), 144, 96), kTemplate);
}

}  // namespace
}  // namespace nagitome
