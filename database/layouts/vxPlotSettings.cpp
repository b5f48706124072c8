// Plot settings: scale, orientation and the paper frames of a page setup.
#include "database/layouts/vxPlotSettings.h"

#include "foundation/vxFunction.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vx {

namespace {

constexpr double cnstMMPerInch = 25.4;

// The standard sheet a picture without a size of its own goes on.
constexpr TF2DPoint cnstA4Size{210, 297};
constexpr double cnstA4Margin = 3.2;

bool IsWide(double w, double h) { return w > h; }

}  // namespace

void TvxDXFPlotSettings::SetName(const std::string& name) {
  TvxDXFOwneredItem::SetName(name);
  Data.PageSetupName = name;
}

void TvxDXFPlotSettings::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFOwneredItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFPlotSettings*>(source)) Data = src->Data;
}

double TvxDXFPlotSettings::CustomPrintScaleKoef() const {
  double n = Data.NumeratorOfCustomPrintScale;
  if (Data.PlotPaperUnits == ppuInches) n *= cnstMMPerInch;
  if (n == 0 || !std::isfinite(n)) return 1;
  const double k = Data.DenominatorOfCustomPrintScale / n;
  return std::isfinite(k) ? k : 1;
}

bool TvxDXFPlotSettings::LandScape() const {
  const bool wide = IsWide(Data.PlotPaperSize.X, Data.PlotPaperSize.Y);
  return IsQuarterTurn() ? !wide : wide;
}

void TvxDXFPlotSettings::SetLandScape(bool v) {
  const bool wide = IsWide(Data.PlotPaperSize.X, Data.PlotPaperSize.Y);
  Data.PlotRotation = (v == wide) ? prNoRotation : pr90DegreesCW;
}

TFRect TvxDXFPlotSettings::PlotFrameArea() const {
  TFRect r;
  r.Left = Data.PlotWindowAreaMin.X;
  r.Top = Data.PlotWindowAreaMin.Y;
  r.Right = Data.PlotWindowAreaMax.X;
  r.Bottom = Data.PlotWindowAreaMax.Y;
  return r;
}

TF2DRect TvxDXFPlotSettings::RotatedMargins(double k) const {
  const TF2DRect& m = Data.UnprintableMargin;
  TF2DRect r;
  switch (Data.PlotRotation) {
    case prNoRotation: r = {m.Left, m.Top, m.Right, m.Bottom}; break;
    case pr90DegreesCounterCW: r = {m.Top, m.Right, m.Bottom, m.Left}; break;
    case prUpsideDown: r = {m.Right, m.Bottom, m.Left, m.Top}; break;
    case pr90DegreesCW: r = {m.Bottom, m.Left, m.Top, m.Right}; break;
  }
  r.Left *= k;
  r.Top *= k;
  r.Right *= k;
  r.Bottom *= k;
  return r;
}

TF2DPoint TvxDXFPlotSettings::PaperOrigin(double k) const {
  TF2DPoint o{-Data.PaperImageOrigin.X, -Data.PaperImageOrigin.Y};
  if (Data.PlotPaperUnits == ppuInches) {
    o.X /= cnstMMPerInch;
    o.Y /= cnstMMPerInch;
  }
  TF2DPoint p{-k * Data.PlotOrigin.X, -k * Data.PlotOrigin.Y};
  if (IsQuarterTurn()) std::swap(p.X, p.Y);
  return {o.X + p.X, o.Y + p.Y};
}

TF2DPoint TvxDXFPlotSettings::PaperSizeScaled(double k) const {
  TF2DPoint s{k * Data.PlotPaperSize.X, k * Data.PlotPaperSize.Y};
  if (IsQuarterTurn()) std::swap(s.X, s.Y);
  return s;
}

TFRect TvxDXFPlotSettings::PlotPaperArea() const {
  const double k = CustomPrintScaleKoef();
  const TF2DRect m = RotatedMargins(k);
  const TF2DPoint o = PaperOrigin(k);
  const TF2DPoint s = PaperSizeScaled(k);
  TFRect r;
  r.Left = o.X - m.Left;
  r.Top = o.Y - m.Bottom;
  r.Right = r.Left + s.X;
  r.Bottom = r.Top + s.Y;
  return r;
}

TFRect TvxDXFPlotSettings::PlotMarginsArea() const {
  const double k = CustomPrintScaleKoef();
  const TF2DRect m = RotatedMargins(k);
  const TF2DPoint o = PaperOrigin(k);
  const TF2DPoint s = PaperSizeScaled(k);
  TFRect r;
  r.Left = o.X;
  r.Top = o.Y;
  r.Right = o.X + s.X - m.Left - m.Right;
  r.Bottom = o.Y + s.Y - m.Top - m.Bottom;
  return r;
}

TFRect TvxDXFPlotSettings::PlotPrintableArea() const {
  TFRect r = PlotMarginsArea();
  if (Data.PlotType != ptWindowSpecified) return r;
  auto normalized = [](TFRect b) {
    if (b.Left > b.Right) std::swap(b.Left, b.Right);
    if (b.Bottom > b.Top) std::swap(b.Bottom, b.Top);
    b.Z1 = b.Z2 = 0;
    return b;
  };
  const TFRect a = normalized(r);
  const TFRect f = normalized(PlotFrameArea());
  TFRect out;
  out.Left = std::max(a.Left, f.Left);
  out.Top = std::min(a.Top, f.Top);
  out.Right = std::min(a.Right, f.Right);
  out.Bottom = std::max(a.Bottom, f.Bottom);
  return out;
}

bool TvxDXFPlotSettings::SetDefaultValueByExtents(const TFRect& box, bool needSaveSize) {
  Data.PlotType = ptDrawingExtents;
  Data.PlotLayoutFlags |= plfUseStandardScale;
  Data.StandardScaleType = 0;
  Data.PrintOrConfigName = "none_device";
  Data.PlotPaperUnits = ppuMM;
  const bool bad = IsBadBox(box);
  const double w = bad ? 0 : std::abs(box.Right - box.Left);
  const double h = bad ? 0 : std::abs(box.Top - box.Bottom);
  TF2DRect margins;
  if (needSaveSize) {
    Data.PlotPaperSize = {w, h};
    Data.PaperSize = "none_device";
  } else {
    Data.PlotPaperSize = cnstA4Size;
    margins = {cnstA4Margin, cnstA4Margin, cnstA4Margin, cnstA4Margin};
    Data.PaperSize = "A4";
  }
  bool rotated = false;
  if (IsWide(Data.PlotPaperSize.X, Data.PlotPaperSize.Y) != IsWide(w, h)) {
    Data.PlotRotation = pr90DegreesCounterCW;
    rotated = true;
  }
  Data.UnprintableMargin = margins;
  Data.PlotOrigin = {0, 0};
  if (bad) {
    SetCustomPrintScale({1, 1});
    return false;
  }
  TF2DPoint avail{Data.PlotPaperSize.X - margins.Left - margins.Right,
                  Data.PlotPaperSize.Y - margins.Top - margins.Bottom};
  if (rotated) std::swap(avail.X, avail.Y);
  const double sx = w != 0 ? avail.X / w : 1;
  const double sy = h != 0 ? avail.Y / h : 1;
  const double s = std::min(sx, sy);
  // A sheet with no room left (or a box of non-finite size) would give an endless or negative
  // scale: such a plot stays 1 : 1.
  SetCustomPrintScale({1, (s > 0 && std::isfinite(s)) ? 1 / s : 1});
  Data.PaperImageOrigin = {-box.Left, -box.Bottom};
  return true;
}

}  // namespace vx
