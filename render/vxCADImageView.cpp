// TvxCADImage: extents, border, zoom and nominal size, the view matrix and its operations, the
// rotation bracket and standard views, and the mapping between drawing and device points.
#include "render/vxCADImage.h"

#include "foundation/vxGeometry2D.h"
#include "database/entities/vxEntLines.h"
#include "render/output/vxDrawTarget.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

// Coordinates at or beyond this are left-overs of the unset box, not drawing data.
constexpr double cnstAbsurdCoord = 1e19;

bool IsFiniteCoord(double v) { return std::isfinite(v) && std::fabs(v) < cnstAbsurdCoord; }

TFRect UnitBox() { return TFRect{0, 1, 0, 1, 0, 0}; }

// A box reversed in X or Y (as plot areas keep it) put the right way round.
TFRect Normalized(TFRect b) {
  if (b.Left > b.Right) std::swap(b.Left, b.Right);
  if (b.Bottom > b.Top) std::swap(b.Bottom, b.Top);
  if (b.Z1 > b.Z2) std::swap(b.Z1, b.Z2);
  return b;
}

bool IsFiniteMatrix(const TFMatrix& m) {
  for (const auto& row : m.M)
    for (double v : row)
      if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

// An unset box: NaN or non-finite bounds, absurd magnitudes, inverted sides, or a size that
// overflows. Such a box never reaches the zoom or an integer conversion.
bool IsUnsetBox(const TFRect& b) {
  if (IsBadBox(b)) return true;
  for (int i = 0; i < 6; ++i)
    if (!IsFiniteCoord(b.V(i))) return true;
  return !std::isfinite(b.Right - b.Left) || !std::isfinite(b.Top - b.Bottom);
}

// ---- extents --------------------------------------------------------------------------------

void TvxCADImage::SetExtentsParameters(const TFRect& box, bool recalculate) {
  TFRect b = box;
  if (IsUnsetBox(b)) {
    TFRect supplied = b;
    if (!(OnGetBox && OnGetBox(this, supplied) && !IsUnsetBox(supplied))) supplied = UnitBox();
    FPureExtents = FExtents = supplied;
    // The view centres on the box shown (a stale centre would put the fit off-box).
    FCenter = FOffset = BoxCenter(supplied);
    Changed();
    return;
  }
  if (!IsUnsetBox(FDrawingBox)) b = FDrawingBox;
  if (OnGetBox) {
    TFRect changed = b;
    if (OnGetBox(this, changed) && !IsUnsetBox(changed)) b = changed;
  }
  FCenter = FOffset = BoxCenter(b);

  const TFMatrix rot = FCurrentLayout ? FCurrentLayout->RotMatrix() : cnstIdentityMat;
  TFRect r = IsFiniteMatrix(rot) ? TransformBox(b, rot) : b;
  FPureExtents = r;

  double bx = 0, by = 0;
  if (!FIsWithoutBorder) {
    if (FBorderType == btGlobal) {
      bx = by = std::fabs(FBorderSize);
    } else {
      bx = FBorderSize * (r.Right - r.Left);
      by = FBorderSize * (r.Top - r.Bottom);
    }
    if (!(bx >= 0) || !std::isfinite(bx)) bx = 1;
    if (!(by >= 0) || !std::isfinite(by)) by = 1;
  }
  if (IsUnsetBox(r)) {
    FExtents = UnitBox();
  } else {
    FExtents = {r.Left - bx, r.Top + by, r.Z1, r.Right + bx, r.Bottom - by, r.Z2};
    if (IsUnsetBox(FExtents)) FExtents = UnitBox();
  }

  if (FResizeDisproportionateDrawing) {
    const double w = std::fabs(FExtents.Right - FExtents.Left);
    const double h = std::fabs(FExtents.Top - FExtents.Bottom);
    if (w == 0 || h / w > 16) {
      const double d = (h - w) / 2;
      FExtents.Left -= d;
      FExtents.Right += d;
    } else if (h == 0 || w / h > 16) {
      const double d = (w - h) / 2;
      FExtents.Bottom -= d;
      FExtents.Top += d;
    }
  }
  (void)recalculate;
  Changed();
}

double TvxCADImage::AbsWidth() const {
  if (FClippingRect) return std::fabs(FClippingRect->Right - FClippingRect->Left);
  const TFRect b = GetDrawingExtents();
  return b.Right - b.Left;
}

double TvxCADImage::AbsHeight() const {
  if (FClippingRect) return std::fabs(FClippingRect->Top - FClippingRect->Bottom);
  const TFRect b = GetDrawingExtents();
  return b.Top - b.Bottom;
}

double TvxCADImage::Zoom() const {
  double w = AbsWidth(), h = AbsHeight();
  if (!std::isfinite(w) || !std::isfinite(h)) return 10;
  w = w == 0 ? 1e-20 : std::fabs(w);
  h = h == 0 ? 1e-20 : std::fabs(h);
  const double big = std::max(w, h);
  if (big < 10) return 10;
  return std::min(1.0, cnstMaxImageSize / big);
}

namespace {
int NominalSize(double size, double zoom) {
  const double v = std::fabs(size) * zoom + 0.5;
  if (!std::isfinite(v)) return 1;
  const int64_t n = RoundHalfEven(std::min(v, static_cast<double>(cnstMaxImageSize)));
  return static_cast<int>(std::clamp<int64_t>(n, 1, cnstMaxImageSize));
}
}  // namespace

int TvxCADImage::Width() const { return NominalSize(AbsWidth(), Zoom()); }
int TvxCADImage::Height() const { return NominalSize(AbsHeight(), Zoom()); }

TFRect TvxCADImage::GetDrawingExtents() const {
  if (FUsePlotSetting && FCurrentLayout && FCurrentLayout->PlotSettings()) {
    const TFRect paper = Normalized(FCurrentLayout->PlotSettings()->PlotPaperArea());
    if (!IsUnsetBox(paper)) return paper;
  }
  return FExtents;
}

// ---- layouts --------------------------------------------------------------------------------

namespace {
// Rays and construction lines have no extents of their own; a layout that holds nothing else is
// viewed around their base points (one unit along each direction, so a single one shows too).
TFRect RaysBox(TvxDXFLayout* l) {
  TFRect box = BadBox;
  TvxDXFBlock* block = l->ExistingPaperSpaceBlock();
  if (!block) return box;
  for (int i = 0; i < block->Count(); ++i) {
    auto* ray = dynamic_cast<TvxDXFRay*>(block->GetEntity(i));
    if (!ray) continue;
    const TFPoint s = ray->GetStartPoint(), d = ray->GetDirection();
    const double len = std::hypot(d.X, d.Y, d.Z);
    if (!IsFiniteCoord(s.X) || !IsFiniteCoord(s.Y) || !IsFiniteCoord(s.Z)) continue;
    ExpandBox(box, s);
    if (len > 0 && std::isfinite(len)) {
      const TFPoint unit{d.X / len, d.Y / len, d.Z / len};
      ExpandBox(box, AddFPoint(s, unit));
      if (ray->EntType() == ceXline) ExpandBox(box, SubFPoint(s, unit));
    }
  }
  return box;
}

TFRect LayoutBox(const TvxDXFLayout* layout, bool usePlot) {
  auto* l = const_cast<TvxDXFLayout*>(layout);
  if (usePlot && l->PlotSettings()) return Normalized(l->PlotSettings()->PlotPaperArea());
  const TFRect box = l->GetBox();
  if (!IsUnsetBox(box)) return box;
  const TFRect rays = RaysBox(l);
  return IsUnsetBox(rays) ? box : rays;
}
}  // namespace

void TvxCADImage::SetCurrentLayout(TvxDXFLayout* layout) {
  if (OnLayoutBeforeChange) OnLayoutBeforeChange(this);
  TvxDXFLayout* previous = FCurrentLayout;
  FCurrentLayout = layout;
  if (layout) {
    if (layout != previous && !layout->IsEmpty() && !FCustomDraw) SetDrawMatrix(layout->RotMatrix());
    SetExtentsParameters(LayoutBox(layout, FUsePlotSetting), layout->CADSpace() != csUndefined);
  } else {
    FDraw.Matrix = cnstIdentityMat;
    SetExtentsParameters(BadBox, false);
  }
  if (OnLayoutChange) OnLayoutChange(this);
}

void TvxCADImage::RefreshCurrentLayout() {
  if (FCurrentLayout)
    SetExtentsParameters(LayoutBox(FCurrentLayout, FUsePlotSetting),
                         FCurrentLayout->CADSpace() != csUndefined);
  else
    SetExtentsParameters(BadBox, false);
}

void TvxCADImage::GetExtents() {
  if (!FConverter) return;
  FConverter->DoExtents();
  TvxDXFLayout* layout = FCurrentLayout ? FCurrentLayout : FConverter->Layouts(0);
  SetCurrentLayout(layout);
}

void TvxCADImage::SetDrawingBox(const TFRect& box) {
  FDrawingBox = IsUnsetBox(box) ? BadBox : box;
  if (IsUnsetBox(box)) {
    if (FCurrentLayout) {
      RefreshCurrentLayout();
    } else if (FConverter) {
      if (FConverter->LayoutsCount() == 0) FConverter->AddLayout(new TvxDXFLayout());
      FCurrentLayout = FConverter->Layouts(0);
      FExtents = FPureExtents = TFRect{0, 0, 0, 0, 0, 0};
      FCenter = FOffset = TFPoint{};
    }
  } else {
    SetExtentsParameters(box, false);
  }
  Changed();
}

void TvxCADImage::SetClippingRect(const TFRect* r) {
  if (r)
    FClippingRect = std::make_unique<TFRect>(Normalized(*r));
  else
    FClippingRect.reset();
  Changed();
}

void TvxCADImage::SetClippingRectExt(const TFRect& box) {
  if (IsUnsetBox(Normalized(box))) {
    SetClippingRect(nullptr);
    return;
  }
  // The clip box is measured against the whole extents: fit them first.
  FClippingRect.reset();
  FitToRect(QRect(0, 0, std::max(1, Width()), std::max(1, Height())));
  const TFRect b = Normalized(box);
  SetClippingRect(&b);
}

void TvxCADImage::SetClipping(const TvxClipping& c) {
  FClipping = c;
  switch (c.ClipMode) {
    case 1: SetClippingRect(IsUnsetBox(Normalized(c.ClipRect)) ? nullptr : &c.ClipRect); break;
    case 2:
    case 3: SetClippingRectExt(c.ClipRect); break;
    default: SetClippingRect(nullptr); break;
  }
}

// ---- the view matrix ------------------------------------------------------------------------

void TvxCADImage::SetDrawMatrix(const TFMatrix& m) {
  FDraw.Matrix = m;
  FDraw.DrawMatrix = m;
  FDraw.Additional = IsRotatedMatrix(m) ? 1 : 0;
  if (!FCustomDraw) {
    if (OnMatrixChanged) OnMatrixChanged(this);
    Changed();
  }
}

void TvxCADImage::ScaleDrawMatrix(double sx, double sy, double sz) {
  if (!std::isfinite(sx) || !std::isfinite(sy) || !std::isfinite(sz)) return;
  SetDrawMatrix(MultiplyMatrix(FDraw.DrawMatrix, ScaleMatrix(sx, sy, sz)));
}

void TvxCADImage::ScaleDrawMatrixAt(double factor, const TFPoint& devicePoint) {
  if (!std::isfinite(factor) || factor == 0) return;
  TFMatrix m = MultiplyMatrix(FDraw.DrawMatrix, TranslationMatrix({-devicePoint.X, -devicePoint.Y, 0}));
  m = MultiplyMatrix(m, ScaleMatrix(factor, factor, factor));
  SetDrawMatrix(MultiplyMatrix(m, TranslationMatrix({devicePoint.X, devicePoint.Y, 0})));
}

void TvxCADImage::TranslateDrawMatrix(double dx, double dy, double dz) {
  if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(dz)) return;
  TFMatrix m = FDraw.DrawMatrix;
  m.M[3][0] += dx;
  m.M[3][1] += dy;
  m.M[3][2] += dz;
  SetDrawMatrix(m);
}

