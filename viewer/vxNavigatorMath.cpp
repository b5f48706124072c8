// The navigator's geometry and the status bar's number texts.
#include "viewer/vxNavigatorMath.h"

#include "foundation/vxFunction.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vx {

namespace {

int RoundInt(double v) {
  constexpr double cnstLimit = 1073741824.0;  // 2^30: sums of two stay within int
  if (std::isnan(v)) return 0;
  return static_cast<int>(RoundHalfEven(std::clamp(v, -cnstLimit, cnstLimit)));
}

}  // namespace

QRect ToIntRect(const TF2DRect& r) {
  const int l = RoundInt(r.Left), t = RoundInt(r.Top);
  return QRect(l, t, RoundInt(Width(r)), RoundInt(Height(r)));
}

TF2DRect ToF2DRect(const QRect& r) {
  return {double(r.left()), double(r.top()), double(r.left()) + r.width(),
          double(r.top()) + r.height()};
}

TF2DRect Normalized(const TF2DRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

bool IsFittableBox(const TFRect& b) {
  const double w = b.Right - b.Left, h = b.Top - b.Bottom;
  // the unset box's magnitudes (1e20) are not a drawing either
  return std::isfinite(w) && std::isfinite(h) && w > 1e-9 && h > 1e-9 &&
         std::fabs(b.Left) < 1e19 && std::fabs(b.Right) < 1e19 && std::fabs(b.Top) < 1e19 &&
         std::fabs(b.Bottom) < 1e19;
}

TF2DRect FitRect(const TFRect& box, QSize client) {
  const double cw = client.width(), ch = client.height();
  const TF2DRect whole{0, 0, cw, ch};
  if (!IsFittableBox(box)) return whole;
  const double bw = box.Right - box.Left, bh = box.Top - box.Bottom;
  double s = (cw - 1) / bw;
  if (bh * s > ch - 1) s = (ch - 1) / bh;
  if (!(s > 0)) return whole;
  const double w = bw * s, h = bh * s;
  const double l = (cw - w) / 2, t = (ch - h) / 2;
  return {l, t, l + w, t + h};
}

TF2DRect KeepAspect(const TF2DRect& r, const TFRect& extents, double maxDim) {
  if (!IsFittableBox(extents)) return r;
  const double ew = extents.Right - extents.Left, eh = extents.Top - extents.Bottom;
  double w = ew * Height(r) / eh, h = Height(r);
  if (w >= maxDim) {
    w = std::min(Width(r), maxDim - 1);
    h = std::min(eh * w / ew, maxDim - 1);
  }
  w = std::max(w, 2.0);
  h = std::max(h, 2.0);
  return {r.Left, r.Top, r.Left + w, r.Top + h};
}

TF2DRect ZoomAbout(const TF2DRect& r, double px, double py, double f) {
  TF2DRect z{px - f * (px - r.Left), py - f * (py - r.Top), px + f * (r.Right - px),
             py + f * (r.Bottom - py)};
  if (Width(z) < 2) z.Right = z.Left + 2;
  if (Height(z) < 2) z.Bottom = z.Top + 2;
  return z;
}

double LimitZoomFactor(const TF2DRect& r, double factor, double maxDim) {
  const double w = Width(r) != 0 ? std::fabs(Width(r)) : 2;
  const double h = Height(r) != 0 ? std::fabs(Height(r)) : 2;
  // just below the limit, which a picture rectangle may not reach
  const double rx = (maxDim - 1) / (factor * w), ry = (maxDim - 1) / (factor * h);
  return factor * std::min({1.0, rx, ry});
}

bool ZoomToBand(const TF2DRect& picture, const TF2DRect& bandIn, QSize client, TF2DRect& out) {
  const TF2DRect band = Normalized(bandIn);
  if (!(Width(band) >= 1e-9) || !(Height(band) >= 1e-9)) return false;
  const double cw = client.width(), ch = client.height();
  double s = cw / Width(band);
  if (Height(band) * s > ch) s = ch / Height(band);
  const double mx = (cw - Width(band) * s) / 2, my = (ch - Height(band) * s) / 2;
  out = {(picture.Left - band.Left) * s + mx, (picture.Top - band.Top) * s + my,
         (picture.Right - band.Left) * s + mx, (picture.Bottom - band.Top) * s + my};
  return true;
}

void PictureFractions(const TF2DRect& p, double x, double y, double& fx, double& fy) {
  const double w = Width(p), h = Height(p);
  if (w == 0 || h == 0 || !std::isfinite(w) || !std::isfinite(h)) {
    fx = fy = 0;
    return;
  }
  fx = (x - p.Left) / w;
  fy = 1 - (y - p.Top) / h;
}

// ---- numbers --------------------------------------------------------------------------------

namespace {

// The seven significant digits of |v| and its decimal exponent, after rounding.
void SevenDigits(double v, std::string& digits, int& exponent) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6e", std::fabs(v));
  const std::string s = buf;  // d.dddddde[+-]xx
  digits = s.substr(0, 1) + s.substr(2, 6);
  exponent = std::atoi(s.c_str() + s.find('e') + 1);
}

}  // namespace

std::string CoordinateText(double v, char sep) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  std::string digits;
  int e = 0;
  SevenDigits(v, digits, e);
  if (v >= 10000000.0) {
    // the platform's %.7e: d.dddddd, E, sign, at least three exponent digits
    char ex[16];
    std::snprintf(ex, sizeof ex, "E%c%03d", e < 0 ? '-' : '+', std::abs(e));
    return digits.substr(0, 1) + sep + digits.substr(1) + ex;
  }
  if (v == 0) return "0";
  const std::string sign = v < 0 ? "-" : "";
  if (e + 1 <= 7 && e >= -5) {
    // fixed: the digits around the point, trailing zeros dropped
    std::string intPart, frac;
    if (e >= 0) {
      intPart = digits.substr(0, static_cast<size_t>(e + 1));
      frac = digits.substr(static_cast<size_t>(e + 1));
    } else {
      intPart = "0";
      frac = std::string(static_cast<size_t>(-e - 1), '0') + digits;
    }
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    return sign + intPart + (frac.empty() ? "" : std::string(1, sep) + frac);
  }
  // scientific: d.ddd without trailing zeros, E, the exponent without leading zeros
  std::string mant = digits.substr(1);
  while (!mant.empty() && mant.back() == '0') mant.pop_back();
  return sign + digits.substr(0, 1) + (mant.empty() ? "" : std::string(1, sep) + mant) + "E" +
         (e < 0 ? "-" : "") + std::to_string(std::abs(e));
}

}  // namespace vx
