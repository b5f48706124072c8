// The tests and measures of DrawEntity: visibility through layers and references, the screen
// box and first eight screen points, the on-screen test, the entity's line-type pattern, and
// the pen width from the line weight (ApplyLineWeight with its colour-to-weight lines).
#include "render/vxDrawWalk.h"

#include "database/entities/vxEntities.h"
#include "database/blocks/vxInserts.h"
#include "database/core/vxNames.h"
#include "render/vxCADImage.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>

namespace vx {

namespace {

TvxDXFInsert* CurrentInsert(const TvxCADImage& img) {
  return dynamic_cast<TvxDXFInsert*>(img.FDraw.Insert);
}

bool IsZeroVector(const TFPoint& d) {
  return !(std::isfinite(d.X) && std::isfinite(d.Y) && std::isfinite(d.Z)) ||
         (d.X == 0 && d.Y == 0 && d.Z == 0);
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// The toolkit's colour identifiers, as a colour-to-weight line may name them.
struct TvxColorName {
  const char* Name;
  uint32_t Value;
};
constexpr TvxColorName cnstColorNames[] = {
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},   {"clGreen", 0x008000},
    {"clOlive", 0x008080},      {"clNavy", 0x800000},     {"clPurple", 0x800080},
    {"clTeal", 0x808000},       {"clGray", 0x808080},     {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},        {"clLime", 0x00FF00},     {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF},  {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},      {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},      {"clMedGray", 0xA4A0A0},  {"clLtGray", 0xC0C0C0},
    {"clDkGray", 0x808080},     {"clNone", clForeground}, {"clForeground", clForeground},
    {"clDefault", 0x20000000},
};

}  // namespace

// ---- visibility -------------------------------------------------------------------------------

TvxDXFLayer* WalkEffectiveLayer(TvxCADImage& img, const TvxDXFEntity* e) {
  return EffectiveLayer(e, CurrentInsert(img));
}

bool WalkLayerPasses(TvxCADImage& img, const TvxDXFEntity* e, bool isReference) {
  const TvxDXFLayer* layer = WalkEffectiveLayer(img, e);
  if (!layer) return true;
  // A reference on a switched-off layer is still walked: its parts on visible layers show.
  if (!layer->GetVisible() && !isReference) return false;
  if (img.IsPlotting() && !layer->IsPlotting()) return false;
  return !layer->Frozen() && !layer->FrozenByViewPort();
}

bool WalkIsDrawable(TvxCADImage& img, TvxDXFEntity* e) {
  const TvxCADEntities kind = e->EntType();
  TvxDXFConverter* conv = img.Converter();
  if ((kind == ceAttdef || kind == ceAttrib) && conv &&
      conv->HeadVarStruct().AttMode == attDisable)
    return false;
  if (kind == ce3dFace && (e->GetFlags() & 15) == 15) return false;
  if (!e->GetVisibility()) return false;
  if (kind == ceRay || kind == ceXline) {
    auto* ray = dynamic_cast<TvxDXFRay*>(e);
    if (!ray || IsZeroVector(ray->GetDirection())) return false;
    const QRect r = img.FDrawRect;
    ray->ClipToView(img.FDraw.Matrix, TvxIntRect{r.left(), r.top(), r.right(), r.bottom()});
  }
  if (IsBadBox(e->GetBox())) return false;
  if (!WalkLayerPasses(img, e, e->IsInsert())) return false;
  if (kind == cePoint && conv && conv->PointDisplayMode() == 1) return false;
  // The parts of a dimension show only when the dimension itself passes the layer test.
  if (TvxDXFInsert* ins = CurrentInsert(img); ins && ins->EntType() == ceDimension) {
    const TvxDXFLayer* layer = EffectiveLayer(ins, ins->OwnerInsert());
    if (layer && (!layer->GetVisible() || layer->Frozen() || layer->FrozenByViewPort() ||
                  (img.IsPlotting() && !layer->IsPlotting())))
      return false;
  }
  return true;
}

// ---- measure ----------------------------------------------------------------------------------

void WalkMeasurePoint(TvxCADImage& img, const TFPoint& p) {
  TvxDrawWalkState& w = *img.FWalk;
  const QPoint q = img.GetPoint(p);
  w.IRect.Left = std::min(w.IRect.Left, q.x());
  w.IRect.Top = std::min(w.IRect.Top, q.y());
  w.IRect.Right = std::max(w.IRect.Right, q.x());
  w.IRect.Bottom = std::max(w.IRect.Bottom, q.y());
  if (w.Index < 8) w.IPoints[static_cast<size_t>(w.Index)] = q;
  ++w.Index;
}

void WalkMeasure(TvxCADImage& img, TvxDXFEntity* e) {
  TvxDrawWalkState& w = *img.FWalk;
  w.Ready = false;
  w.IRect = {cnstEmptyScreenLeft, cnstEmptyScreenLeft, cnstEmptyScreenRight,
             cnstEmptyScreenRight};
  w.Index = 0;
  bool ready = false;
  const TvxCADEntities kind = e->EntType();
  if (kind == ceSolid || kind == ceTrace || kind == ce3dFace) {
    // The corners are in object coordinates; the walk's matrix holds the extrusion.
    if (auto* solid = dynamic_cast<TvxDXFSolid*>(e)) {
      const TvxSolidCorners c = solid->GetPoints(false, false);
      for (int i = 0; i < c.Count; ++i) WalkMeasurePoint(img, c.P[static_cast<size_t>(i)]);
      if (solid->GetZThick() != 0) {
        const TvxSolidCorners t = solid->GetPoints(true, false);
        for (int i = 0; i < t.Count; ++i) WalkMeasurePoint(img, t.P[static_cast<size_t>(i)]);
      } else {
        ready = true;
      }
    }
  } else if (kind == ceLine || kind == ceRay || kind == ceXline) {
    if (auto* line = dynamic_cast<TvxDXFLine*>(e)) {
      WalkMeasurePoint(img, line->GetPoint());
      WalkMeasurePoint(img, line->GetPoint1());
      if (line->GetZThick() != 0) {
        const TFPoint t = line->ThicknessVector();
        WalkMeasurePoint(img, AddFPoint(line->GetPoint(), t));
        WalkMeasurePoint(img, AddFPoint(line->GetPoint1(), t));
      } else {
        ready = true;
      }
    }
  }
  if (w.Index == 0) {
    // Everything else: the corners of its box.
    const TFRect b = e->GetBox();
    if (!IsBadBox(b)) {
      const bool flat = b.Z1 == b.Z2;
      for (int i = 0; i < (flat ? 4 : 8); ++i)
        WalkMeasurePoint(img, {(i & 1) ? b.Right : b.Left, (i & 2) ? b.Top : b.Bottom,
                               (i & 4) ? b.Z2 : b.Z1});
    }
  }
  // A pattern draws pieces, not the outline.
  w.Ready = ready && !w.Pattern;
}

bool WalkIsOnScreen(TvxCADImage& img) {
  const TvxDrawWalkState& w = *img.FWalk;
  if (w.Index == 0) return false;
  const QRect box(QPoint(w.IRect.Left, w.IRect.Top), QPoint(w.IRect.Right + 1, w.IRect.Bottom + 1));
  const bool inRect = img.FDrawRect.isNull() || box.intersects(img.FDrawRect);
  if (img.FSelectionMode == smMatrixOnly) return inRect && img.FSelectionMatrix != nullptr;
  if (!inRect) return false;
  const QRegion* clip = w.Regions.Handle();
  return !clip || clip->intersects(box);
}

// ---- line-type pattern ------------------------------------------------------------------------

void WalkResolvePattern(TvxCADImage& img, TvxDXFEntity* e) {
  TvxDrawWalkState& w = *img.FWalk;
  const TvxLines* lines = nullptr;
  if (const TvxDXFLineType* lt = e->GetLineType()) {
    if (SameName(lt->GetName(), "BYLAYER")) {
      const TvxDXFLayer* layer = WalkEffectiveLayer(img, e);
      lines = layer ? layer->GetLines() : nullptr;
    } else if (SameName(lt->GetName(), "BYBLOCK")) {
      lines = img.FDraw.LType;
    } else {
      lines = lt->GetLines();
    }
  }
  if (lines && (lines->IsSolid() || lines->SimpleElementsCount() == 0 ||
                !(lines->PatternLength() > 0)))
    lines = nullptr;
  w.Pattern = lines;
  w.PatternParams = {};
  if (lines) {
    const TvxDXFConverter* conv = img.Converter();
    w.PatternParams = lines->Params(conv ? conv->LTScale() : 1.0, e->GetLineTypeScale());
  }
}

bool WalkPatternShows(const TvxCADImage& img) {
  const TvxDrawWalkState& w = *img.FWalk;
  if (!w.Pattern) return false;
  // Patterns are laid out in world units, so their size on screen comes from the view matrix.
  const TFMatrix& m = img.FDraw.DrawMatrix;
  const double sx = std::hypot(m.M[0][0], m.M[0][1]);
  const double sy = std::hypot(m.M[1][0], m.M[1][1]);
  const double size = w.Pattern->MaxSizeOfPatterns() * w.PatternParams.Scale;
  return size * sx > 1.5 || size * sy > 1.5;
}

// ---- line weight ------------------------------------------------------------------------------

uint32_t WalkParseColorName(const std::string& text) {
  const std::string_view s = Trim(text);
  for (const TvxColorName& c : cnstColorNames)
    if (SameName(s, c.Name)) return c.Value;
  std::string_view digits = s;
  int base = 10;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (!digits.empty() && digits.front() == '$') {
    base = 16;
    digits.remove_prefix(1);
  } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return 0;
  if (negative) v = -v;
  return static_cast<uint32_t>(v);
}

bool WalkParseMillimetres(const std::string& text, double& mm) {
  std::string_view s = Trim(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty() || !std::isfinite(v))
    return false;
  mm = v;
  return true;
}

void TvxCADImage::ApplyLineWeight(TvxDXFEntity* entity) {
  // Millimetres per pixel; a device that reports none counts as 1 (never a division by zero).
  const double mmPerPixel =
      std::isfinite(mmToPixelX()) && mmToPixelX() > 0 ? mmToPixelX() : 1.0;
  double width = IsPlotting() ? NullWidth() : 0;
  // The drawing's own switch ($LWDISPLAY) turns the weights off as the image's does.
  const bool drawingShows = !Converter() || Converter()->HeadVarStruct().LwDisplay;
  if (IsShowLineWeight() && drawingShows && entity) {
    double w = EffectiveLineWeight(entity, dynamic_cast<TvxDXFInsert*>(FDraw.Insert));
    constexpr double cnstLineWeightFactor = 1.0;
    w *= IsPlotting() ? 1.0 : cnstLineWeightFactor;
    w = std::min(w, 8.875);
    w /= mmPerPixel;
    if (!(w > 0)) w = NullWidth();
    width = LineWeightScale() * w;
  }
  if (!ColorToLineWeight().empty() && !IsIterator()) {
    const TColor pen = FDraw.Color;
    for (const std::string& line : ColorToLineWeight()) {
      const size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const uint32_t c = WalkParseColorName(line.substr(0, eq));
      const bool match = c == pen || (c == 0 && pen == clForeground) ||
                         (c == clForeground && (pen == DefaultColor() || pen == clForeground));
      if (!match) continue;
      double mm = 0;
      if (!WalkParseMillimetres(line.substr(eq + 1), mm)) mm = 0;
      width = LineWeightScale() * static_cast<double>(RoundHalfEven(mm / mmPerPixel));
    }
  }
  if (!std::isfinite(width) || width < 0) width = 0;
  SetPenWidth(std::min(width, 1e6));
}

}  // namespace vx
