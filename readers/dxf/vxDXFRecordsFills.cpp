// The hatch and multi-polygon record readers.
#include "readers/dxf/vxDXFRecordsFills.h"

#include "database/images/vxWipeouts.h"

#include <cmath>
#include <numbers>

namespace vx {

namespace {

// Counts and sizes in a record are hints, never trusted for allocation.
constexpr int cnstMaxDashes = 1024;

TvxColorCAD TrueColor(int value) {
  const auto rgb = static_cast<uint32_t>(value);
  return MakeColorCAD(acRGBColor, ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

}  // namespace

TdxfHatch::TdxfHatch() = default;

bool TdxfHatch::IsMPolygon() const { return dynamic_cast<const TvxCADMPolygon*>(FEnt) != nullptr; }

Tvx2DBoundaryList* TdxfHatch::Boundary() {
  if (!FList) {
    FList = FBoundaries->AddBoundary();
    FList->SetBoundaryType(static_cast<uint8_t>(FPathFlags));
  }
  return FList;
}

void TdxfHatch::NewEdge(TdxfLoader& r, int value) {
  Tvx2DBoundaryList* list = Boundary();
  FEdge = nullptr;
  FExpectFitCount = false;
  if (IsMPolygon()) {
    auto* p = list->AddEdge<Tvx2DPolyline>();
    p->SetClosed(true);
    FEdge = p;
    return;
  }
  switch (value) {
    case 0: FEdge = list->AddEdge<Tvx2DPolyline>(); break;
    case 1:
      if (FPathFlags & cnstBoundaryPolyline) FEdge = list->AddEdge<Tvx2DPolyline>();
      else FEdge = list->AddEdge<Tvx2DLine>();
      break;
    case 2: FEdge = list->AddEdge<Tvx2DArc>(); break;
    case 3: FEdge = list->AddEdge<Tvx2DEllipse>(); break;
    case 4:
      FEdge = list->AddEdge<Tvx2DSpline>();
      FExpectFitCount = r.Conv->HeadVarStruct().Version > static_cast<uint8_t>(acR2007);
      break;
    default: break;
  }
}

// The pairs of the current edge; false when the code is not an edge's.
bool TdxfHatch::ReadEdgeProperty(TdxfLoader& r, int code) {
  TdxfReader& t = r.Tok;
  if (auto* p = dynamic_cast<Tvx2DPolyline*>(FEdge)) {
    switch (code) {
      case 10: p->FVertexes.Append({Finite(t.FloatValue()), 0}); p->FBulges.Append(0); return true;
      case 20:
        if (p->FVertexes.Count()) p->FVertexes[p->FVertexes.Count() - 1].Y = Finite(t.FloatValue());
        return true;
      case 42:
        if (p->FBulges.Count()) p->FBulges[p->FBulges.Count() - 1] = Finite(t.FloatValue());
        return true;
      case 73: p->SetClosed(t.IntValue() == 1 || IsMPolygon()); return true;
      default: return false;
    }
  }
  if (auto* l = dynamic_cast<Tvx2DLine*>(FEdge)) {
    switch (code) {
      case 10: l->FStartPoint.X = Finite(t.FloatValue()); return true;
      case 20: l->FStartPoint.Y = Finite(t.FloatValue()); return true;
      case 11: l->FEndPoint.X = Finite(t.FloatValue()); return true;
      case 21: l->FEndPoint.Y = Finite(t.FloatValue()); return true;
      default: return false;
    }
  }
  if (auto* a = dynamic_cast<Tvx2DArc*>(FEdge)) {
    auto* e = dynamic_cast<Tvx2DEllipse*>(FEdge);
    switch (code) {
      case 10: a->FCenterPoint.X = Finite(t.FloatValue()); return true;
      case 20: a->FCenterPoint.Y = Finite(t.FloatValue()); return true;
      case 11: if (e) e->FMajorPoint.X = Finite(t.FloatValue()); return e != nullptr;
      case 21: if (e) e->FMajorPoint.Y = Finite(t.FloatValue()); return e != nullptr;
      case 40: a->FRadius = Finite(t.FloatValue()); return true;
      case 50: a->FStartParam = Finite(t.FloatValue()); return true;
      case 51: a->FEndParam = Finite(t.FloatValue()); return true;
      case 73: a->SetCounterClockWise(t.IntValue() == 1); return true;
      default: return false;
    }
  }
  if (auto* s = dynamic_cast<Tvx2DSpline*>(FEdge)) {
    switch (code) {
      case 10: s->FControls.Append({Finite(t.FloatValue()), 0}); return true;
      case 20:
        if (s->FControls.Count()) s->FControls[s->FControls.Count() - 1].Y = Finite(t.FloatValue());
        return true;
      case 11: s->FFitPoints.Append({Finite(t.FloatValue()), 0}); return true;
      case 21:
        if (s->FFitPoints.Count()) s->FFitPoints[s->FFitPoints.Count() - 1].Y = Finite(t.FloatValue());
        return true;
      case 40: s->FKnots.Append(Finite(t.FloatValue())); return true;
      case 42: s->FWeights.Append(Finite(t.FloatValue())); return true;
      case 73: s->Rational = t.IntValue() == 1; return true;
      case 74: s->Periodic = t.IntValue() == 1; return true;
      case 94: s->Degree = t.IntValue(); return true;
      case 95: case 96: return true;  // knot and control counts: the lists tell
      case 97:
        if (!FExpectFitCount) return false;
        FExpectFitCount = false;
        return true;
      case 12: case 22: case 13: case 23: return true;  // fit tangents
      default: return false;
    }
  }
  return false;
}

void TdxfHatch::SetGradientColor(const TvxColorCAD& c) {
  // Without 463 slots each colour takes the next index; with them, the 63 and the 421 of a slot
  // describe the same colour (the true colour, coming last, wins).
  if (!FColorSlots) ++FColorIndex;
  if (FColorIndex >= 0 && FColorIndex < 2) FFields.GradientColors[static_cast<size_t>(FColorIndex)] = c;
}

bool TdxfHatch::ReadGradientProperty(TdxfLoader& r, int code) {
  TdxfReader& t = r.Tok;
  switch (code) {
    case 450: FFields.Gradient = t.IntValue() != 0; return true;
    case 451: case 452: case 453: case 462: return true;
    case 460: FFields.GradientAngle = Finite(t.FloatValue()) * 180 / std::numbers::pi; return true;
    case 461: FFields.GradientShift = Finite(t.FloatValue()); return true;
    case 463:
      FColorSlots = true;
      ++FColorIndex;
      return true;
    case 470: FFields.GradientName = DXFTrim(t.UValue()); return true;
    case 63:
    case 94: {
      const TvxColorCAD c = MakeColorCAD(acIndexColor, static_cast<uint32_t>(t.IntValue()));
      if (code == 63 && IsMPolygon()) {
        FFillColor = c;
        FHasFillColor = true;
        return true;
      }
      SetGradientColor(c);
      return true;
    }
    case 421:
      if (IsMPolygon() && !FColorSlots) {
        FFillColor = TrueColor(t.IntValue());
        FHasFillColor = true;
        return true;
      }
      SetGradientColor(TrueColor(t.IntValue()));
      return true;
    default: return false;
  }
}

void TdxfHatch::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  const int code = t.Code();
  if (FPathsStarted && ReadEdgeProperty(r, code)) return;
  switch (code) {
    // the elevation point comes before the paths; later points are seeds
    case 10: if (!FPathsStarted) FFields.Elevation.X = Finite(t.FloatValue()); return;
    case 20: if (!FPathsStarted) FFields.Elevation.Y = Finite(t.FloatValue()); return;
    case 30: if (!FPathsStarted) FFields.Elevation.Z = Finite(t.FloatValue()); return;
    case 11: case 21: case 12: case 22: case 13: case 23: return;  // offsets, fit tangents
    case 70: FFlags70 = t.IntValue(); return;
    case 71: FFlags71 = t.IntValue(); return;
    case 75: FFields.IslandStyle = t.IntValue(); return;
    case 72: NewEdge(r, t.IntValue()); return;
    case 73: case 74: case 76: case 77: case 78: case 79: {
      const int v = t.IntValue();
      if (code == 79 && !FPattern->Patterns().empty()) {
        TvxHatchPatternData& p = FPattern->Patterns().back();
        p.DashNum = std::clamp(v, 0, cnstMaxDashes);
        p.IsDash = p.DashNum > 0;
      }
      return;
    }
    case 91: FPathsStarted = true; return;
    case 92:
      FPathFlags = t.IntValue();
      FList = nullptr;  // the next 72 or edge pair opens a list with these flags
      FEdge = nullptr;  // (a polyline path's 72 is its bulge flag: NewEdge makes it a polyline)
      return;
    case 93: return;
    case 97:
      FList = nullptr;
      FEdge = nullptr;
      FExpectFitCount = false;
      return;
    case 98: case 99: FEdge = nullptr; return;
    case 330:
      // after the paths: the source boundary objects, not the owner
      if (FPathsStarted) {
        FEdge = nullptr;
        return;
      }
      break;
    case 41: if (std::isfinite(t.FloatValue())) FPattern->SetScaleValue(t.FloatValue()); return;
    case 52: FPattern->SetAngleValue(Finite(t.FloatValue())); return;
    case 53: {
      FEdge = nullptr;
      TvxHatchPatternData& p = FPattern->AddPattern();
      p.LineAngle = Finite(t.FloatValue());
      return;
    }
    case 43: case 44: case 45: case 46: case 49: {
      if (FPattern->Patterns().empty()) return;
      TvxHatchPatternData& p = FPattern->Patterns().back();
      const double v = Finite(t.FloatValue());
      if (code == 43) p.BaseP.X = v;
      else if (code == 44) p.BaseP.Y = v;
      else if (code == 45) p.Offset.X = v;
      else if (code == 46) p.Offset.Y = v;
      else if (p.Lines.Count() < cnstMaxDashes) {
        p.Lines.Append(v);
        p.DashNum = std::max(p.DashNum, p.Lines.Count());
        p.IsDash = true;
      }
      return;
    }
    case 40: case 42: case 47: case 50: case 51: return;  // edge values outside an edge, pixel size
    default: break;
  }
  if (ReadGradientProperty(r, code)) return;
  TdxfEntity::ReadProperty(r);
}

void TdxfHatch::Commit(TdxfLoader& r) {
  // A solid hatch is a curve polygon: the area is painted, not ruled.
  const bool mpolygon = IsMPolygon();
  if (!mpolygon && (FFlags70 & 1) && dynamic_cast<TvxCADHatch*>(FEnt))
    ReplaceEnt(new TvxCADCurvePolygon(), false);
  TdxfEntity::Commit(r);
  auto* cp = dynamic_cast<TvxCADCurvePolygon*>(FEnt);
  if (!cp) return;
  FFields.Extrusion = FExtrusion;
  cp->AssignFields(FFields);
  cp->InsertEntity(0, FBoundaries.release());
  auto* hatch = dynamic_cast<TvxCADHatch*>(FEnt);
  if (!hatch) return;
  FPattern->SetName(DXFTrim(FTexts[2]));
  hatch->InsertEntity(0, FPattern.release());
  if (auto* mp = dynamic_cast<TvxCADMPolygon*>(FEnt)) {
    mp->SetSolidFill((FFlags71 & 1) != 0);
    if (FHasFillColor) mp->SetFillColor(FFillColor);
  }
}

// ---- wipeouts -------------------------------------------------------------------------------

void TdxfWipeout::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  switch (t.Code()) {
    case 24:
      // each vertex ends with its Y; the budget keeps a hostile count from growing the list
      FPoints[4].Y = Finite(t.FloatValue());
      if (FClip.size() < 1u << 20) FClip.push_back({FPoints[4].X, FPoints[4].Y});
      return;
    case 280: FUseClipping = t.IntValue() != 0; return;
    default: TdxfEntity::ReadProperty(r); return;
  }
}

void TdxfWipeout::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* w = dynamic_cast<TvxCADWipeout*>(FEnt);
  if (!w) return;
  w->SetFlags(FInts[10]);
  w->SetClippingBoundaryType(static_cast<uint8_t>(FInts[11]));
  w->SetPoint(FPoints[0]);
  w->SetUVector(FPoints[1]);
  w->SetVVector(FPoints[2]);
  w->SetSize(FPoints[3]);
  w->SetUseClipping(FUseClipping);
  for (const TF2DPoint& p : FClip) w->AddPoint(p.X, p.Y);
}

}  // namespace vx
