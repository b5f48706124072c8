// Filled-area records: hatches, multi-polygons and wipeouts. Their boundary paths and pattern lines are
// runs whose layout depends on the values read before them, so one hook reads the whole body;
// a solid hatch becomes a curve polygon as soon as its solid bit is read.
#include "database/hatches/vxHatches.h"
#include "database/images/vxWipeouts.h"
#include "readers/dwg/objects/vxDWGKinds.h"
#include "readers/dwg/objects/vxDWGRecords.h"
#include "readers/dwg/vxDWGReader.h"

#include <cmath>
#include <numbers>

namespace vx {

namespace {

constexpr TdwgFieldRow cnstHatchRows[] = {
    {dcBL, dvAll, 0, 0, 0, 0, rfNone, &TdwgHatch::ReadBody},
};

constexpr TdwgFieldRow cnstWipeoutRows[] = {
    {dcBL, dvAll, 0, 0, 0, 0, rfNone, &TdwgWipeOut::ReadBody},
};

constexpr double cnstDegrees = 180 / std::numbers::pi;

// Single-precision values (bulges, knots, weights) as the database keeps them.
double Single(double v) { return static_cast<float>(std::clamp(v, -3.4e38, 3.4e38)); }

TF2DPoint Read2D(TvxBitCursor& d) {
  const TFPoint p = Read2RD(d);
  return {p.X, p.Y};
}

void ReadPolylinePath(TvxBitCursor& d, Tvx2DBoundaryList& list, bool bulgesFirst) {
  auto* p = list.AddEdge<Tvx2DPolyline>();
  bool bulges, closed;
  if (bulgesFirst) {
    bulges = ReadBit(d) != 0;
    closed = ReadBit(d) != 0;
  } else {
    closed = ReadBit(d) != 0;
    bulges = ReadBit(d) != 0;
  }
  p->SetClosed(closed);
  const uint32_t n = DWGCounted(d, ReadBL(d), 128);
  for (uint32_t i = 0; i < n && !d.Failed; ++i) {
    p->FVertexes.Append(Read2D(d));
    p->FBulges.Append(bulges ? Single(ReadBD(d)) : 0.0);
  }
}

void ReadEdge(TvxBitCursor& d, TvxDWGVersion v, Tvx2DBoundaryList& list) {
  switch (ReadRC(d)) {
    case 1: {
      auto* l = list.AddEdge<Tvx2DLine>();
      l->FStartPoint = Read2D(d);
      l->FEndPoint = Read2D(d);
      break;
    }
    case 2: {
      auto* a = list.AddEdge<Tvx2DArc>();
      a->FCenterPoint = Read2D(d);
      a->FRadius = ReadBD(d);
      a->FStartParam = ReadBD(d) * cnstDegrees;
      a->FEndParam = ReadBD(d) * cnstDegrees;
      a->SetCounterClockWise(ReadBit(d) != 0);
      break;
    }
    case 3: {
      auto* e = list.AddEdge<Tvx2DEllipse>();
      e->FCenterPoint = Read2D(d);
      e->FMajorPoint = Read2D(d);
      e->FRadius = ReadBD(d);
      e->FStartParam = ReadBD(d) * cnstDegrees;
      e->FEndParam = ReadBD(d) * cnstDegrees;
      e->SetCounterClockWise(ReadBit(d) != 0);
      break;
    }
    case 4: {
      auto* s = list.AddEdge<Tvx2DSpline>();
      s->Degree = static_cast<int>(ReadBL(d));
      s->Rational = ReadBit(d) != 0;
      s->Periodic = ReadBit(d) != 0;
      const uint32_t knots = DWGCounted(d, ReadBL(d), 2);
      const uint32_t controls = DWGCounted(d, ReadBL(d), 128);
      for (uint32_t i = 0; i < knots && !d.Failed; ++i) s->FKnots.Append(Single(ReadBD(d)));
      for (uint32_t i = 0; i < controls && !d.Failed; ++i) {
        s->FControls.Append(Read2D(d));
        if (s->Rational) s->FWeights.Append(Single(ReadBD(d)));
      }
      if (v >= acR2010) {
        const uint32_t fit = DWGCounted(d, ReadBL(d), 128);
        for (uint32_t i = 0; i < fit && !d.Failed; ++i) s->FFitPoints.Append(Read2D(d));
        if (fit > 0) {
          Read2RD(d);  // start tangent
          Read2RD(d);  // end tangent
        }
      }
      break;
    }
    default: break;  // nothing to add
  }
}

}  // namespace

void TdwgHatch::ReadBody(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgHatch&>(o);
  TvxBitCursor& d = s.Dat;
  const TvxDWGVersion v = r.Version;
  const bool mpolygon = dynamic_cast<TvxCADMPolygon*>(o.FItem) != nullptr;
  if (mpolygon) ReadBL(d);
  if (v >= acR2004) {
    self.FFields.Gradient = ReadBL(d) != 0;
    ReadBL(d);  // reserved
    self.FFields.GradientAngle = ReadBD(d) * cnstDegrees;
    self.FFields.GradientShift = ReadBD(d);
    ReadBL(d);  // single colour
    ReadBD(d);  // tint
    const uint32_t colors = DWGCounted(d, ReadBL(d), 66);
    for (uint32_t i = 0; i < colors && !d.Failed; ++i) {
      ReadBD(d);  // the colour's position
      const TvxColorCAD c = s.CMC();
      if (i < 2) self.FFields.GradientColors[i] = c;
    }
    self.FFields.GradientName = s.TV();
  }
  if (v >= acR2007) self.FPatternName = s.TV();
  self.FFields.Elevation = {0, 0, ReadBD(d)};
  self.FFields.Extrusion = Read3BD(d);
  if (v < acR2007) self.FPatternName = s.TV();
  self.FSolid = ReadBit(d) != 0;
  if (self.FSolid && !mpolygon && dynamic_cast<TvxCADHatch*>(o.FItem)) {
    // a solid hatch is a curve polygon: the area is painted, not ruled
    auto* poly = new TvxCADCurvePolygon();
    poly->SetConverter(r.Conv);
    if (poly->HasHandle()) poly->SetHandle(o.FItem->GetHandle());
    o.FItem->Free();
    o.FItem = poly;
    if (r.Conv->OnCreate) r.Conv->OnCreate(poly);
  }
  if (!mpolygon) ReadBit(d);  // associative

  bool pixelSize = false;
  const uint32_t paths = DWGCounted(d, ReadBL(d), 34);
  for (uint32_t i = 0; i < paths && !d.Failed; ++i) {
    Tvx2DBoundaryList& list = *self.FBoundaries->AddBoundary();
    if (mpolygon) {
      list.SetBoundaryType(7);
      ReadPolylinePath(d, list, false);
      continue;
    }
    const uint32_t flags = ReadBL(d);
    list.SetBoundaryType(static_cast<uint8_t>(flags));
    if (flags & 4) pixelSize = true;
    if (flags & cnstBoundaryPolyline) {
      ReadPolylinePath(d, list, true);
    } else {
      const uint32_t edges = DWGCounted(d, ReadBL(d), 8);
      for (uint32_t k = 0; k < edges && !d.Failed; ++k) ReadEdge(d, v, list);
    }
    ReadBL(d);  // source boundary objects (their handles are not read)
  }
  self.FFields.IslandStyle = ReadBS(d);
  if (!mpolygon) ReadBS(d);  // pattern type
  const bool solid = mpolygon ? self.FSolid : dynamic_cast<TvxCADHatch*>(o.FItem) == nullptr;
  if (!solid || (mpolygon && !self.FSolid)) {
    self.FPatternAngle = ReadBD(d) * cnstDegrees;
    self.FPatternScale = ReadBD(d);
    ReadBit(d);  // double
    const uint32_t lines = DWGCounted(d, ReadBS(d), 12);
    for (uint32_t i = 0; i < lines && !d.Failed; ++i) {
      TvxHatchPatternData& p = self.FPattern->AddPattern();
      p.LineAngle = ReadBD(d) * cnstDegrees;
      const TFPoint base = Read2BD(d), offset = Read2BD(d);
      p.BaseP = {base.X, base.Y, 0};
      p.Offset = {offset.X, offset.Y, 0};
      const uint32_t dashes = DWGCounted(d, ReadBS(d), 2);
      p.DashNum = static_cast<int>(dashes);
      p.IsDash = dashes > 0;
      for (uint32_t k = 0; k < dashes && !d.Failed; ++k) p.Lines.Append(ReadBD(d));
    }
  }
  if (pixelSize && !mpolygon) ReadBD(d);
  if (mpolygon) {
    self.FFillColor = s.CMC();
    self.FOffset = Read2D(d);
  }
  const uint32_t seeds = DWGCounted(d, ReadBL(d), 128);
  for (uint32_t i = 0; i < seeds && !d.Failed; ++i) Read2RD(d);
}

void TdwgHatch::Apply(TdwgReader& r) {
  auto* cp = dynamic_cast<TvxCADCurvePolygon*>(FItem);
  if (!cp) return;
  cp->AssignFields(FFields);
  cp->InsertEntity(0, FBoundaries.release());
  auto* hatch = dynamic_cast<TvxCADHatch*>(FItem);
  if (!hatch) return;
  FPattern->SetName(FPatternName);
  FPattern->SetAngleValue(FPatternAngle);
  if (std::isfinite(FPatternScale)) FPattern->SetScaleValue(FPatternScale);
  hatch->InsertEntity(0, FPattern.release());
  if (auto* mp = dynamic_cast<TvxCADMPolygon*>(FItem)) {
    mp->SetSolidFill(FSolid);
    mp->SetFillColor(FFillColor);
    mp->SetOffset(FOffset);
  }
}

// ---- wipeouts -------------------------------------------------------------------------------

void TdwgWipeOut::ReadBody(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgWipeOut&>(o);
  TvxBitCursor& d = s.Dat;
  ReadBL(d);  // class version
  self.FPoint = Read3BD(d);
  self.FU = Read3BD(d);
  self.FV = Read3BD(d);
  const TFPoint size = Read2RD(d);
  self.FSize = {size.X, size.Y, 0};
  self.FFlags = ReadBS(d);
  self.FUseClipping = ReadBit(d) != 0;
  ReadRC(d);  // brightness
  ReadRC(d);  // contrast
  ReadRC(d);  // fade
  if (r.Version >= acR2010) ReadBit(d);  // inverted clip
  self.FClipType = ReadBS(d);
  if (self.FClipType == 1) {
    for (int i = 0; i < 2; ++i) self.FClip.push_back(Read2D(d));
  } else if (self.FClipType == 2) {
    const uint32_t n = DWGCounted(d, ReadBL(d), 128);
    for (uint32_t i = 0; i < n && !d.Failed; ++i) self.FClip.push_back(Read2D(d));
  }
}

void TdwgWipeOut::Apply(TdwgReader& r) {
  auto* w = dynamic_cast<TvxCADWipeout*>(FItem);
  if (!w) return;
  w->SetPoint(FPoint);
  w->SetUVector(FU);
  w->SetVVector(FV);
  w->SetSize(FSize);
  w->SetFlags(FFlags);
  w->SetUseClipping(FUseClipping);
  w->SetClippingBoundaryType(static_cast<uint8_t>(FClipType));
  for (const TF2DPoint& p : FClip) w->AddPoint(p.X, p.Y);
}

void AddDWGFillKinds(TdwgKindTable& t) {
  t[85] = Kind("WIPEOUT", Reader<TdwgWipeOut>, Item<TvxCADWipeout>, cnstWipeoutRows);
  t[78] = Kind("HATCH", Reader<TdwgHatch>, Item<TvxCADHatch>, cnstHatchRows);
  t[87] = Kind("MPOLYGON", Reader<TdwgHatch>, Item<TvxCADMPolygon>, cnstHatchRows);
}

}  // namespace vx