TFPoint TvxCADImage::Scale() const {
  return {VectorLength(FDraw.DrawMatrix.EX()), VectorLength(FDraw.DrawMatrix.EY()),
          VectorLength(FDraw.DrawMatrix.EZ())};
}

void TvxCADImage::FitToRect(const QRect& rect) { SetDrawMatrix(FitMatrix(rect)); }

TFMatrix TvxCADImage::FitMatrix(const QRect& rect) const {
  const double left = rect.x(), top = rect.y();
  const double right = left + rect.width(), bottom = top + rect.height();
  double w = right - left, h = bottom - top;
  if (w <= 0) w = 1;
  if (h <= 0) h = 1;
  const TFRect ext = GetDrawingExtents();
  const double ew = ext.Right - ext.Left, eh = ext.Top - ext.Bottom;
  double sx = (ew == 0 || !std::isfinite(ew)) ? 1 : w / ew;
  double sy = (eh == 0 || !std::isfinite(eh)) ? 1 : h / eh;
  const double smaller = std::fabs(sx) < std::fabs(sy) ? sx : sy;
  if (!FStretch) sx = sy = smaller;
  const double sz = smaller;
  const bool crossover = FIsIterator && FConverter && FConverter->IsCrossoverMatrix();
  if (!crossover) sy = -sy;
  TFMatrix rot = FCurrentLayout ? FCurrentLayout->RotMatrix() : cnstIdentityMat;
  if (!IsFiniteMatrix(rot)) rot = cnstIdentityMat;
  TFMatrix m = MatrixScale(rot, {sx, sy, sz});
  const TFPoint p = TransformPoint(FOffset, m);
  m.M[3][0] += (left + right) / 2 - p.X;
  m.M[3][1] += (top + bottom) / 2 - p.Y;
  m.M[3][2] += -p.Z;
  return m;
}

