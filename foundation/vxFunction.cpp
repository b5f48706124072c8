#include "foundation/vxFunction.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vx {

// ---- rounding -------------------------------------------------------------------------------

double RoundHalfEvenD(double v) { return std::nearbyint(v); }  // default FE_TONEAREST: ties to even

int64_t RoundHalfEven(double v) {
  if (std::isnan(v)) return 0;
  double r = std::nearbyint(v);
  constexpr double kMax = 9223372036854775807.0;  // rounds to 2^63
  if (r >= kMax) return std::numeric_limits<int64_t>::max();
  if (r <= -kMax) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(r);
}

// ---- vectors --------------------------------------------------------------------------------

TFPoint AddFPoint(const TFPoint& a, const TFPoint& b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
TFPoint SubFPoint(const TFPoint& a, const TFPoint& b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
TFPoint PtXScalar(const TFPoint& p, double s) { return {p.X * s, p.Y * s, p.Z * s}; }
TFPoint MiddleFPoint(const TFPoint& a, const TFPoint& b) {
  return {(a.X + b.X) / 2, (a.Y + b.Y) / 2, (a.Z + b.Z) / 2};
}
double DotFPoint(const TFPoint& a, const TFPoint& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
TFPoint CrossFPoint(const TFPoint& a, const TFPoint& b) {
  return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

double VectorLength(const TFPoint& p) {
  double sq = DotFPoint(p, p);
  return sq <= Accuracy ? 0.0 : std::sqrt(sq);
}

TFPoint Normalize(const TFPoint& p) {
  double len = std::sqrt(DotFPoint(p, p));
  if (len == 0 || !std::isfinite(len)) len = 1;
  return PtXScalar(p, 1.0 / len);
}

double DistanceFPoint(const TFPoint& a, const TFPoint& b) {
  return std::sqrt(DotFPoint(SubFPoint(a, b), SubFPoint(a, b)));
}
double DistanceFPoint2D(const TFPoint& a, const TFPoint& b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

TFPoint RotateAroundVector(const TFPoint& v, const TFPoint& axis, double angle) {
  if (std::fabs(angle) < 1e-6) return v;
  TFPoint k = Normalize(axis);
  double c = std::cos(angle), s = std::sin(angle);
  // v cos + (k x v) sin + k (k . v)(1 - cos)
  return AddFPoint(AddFPoint(PtXScalar(v, c), PtXScalar(CrossFPoint(k, v), s)),
                   PtXScalar(k, DotFPoint(k, v) * (1 - c)));
}

// ---- matrices -------------------------------------------------------------------------------

TFPoint TransformPoint(const TFPoint& p, const TFMatrix& m) {
  const auto& M = m.M;
  return {p.X * M[0][0] + p.Y * M[1][0] + p.Z * M[2][0] + M[3][0],
          p.X * M[0][1] + p.Y * M[1][1] + p.Z * M[2][1] + M[3][1],
          p.X * M[0][2] + p.Y * M[1][2] + p.Z * M[2][2] + M[3][2]};
}

TFPoint TransformVector(const TFPoint& p, const TFMatrix& m) {
  const auto& M = m.M;
  return {p.X * M[0][0] + p.Y * M[1][0] + p.Z * M[2][0],
          p.X * M[0][1] + p.Y * M[1][1] + p.Z * M[2][1],
          p.X * M[0][2] + p.Y * M[1][2] + p.Z * M[2][2]};
}

TFMatrix MultiplyMatrix(const TFMatrix& a, const TFMatrix& b) {
  TFMatrix r;
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i)
      r.M[i][j] = a.M[i][0] * b.M[0][j] + a.M[i][1] * b.M[1][j] + a.M[i][2] * b.M[2][j];
    r.M[3][j] = a.M[3][0] * b.M[0][j] + a.M[3][1] * b.M[1][j] + a.M[3][2] * b.M[2][j] + b.M[3][j];
  }
  return r;
}

TFMatrix TranslationMatrix(const TFPoint& p) {
  TFMatrix m = cnstIdentityMat;
  m.SetRow(3, p);
  return m;
}

TFMatrix ScaleMatrix(double sx, double sy, double sz) {
  TFMatrix m = cnstIdentityMat;
  m.M[0][0] = sx;
  m.M[1][1] = sy;
  m.M[2][2] = sz;
  return m;
}
TFMatrix ScaleMatrix(const TFPoint& s) { return ScaleMatrix(s.X, s.Y, s.Z); }

TFMatrix MatrixScale(const TFMatrix& m, const TFPoint& s) {
  TFMatrix r = m;
  for (auto& row : r.M) {
    row[0] *= s.X;
    row[1] *= s.Y;
    row[2] *= s.Z;
  }
  return r;
}

namespace {
// Sine and cosine that are exact on multiples of pi/2, so quarter turns give clean 0/1/-1.
void ExactSinCos(double angle, double& s, double& c) {
  double q = angle / (fPi / 2);
  double rq = std::nearbyint(q);
  if (std::isfinite(q) && std::fabs(q - rq) <= 1e-9 && std::fabs(rq) < 1e15) {
    int k = static_cast<int>(std::fmod(rq, 4.0));
    if (k < 0) k += 4;
    static constexpr double kSin[4] = {0, 1, 0, -1};
    static constexpr double kCos[4] = {1, 0, -1, 0};
    s = kSin[k];
    c = kCos[k];
    return;
  }
  s = std::sin(angle);
  c = std::cos(angle);
}
}  // namespace

TFMatrix RotationMatrix(TvxAxis axis, double angleRad) {
  double s, c;
  ExactSinCos(angleRad, s, c);
  TFMatrix m = cnstIdentityMat;
  switch (axis) {
    case axisX:  // Y toward Z
      m.M[1] = {0, c, s};
      m.M[2] = {0, -s, c};
      break;
    case axisY:  // Z toward X
      m.M[0] = {c, 0, -s};
      m.M[2] = {s, 0, c};
      break;
    case axisZ:  // X toward Y
      m.M[0] = {c, s, 0};
      m.M[1] = {-s, c, 0};
      break;
  }
  return m;
}

TFMatrix RotationMatrixZDeg(double angleDeg) { return RotationMatrix(axisZ, angleDeg * fPiDiv180); }

void ArbitraryAxis(const TFPoint& normal, TFPoint& ax, TFPoint& ay) {
  TFPoint n = Normalize(normal);
  constexpr double kLimit = 1.0 / 64.0;
  if (std::fabs(n.X) < kLimit && std::fabs(n.Y) < kLimit)
    ax = Normalize(CrossFPoint(cnstYOrtAxis, n));
  else
    ax = Normalize(CrossFPoint(cnstZOrtAxis, n));
  ay = Normalize(CrossFPoint(n, ax));
}

TFMatrix ExtrusionMatrix(const TFPoint& normal) {
  TFPoint ax, ay;
  ArbitraryAxis(normal, ax, ay);
  TFMatrix m;
  m.SetRow(0, ax);
  m.SetRow(1, ay);
  m.SetRow(2, Normalize(normal));
  m.SetRow(3, cnstFPointZero);
  return m;
}

TFMatrix ExtrusionMatrix(const TFPoint& normal, double angleDeg) {
  return MultiplyMatrix(RotationMatrixZDeg(angleDeg), ExtrusionMatrix(normal));
}

TFMatrix TransposeMatrix3(const TFMatrix& m) {
  TFMatrix r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.M[i][j] = m.M[j][i];
  return r;
}

TFMatrix InvertOrthoMatrix(const TFMatrix& m) {
  TFMatrix r = TransposeMatrix3(m);
  for (int i = 0; i < 3; ++i) {
    // Column i of the transpose came from old row i: dividing it by |row i|^2 inverts the scale.
    double sq = m.M[i][0] * m.M[i][0] + m.M[i][1] * m.M[i][1] + m.M[i][2] * m.M[i][2];
    if (sq == 0) continue;
    for (int j = 0; j < 3; ++j) r.M[j][i] /= sq;
  }
  r.SetRow(3, PtXScalar(TransformVector(m.E0(), r), -1));
  return r;
}

double Determinant3(const TFMatrix& m) {
  const auto& a = m.M;
  return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
         a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
         a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

TFMatrix InvertMatrix(const TFMatrix& m) {
  double det = Determinant3(m);
  if (std::fabs(det) < 1e-300 || !std::isfinite(det)) return cnstIdentityMat;
  const auto& a = m.M;
  TFMatrix r;
  r.M[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) / det;
  r.M[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det;
  r.M[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det;
  r.M[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) / det;
  r.M[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
  r.M[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
  r.M[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) / det;
  r.M[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det;
  r.M[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
  r.SetRow(3, PtXScalar(TransformVector(m.E0(), r), -1));
  return r;
}

// ---- boxes ----------------------------------------------------------------------------------

void ExpandBox(TFRect& b, const TFPoint& p) {
  b.Left = std::min(b.Left, p.X);
  b.Right = std::max(b.Right, p.X);
  b.Bottom = std::min(b.Bottom, p.Y);
  b.Top = std::max(b.Top, p.Y);
  b.Z1 = std::min(b.Z1, p.Z);
  b.Z2 = std::max(b.Z2, p.Z);
}

void ExpandBox2D(TF2DRect& b, const TF2DPoint& p) {
  b.Left = std::min(b.Left, p.X);
  b.Right = std::max(b.Right, p.X);
  b.Bottom = std::min(b.Bottom, p.Y);
  b.Top = std::max(b.Top, p.Y);
}

void UnionBox(TFRect& a, const TFRect& b) {
  if (IsBadBox(b)) return;
  ExpandBox(a, b.TopLeft());
  ExpandBox(a, b.BottomRight());
}

void UnionBox2D(TF2DRect& a, const TF2DRect& b) {
  if (IsBadBox2D(b)) return;
  ExpandBox2D(a, b.TopLeft());
  ExpandBox2D(a, b.BottomRight());
}

bool IsBadBox(const TFRect& b) {
  // Comparisons with NaN are false, so a NaN anywhere makes the box bad.
  return !(b.Right >= b.Left && b.Top >= b.Bottom && b.Z2 >= b.Z1);
}

bool IsBadBox2D(const TF2DRect& b) { return !(b.Right >= b.Left && b.Top >= b.Bottom); }

bool IntersectBox2D(const TF2DRect& a, const TF2DRect& b, TF2DRect& out) {
  out.Left = std::max(a.Left, b.Left);
  out.Bottom = std::max(a.Bottom, b.Bottom);
  out.Right = std::min(a.Right, b.Right);
  out.Top = std::min(a.Top, b.Top);
  return !IsBadBox2D(out);
}

TFRect TransformBox(const TFRect& b, const TFMatrix& m) {
  if (IsBadBox(b)) return b;
  TFRect r = BadBox;
  for (int i = 0; i < 8; ++i) {
    TFPoint p{(i & 1) ? b.Right : b.Left, (i & 2) ? b.Top : b.Bottom, (i & 4) ? b.Z2 : b.Z1};
    ExpandBox(r, TransformPoint(p, m));
  }
  return r;
}

TFRect MakeFRect(const TFPoint& topLeft, const TFPoint& bottomRight) {
  return {topLeft.X, topLeft.Y, topLeft.Z, bottomRight.X, bottomRight.Y, bottomRight.Z};
}

TFPoint BoxCenter(const TFRect& b) {
  return {(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2, (b.Z1 + b.Z2) / 2};
}

// ---- angles ---------------------------------------------------------------------------------

double VectorAngle(double dx, double dy) {
  if (std::fabs(dx) < Accuracy) return dy >= 0 ? 90.0 : 270.0;
  double r = std::atan(std::fabs(dy) / std::fabs(dx)) * f180DivPi;
  double a = dx > 0 ? (dy >= 0 ? r : 360.0 - r) : (dy >= 0 ? 180.0 - r : 180.0 + r);
  return a >= 360.0 ? 0.0 : a;  // a tiny negative dy must not give 360
}

double VectorAngle(const TFPoint& from, const TFPoint& to) { return VectorAngle(to.X - from.X, to.Y - from.Y); }

namespace {
bool ReduceBy(double& a, double period) {
  if (!(std::fabs(a) < 2147483647.0)) return false;  // also refuses NaN
  a -= period * std::trunc(a / period);
  return true;
}
}  // namespace

bool NormalizeAngle(double& a) { return ReduceBy(a, 360.0); }
bool NormalizeAngleRad(double& a) { return ReduceBy(a, 2 * fPi); }

void NormalizeArc(TvxArcR& arc) {
  NormalizeAngle(arc.AngleS);
  if (arc.AngleE > 360.0) NormalizeAngle(arc.AngleE);
}

// ---- comparisons ----------------------------------------------------------------------------

bool IsEqualFPoints(const TFPoint& a, const TFPoint& b, double tol) {
  if (tol == 0) tol = Accuracy;
  return std::fabs(a.X - b.X) < tol && std::fabs(a.Y - b.Y) < tol && std::fabs(a.Z - b.Z) < tol;
}

bool IsEqualF2DPoints(const TF2DPoint& a, const TF2DPoint& b, double tol) {
  if (tol == 0) tol = Accuracy;
  return std::fabs(a.X - b.X) < tol && std::fabs(a.Y - b.Y) < tol;
}

int SignWithTolerance(double v) { return v > Accuracy ? 1 : (v < -Accuracy ? -1 : 0); }
bool IsZero(double v, double tol) { return std::fabs(v) <= tol; }

// ---- colours --------------------------------------------------------------------------------

namespace {
constexpr TColor RGBColor(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

std::array<TColor, 256> BuildPalette() {
  std::array<TColor, 256> p{};
  const TColor first[10] = {0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00,
                            0xFF0000, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
  for (int i = 0; i < 10; ++i) p[i] = first[i];
  const int brightness[5] = {255, 204, 153, 127, 76};
  for (int i = 10; i <= 249; ++i) {
    int g = (i - 10) / 10;
    double h = 15.0 * g;
    int k = ((i - 10) % 10) / 2;
    bool odd = ((i - 10) % 2) != 0;
    double v = brightness[k];
    auto channel = [&](double s) {
      double f = std::clamp(std::fabs(std::fmod(h / 60.0 + s, 6.0) - 3.0) - 1.0, 0.0, 1.0);
      if (odd) f = 0.5 + 0.5 * f;
      return static_cast<unsigned>(std::trunc(v * f));
    };
    p[i] = RGBColor(channel(0), channel(4), channel(2));
  }
  const unsigned greys[6] = {0x33, 0x5B, 0x84, 0xAD, 0xD6, 0xFF};
  for (int i = 0; i < 6; ++i) p[250 + i] = RGBColor(greys[i], greys[i], greys[i]);
  return p;
}

int NearestAci(TColor c, int first) {
  int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  int best = first;
  long bestDist = -1;
  for (int i = first; i < 256; ++i) {
    TColor e = AciPalette[i];
    long dr = r - static_cast<int>(e & 0xFF), dg = g - static_cast<int>((e >> 8) & 0xFF),
         db = b - static_cast<int>((e >> 16) & 0xFF);
    long d = dr * dr + dg * dg + db * db;
    if (bestDist < 0 || d < bestDist) {  // strict: ties keep the lowest index
      bestDist = d;
      best = i;
    }
  }
  return best;
}
}  // namespace

const std::array<TColor, 256> AciPalette = BuildPalette();

TColor AciToColor(int index) {
  if (index < 0) return static_cast<TColor>(index);  // switched-off layers pass through
  if (index == 0) return clByBlock;
  if (index == 7) return clForeground;
  if (index >= 256) return clByLayer;
  return AciPalette[index];
}

int ColorToAci(TColor c) {
  if (c == clForeground) return 7;
  if (c == clByLayer) return 256;
  if (c == clByBlock) return 0;
  return NearestAci(c, 0);
}

int ColorToAciSkipZero(TColor c) {
  if (c == clForeground) return 7;
  if (c == clByLayer) return 256;
  if (c == clByBlock) return 0;
  return NearestAci(c, AciPalette[0] == 0 ? 1 : 0);
}

TvxColorCAD ColorToColorCAD(TColor c) {
  if (c == 0xFFFFFF) return {acRGBColor, 0xFFFFFF, {}};
  if (c == clForeground) return {acRGBColor, clForeground, {}};
  if (c == clByLayer) return {acIndexColor, 256, {}};
  if (c == clByBlock) return {acIndexColor, 0, {}};
  int i = NearestAci(c, 0);
  if (AciPalette[i] == c) return {acIndexColor, static_cast<uint32_t>(i == 0 ? 7 : i), {}};
  return {acRGBColor, c, {}};
}

TColor ColorCADToColor(const TvxColorCAD& cc) {
  if (cc.Active == acRGBColor) return cc.Color;
  return AciToColor(static_cast<int>(cc.Color));
}

bool IsEqualColorCAD(const TvxColorCAD& a, const TvxColorCAD& b) {
  if (a.Active == b.Active) return a.Color == b.Color;
  const TvxColorCAD& rgb = a.Active == acRGBColor ? a : b;
  const TvxColorCAD& idx = a.Active == acRGBColor ? b : a;
  return idx.Color < 256 && AciPalette[idx.Color] == rgb.Color;
}

// ---- line weights ---------------------------------------------------------------------------

int LineWeightToTable(double mm) {
  if (!std::isfinite(mm)) return static_cast<int>(fLineWeightDefault);
  // Zero and the negative codes (by layer, by block, default) pass through.
  if (mm <= 0) return static_cast<int>(std::max<int64_t>(RoundHalfEven(mm), -1000000));
  int64_t v = RoundHalfEven(mm * 100.0);
  if (v >= LineWeightTable.back()) return LineWeightTable.back();
  int result = 0;
  for (int w : LineWeightTable)
    if (w <= v) result = w;
  return result;
}

}  // namespace vx
