// vxNavigatorMath: the drawing navigator's geometry, free of widgets: the floating-point picture
// rectangle (TF2DRect), the fit rectangle, the aspect correction of a new picture rectangle,
// zooming about a point, the rectangle zoom, client points to picture fractions, and the
// platform's number texts used by the editor's status bar.
#pragma once

#include "foundation/vxConsts.h"

#include <QRect>
#include <QSize>

#include <string>

namespace vx {

// Picture rectangles are TF2DRect of client coordinates (Left, Top, Right, Bottom; Y down).
inline double Width(const TF2DRect& r) { return r.Right - r.Left; }
inline double Height(const TF2DRect& r) { return r.Bottom - r.Top; }
inline bool SameRect(const TF2DRect& a, const TF2DRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

// Left and Top rounded, Right = Left + round(width), Bottom = Top + round(height) (each rounding
// half to even, within +-2^30).
QRect ToIntRect(const TF2DRect& r);
TF2DRect ToF2DRect(const QRect& r);
// Left <= Right and Top <= Bottom.
TF2DRect Normalized(const TF2DRect& r);

// A box that can be fitted: finite, not the unset box, with both sides above zero.
bool IsFittableBox(const TFRect& box);

// The rectangle that shows box whole in a client of the given size, centred: scale
// (client width - 1) / box width, or (client height - 1) / box height when the height would not
// fit. A box that cannot be fitted gives the client rectangle.
TF2DRect FitRect(const TFRect& box, QSize client);

// The picture rectangle r with the aspect ratio of extents (the width follows the height; when
// that width would reach maxDim the height follows the width instead); a side under 2 becomes 2.
// Extents that cannot be fitted leave r as it is.
TF2DRect KeepAspect(const TF2DRect& r, const TFRect& extents, double maxDim);

// Each edge of r moved away from (towards) p by factor; a side under 2 becomes 2.
TF2DRect ZoomAbout(const TF2DRect& r, double px, double py, double factor);

// The factor limited so that r never grows to maxDim on either side (just below it).
double LimitZoomFactor(const TF2DRect& r, double factor, double maxDim);

// The picture rectangle after zooming the client rectangle band (normalised, in client
// coordinates) to fill the client, centred on the free axis. False when the band is empty.
bool ZoomToBand(const TF2DRect& picture, const TF2DRect& band, QSize client, TF2DRect& result);

// The fractions of a client point across the picture rectangle, Y growing upwards; (0, 0) for a
// degenerate rectangle.
void PictureFractions(const TF2DRect& picture, double x, double y, double& fx, double& fy);

// The status bar's text of a coordinate: "%.7e" in the platform's form (seven significant digits,
// upper-case E, a sign and at least three exponent digits: 2.000000E+007) from 10,000,000 up,
// otherwise the general form with precision 7 (shortest exact form up to seven significant
// digits; scientific when more than seven digits stand before the point or under 0.00001),
// with the given decimal separator.
std::string CoordinateText(double v, char decimalSeparator = '.');

}  // namespace vx