// ---- rotations ------------------------------------------------------------------------------

void TvxCADImage::BeginRotate() {
  if (FRotateNesting++ == 0 && OnBeforeRotate) OnBeforeRotate(this);
}

void TvxCADImage::EndRotate() {
  if (FRotateNesting == 0) return;
  if (--FRotateNesting == 0) {
    RefreshCurrentLayout();
    if (OnAfterRotate) OnAfterRotate(this);
  }
}

void TvxCADImage::Rotate(TvxAxis axis, double angleDeg) {
  if (!std::isfinite(angleDeg)) return;
  const double a = std::fmod(angleDeg, 360.0);
  if (axis == axisZ) {
    if (std::llround(std::fabs(a)) % 90 != 0) FIsBadRotated = true;
  } else if (a != 0) {
    FIsBadRotated = true;
  }
  BeginRotate();
  struct TvxEndRotate {
    TvxCADImage* Image;
    ~TvxEndRotate() { Image->EndRotate(); }
  } end{this};
  TFMatrix r = RotationMatrix(axis, a * fPiDiv180);
  for (auto& row : r.M)
    for (double& v : row)
      if (std::fabs(v) < 1e-15) v = 0;
  if (FCurrentLayout) FCurrentLayout->SetRotMatrix(MultiplyMatrix(FCurrentLayout->RotMatrix(), r));
  if (axis == axisZ) FRotZAngle += a;
}

