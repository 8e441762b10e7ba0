// Centring on a work area: on a screen left of or above the primary one (negative coordinates),
// beside a taskbar, and for a window larger than the screen.
#include "dialog/screen_placement.h"

#include <gtest/gtest.h>

namespace larkspur::dialog {
namespace {

struct PlacementCase {
  ScreenRect workArea;
  int width, height;
  ScreenPoint expected;
};

class ScreenPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(ScreenPlacement, CentresInsideTheWorkArea) {
  const PlacementCase& c = GetParam();
  const ScreenPoint origin = centredOrigin(c.workArea, c.width, c.height);
  EXPECT_EQ(origin.x, c.expected.x);
  EXPECT_EQ(origin.y, c.expected.y);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ScreenPlacement,
    ::testing::Values(PlacementCase{{0, 0, 1280, 1024}, 455, 240, {412, 392}},
                      // A second screen left of the primary one.
                      PlacementCase{{-1920, 0, 0, 1080}, 400, 200, {-1160, 440}},
                      // A taskbar at the top takes 40 pixels of the work area.
                      PlacementCase{{0, 40, 1280, 1024}, 400, 200, {440, 432}},
                      // Larger than the screen: the caption and left edge stay on it.
                      PlacementCase{{100, 50, 740, 530}, 800, 600, {100, 50}}));

} // namespace
} // namespace larkspur::dialog
