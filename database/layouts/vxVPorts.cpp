// VPORT view operations: view matrices, the active entry and the user coordinate system.
#include "database/layouts/vxVPorts.h"

#include "database/core/vxConverter.h"
#include "database/layouts/vxLayouts.h"
#include "foundation/vxFunction.h"

#include <cmath>
#include <numbers>

namespace vx {

namespace {

constexpr double cnstDegToRad = std::numbers::pi / 180.0;

bool IsZeroVector(const TFPoint& p) { return p.X == 0 && p.Y == 0 && p.Z == 0; }

}  // namespace

TFMatrix ViewMatrix(const TFPoint& d, double twistDeg) {
  TFPoint n = IsZeroVector(d) ? cnstExtrusion : Normalize(d);
  if (!std::isfinite(n.X) || !std::isfinite(n.Y) || !std::isfinite(n.Z)) n = cnstExtrusion;
  TFPoint ax, ay;
  ArbitraryAxis(n, ax, ay);
  if (std::isfinite(twistDeg) && twistDeg != 0) {
    ax = RotateAroundVector(ax, n, -twistDeg * cnstDegToRad);
    ay = RotateAroundVector(ay, n, -twistDeg * cnstDegToRad);
  }
  TFMatrix m = cnstIdentityMat;
  m.SetRow(0, ax);
  m.SetRow(1, ay);
  m.SetRow(2, n);
  return TransposeMatrix3(m);
}

void SetVPortViewDirection(TvxDXFVport* vport, const TFPoint& d) {
  if (vport) vport->ViewDirection = IsZeroVector(d) ? cnstExtrusion : d;
}

TvxDXFVport* ActiveVPortOf(TvxDXFConverter* conv) {
  if (!conv) return nullptr;
  if (!conv->ActiveVPort())
    conv->SetActiveVPortItem(
        dynamic_cast<TvxDXFVport*>(conv->FindOrCreateItem("*ACTIVE", csVPorts, true)));
  return conv->ActiveVPort();
}

TFMatrix ViewTwistMatrixOf(const TvxDXFVport* vport, bool isCrossoverMatrix) {
  TFMatrix m = vport ? ViewMatrix(vport->ViewDirection, vport->ViewTwistAngle) : cnstIdentityMat;
  if (!isCrossoverMatrix) m = MultiplyMatrix(m, ScaleMatrix(1, -1, 1));
  return m;
}

TFMatrix SetActiveVPort(TvxDXFConverter* conv, TvxDXFVport* vport) {
  const TFMatrix twist = ViewTwistMatrixOf(vport, conv ? conv->IsCrossoverMatrix() : true);
  if (conv) {
    conv->SetActiveVPortItem(vport);
    conv->SetViewTwistMatrix(twist);
  }
  return twist;
}

double DrawingAngle(TvxDXFConverter* conv) {
  TvxDXFVport* v = ActiveVPortOf(conv);
  return v ? v->ViewTwistAngle : 0;
}

void SetDrawingAngle(TvxDXFConverter* conv, double a) {
  TvxDXFVport* v = ActiveVPortOf(conv);
  if (v && std::isfinite(a) && NormalizeAngle(a)) v->ViewTwistAngle = a;
}

bool DropDegenerateActiveVPort(TvxDXFConverter* conv, double h) {
  TvxDXFVport* v = conv ? conv->ActiveVPort() : nullptr;
  if (!v) return false;
  if (v->ViewHeight != 0 && !(std::abs(h / v->ViewHeight) < 1e-10)) return false;
  SetActiveVPort(conv, nullptr);
  return true;
}

TFMatrix GetUCS(TvxDXFConverter* conv, const TvxDXFLayout* layout) {
  TFPoint o, x = cnstXOrtAxis, y = cnstYOrtAxis;
  if (conv && (!layout || layout->IsModel())) {
    TvxDXFVport* v = conv->ActiveVPort();
    if (!v && conv->VPorts()) v = conv->VPorts()->FindItem<TvxDXFVport>("*ACTIVE");
    if (v && v->UCSVP) {
      o = v->UCSOrigin;
      x = v->UCSXDir;
      y = v->UCSYDir;
    } else {
      const TvxHeadVarStruct& h = conv->HeadVarStruct();
      o = h.UCSORG;
      x = h.UCSXDir;
      y = h.UCSYDir;
    }
  }
  // Axes as stored may be of any length; coordinates are measured along unit axes.
  if (IsZeroVector(x)) x = cnstXOrtAxis;
  if (IsZeroVector(y)) y = cnstYOrtAxis;
  x = Normalize(x);
  y = Normalize(y);
  const TFPoint z = Normalize(CrossFPoint(x, y));
  // The axes are the columns: a point's coordinates are its dot products with them.
  TFMatrix m;
  m.SetRow(0, {x.X, y.X, z.X});
  m.SetRow(1, {x.Y, y.Y, z.Y});
  m.SetRow(2, {x.Z, y.Z, z.Z});
  m.SetRow(3, {-DotFPoint(o, x), -DotFPoint(o, y), -DotFPoint(o, z)});
  return m;
}

}  // namespace vx