void TvxCADImage::RotToView(TvxDXFViewDirection view) {
  struct TvxFlag {
    bool& F;
    bool Old;
    explicit TvxFlag(bool& f) : F(f), Old(f) { F = true; }
    ~TvxFlag() { F = Old; }
  } flag(FRotatingToView);

  TFMatrix start = cnstIdentityMat;
  if (view == vdDefault) {
    if (FConverter) start = FConverter->ViewTwistMatrix();
    if (!IsFiniteMatrix(start)) start = cnstIdentityMat;
    FIsBadRotated = false;
  }
  BeginRotate();
  struct TvxEndRotate {
    TvxCADImage* Image;
    ~TvxEndRotate() { Image->EndRotate(); }
  } end{this};
  if (FConverter) FConverter->DoExtents();
  if (FCurrentLayout) FCurrentLayout->SetRotMatrix(start);

  constexpr double cnstIsoTilt = -54.735610317245345688;
  switch (view) {
    case vdBottom: Rotate(axisY, 180); break;
    case vdLeft: Rotate(axisY, 90); Rotate(axisZ, 90); break;
    case vdRight: Rotate(axisY, -90); Rotate(axisZ, -90); break;
    case vdFront: Rotate(axisX, -90); break;
    case vdBack: Rotate(axisX, 90); Rotate(axisZ, 180); break;
    case vdSWIsometric: Rotate(axisZ, 45); Rotate(axisX, cnstIsoTilt); break;
    case vdSEIsometric: Rotate(axisZ, -45); Rotate(axisX, cnstIsoTilt); break;
    case vdNWIsometric: Rotate(axisZ, 135); Rotate(axisX, cnstIsoTilt); break;
    case vdNEIsometric: Rotate(axisZ, -135); Rotate(axisX, cnstIsoTilt); break;
    case vdDecard: Rotate(axisX, 0); Rotate(axisY, 0); Rotate(axisZ, 0); break;
    case vdGeodezik: Rotate(axisX, 0); Rotate(axisY, -180); Rotate(axisZ, -90); break;
    case vdDefault:
    case vdTop:
      FRotZAngle = FCurrentLayout ? -FCurrentLayout->RotZAngle() : 0;
      break;
  }
}

