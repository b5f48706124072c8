// The navigator's geometry without a widget: fit, aspect, zoom about a point and its limit, the
// band zoom, fractions, and the status bar's number texts.
#include "viewer/vxNavigatorMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vx::test {
namespace {

TFRect Box(double l, double b, double r, double t) { return {l, t, 0, r, b, 0}; }

void ExpectRect(const TF2DRect& got, const TF2DRect& want) {
  EXPECT_NEAR(got.Left, want.Left, 1e-9);
  EXPECT_NEAR(got.Top, want.Top, 1e-9);
  EXPECT_NEAR(got.Right, want.Right, 1e-9);
  EXPECT_NEAR(got.Bottom, want.Bottom, 1e-9);
}

TEST(NavigatorMathTest, FitRectangle) {
  struct Case {
    TFRect Box;
    QSize Client;
    TF2DRect Want;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      // s = min(799 / 100, 599 / 50) = 7.99: 799 x 399.5, centred
      {Box(0, 0, 100, 50), {800, 600}, {0.5, 100.25, 799.5, 499.75}},
      // the height decides: s = 599 / 100
      {Box(-10, -10, 40, 90), {800, 600}, {250.25, 0.5, 549.75, 599.5}},
      // nothing to fit: the client rectangle
      {Box(0, 0, 100, 0), {800, 600}, {0, 0, 800, 600}},
      {Box(5, 5, 5, 5), {800, 600}, {0, 0, 800, 600}},
      {BadBox, {800, 600}, {0, 0, 800, 600}},
      {Box(0, 0, nan, 1), {800, 600}, {0, 0, 800, 600}},
      // a client too small to hold anything
      {Box(0, 0, 10, 10), {1, 1}, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) ExpectRect(FitRect(c.Box, c.Client), c.Want);
}

TEST(NavigatorMathTest, AspectFollowsTheExtents) {
  // width from height
  ExpectRect(KeepAspect({10, 20, 50, 120}, Box(0, 0, 200, 100), 32767), {10, 20, 210, 120});
  // that width would pass the limit: the height follows the width instead
  const TF2DRect r = KeepAspect({0, 0, 30000, 20000}, Box(0, 0, 100, 1), 32767);
  EXPECT_NEAR(Width(r), 30000, 1e-9);
  EXPECT_NEAR(Height(r), 300, 1e-9);
  // zero-size or unset extents: no division by zero, the rectangle stays
  ExpectRect(KeepAspect({1, 2, 3, 4}, Box(0, 0, 100, 0), 32767), {1, 2, 3, 4});
  ExpectRect(KeepAspect({1, 2, 3, 4}, BadBox, 32767), {1, 2, 3, 4});
  // sides never under 2
  ExpectRect(KeepAspect({0, 0, 50, 0.5}, Box(0, 0, 1, 1), 32767), {0, 0, 2, 2});
}

TEST(NavigatorMathTest, ZoomAboutAPointAndItsLimit) {
  ExpectRect(ZoomAbout({100, 100, 300, 200}, 200, 150, 1.25), {75, 87.5, 325, 212.5});
  ExpectRect(ZoomAbout({100, 100, 300, 200}, 100, 100, 0.8), {100, 100, 260, 180});
  // never under 2 x 2
  ExpectRect(ZoomAbout({0, 0, 4, 4}, 0, 0, 0.01), {0, 0, 2, 2});
  // a factor that would pass the limit is cut to land just below it
  const double f = LimitZoomFactor({0, 0, 20000, 10000}, 2, 32767);
  EXPECT_NEAR(f * 20000, 32766, 1e-6);
  EXPECT_DOUBLE_EQ(LimitZoomFactor({0, 0, 100, 100}, 2, 32767), 2);
}

TEST(NavigatorMathTest, BandZoomFillsTheClient) {
  TF2DRect out;
  // a band of 200 x 100 at (100, 100) in a client of 800 x 600: s = 4, centred vertically
  ASSERT_TRUE(ZoomToBand({0, 0, 800, 400}, {300, 200, 100, 100}, {800, 600}, out));
  ExpectRect(out, {-400, -300, 2800, 1300});
  // an empty band does nothing
  EXPECT_FALSE(ZoomToBand({0, 0, 800, 400}, {10, 10, 10, 50}, {800, 600}, out));
}

TEST(NavigatorMathTest, FractionsGrowUpwards) {
  double fx = 0, fy = 0;
  PictureFractions({100, 100, 300, 200}, 150, 125, fx, fy);
  EXPECT_DOUBLE_EQ(fx, 0.25);
  EXPECT_DOUBLE_EQ(fy, 0.75);
  PictureFractions({100, 100, 100, 200}, 150, 125, fx, fy);
  EXPECT_EQ(fx, 0);
  EXPECT_EQ(fy, 0);
}

TEST(NavigatorMathTest, CoordinateTexts) {
  struct Case {
    double V;
    const char* Want;
  };
  const Case cases[] = {
      {2e7, "2.000000E+007"},          // the platform's %.7e
      {12345678.9, "1.234568E+007"},
      {1e10, "1.000000E+010"},
      {10000000, "1.000000E+007"},
      {9999999.4, "9999999"},          // general, seven significant digits
      {9999999.5, "1E7"},              // rounds up to eight digits before the point
      {-2e7, "-2E7"},                  // negatives never take the %.7e form
      {-12345678, "-1.234568E7"},
      {0, "0"},
      {1.5, "1.5"},
      {-0.25, "-0.25"},
      {123.4567891, "123.4568"},
      {0.00001, "0.00001"},
      {0.0000012345, "1.2345E-6"},     // under 0.00001: scientific
      {100, "100"},
  };
  for (const Case& c : cases) EXPECT_EQ(CoordinateText(c.V), c.Want) << c.V;
  EXPECT_EQ(CoordinateText(1.5, ','), "1,5");
  EXPECT_EQ(CoordinateText(2e7, ','), "2,000000E+007");
}

}  // namespace
}  // namespace vx::test