// ---- points ---------------------------------------------------------------------------------

QPoint TvxCADImage::GetPoint(const TFPoint& p) const {
  // TransformPointToPixel's rounding, then +-2^24, inline: every drawn point comes through here
  const TFMatrix& m = FDraw.Matrix;
  const double x = p.X * m.M[0][0] + p.Y * m.M[1][0] + p.Z * m.M[2][0] + m.M[3][0];
  const double y = p.X * m.M[0][1] + p.Y * m.M[1][1] + p.Z * m.M[2][1] + m.M[3][1];
  return {DeviceCoordinate(x), DeviceCoordinate(y)};
}

TFPoint TvxCADImage::GetPointF(const TFPoint& p) const { return TransformPoint(p, FDraw.Matrix); }

QPointF TvxCADImage::DevicePoint(const TFPoint& p) const {
  if (!FAntialias) return QPointF(GetPoint(p));
  const TFPoint q = TransformPoint(p, FDraw.Matrix);
  auto clamp = [](double v) {
    return std::isnan(v) ? 0.0 : std::clamp(v, -cnstMaxDeviceCoord, cnstMaxDeviceCoord);
  };
  return {clamp(q.X), clamp(q.Y)};
}

QRect TvxCADImage::GetRect(const TFRect& box) const {
  if (IsUnsetBox(box)) return {};
  int l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, b = INT32_MIN;
  for (int i = 0; i < 4; ++i) {
    const QPoint q = GetPoint({(i & 1) ? box.Right : box.Left, (i & 2) ? box.Top : box.Bottom, 0});
    l = std::min(l, q.x());
    r = std::max(r, q.x());
    t = std::min(t, q.y());
    b = std::max(b, q.y());
  }
  return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

TFPoint TvxCADImage::GetCADCoords(double x, double y) const {
  if (!FCurrentLayout) return {};
  const TFRect box = FCurrentLayout->GetBox();
  if (IsUnsetBox(box) || box.Right == box.Left || box.Top == box.Bottom) return {};
  TFMatrix rot = FCurrentLayout->RotMatrix();
  if (!IsFiniteMatrix(rot)) rot = cnstIdentityMat;
  const TFRect rb = TransformBox(box, rot);
  const double px = rb.Left + x * (rb.Right - rb.Left);
  const double py = rb.Bottom + y * (rb.Top - rb.Bottom);
  // A view along a principal axis: each screen axis is one drawing axis (up to its sign).
  int screenX = -1, screenY = -1;
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(std::fabs(rot.M[i][0]) - 1) <= 1e-6) screenX = i;
    if (std::fabs(std::fabs(rot.M[i][1]) - 1) <= 1e-6) screenY = i;
  }
  if (screenX < 0 || screenY < 0 || screenX == screenY) return {px, py, 0};
  TFPoint r;
  r.V(screenX) = rot.M[screenX][0] > 0 ? px : -px;
  r.V(screenY) = rot.M[screenY][1] > 0 ? py : -py;
  return r;
}

}  // namespace vx
