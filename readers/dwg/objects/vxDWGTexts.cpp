// Text records: single-line text, attributes, attribute definitions, shapes and multi-line text.
#include "readers/dwg/objects/vxDWGKinds.h"
#include "readers/dwg/objects/vxDWGRecords.h"

#include "database/blocks/vxAttribs.h"
#include "database/text/vxMText.h"
#include "database/text/vxShape.h"
#include "readers/dwg/vxDWGReader.h"

#include <cmath>

namespace vx {

namespace {

// Data flags of 2000+ texts: a set bit means the field is absent.
enum : uint16_t { tfElevation = 1, tfAlign = 2, tfOblique = 4, tfRotation = 8, tfWidth = 0x10,
                  tfGeneration = 0x20, tfHAlign = 0x40, tfVAlign = 0x80 };

constexpr TdwgFieldRow cnstTextRows[] = {
    {dcRC, dvR2000, 0, 0, 0, 0, rfCond},
    {dcRD, dvR2000, 38, 0, 0, tfElevation},
    {dc2RD, dvR2000, 10, 0, 0, 0, rfXY},
    {dc2DD, dvR2000, 11, 10, 0, tfAlign},
    {dcBE, dvR2000, 210},
    {dcBT, dvR2000, 0},
    {dcRD, dvR2000, 51, 0, 0, tfOblique, rfDegrees},
    {dcRD, dvR2000, 50, 0, 0, tfRotation, rfDegrees},
    {dcRD, dvR2000, 40},
    {dcRD, dvR2000, 41, 0, 0, tfWidth},
    {dcTV, dvR2000, 1},
    {dcBS, dvR2000, 71, 0, 0, tfGeneration},
    {dcBS, dvR2000, 72, 0, 0, tfHAlign},
    {dcBS, dvR2000, 73, 0, 0, tfVAlign},
    // R13 and R14: every field stored.
    {dcBD, dvR13R14, 38},
    {dc2RD, dvR13R14, 10, 0, 0, 0, rfXY},
    {dc2RD, dvR13R14, 11, 0, 0, 0, rfXY},
    {dc3BD, dvR13R14, 210},
    {dcBD, dvR13R14, 0},
    {dcBD, dvR13R14, 51, 0, 0, 0, rfDegrees},
    {dcBD, dvR13R14, 50, 0, 0, 0, rfDegrees},
    {dcBD, dvR13R14, 40},
    {dcBD, dvR13R14, 41},
    {dcTV, dvR13R14, 1},
    {dcBS, dvR13R14, 71},
    {dcBS, dvR13R14, 72},
    {dcBS, dvR13R14, 73},
};

constexpr TdwgFieldRow cnstStyleHandle[] = {{dcH, dvAll, 340}};

constexpr TdwgFieldRow cnstAttribRows[] = {
    {dcRC, dvR2010, 0},  // version
    {dcTV, dvAll, 2},    // tag
    {dcBS, dvAll, 0},    // field length
    {dcRC, dvAll, 70},
    {dcB, dvR2007, 0, 0, 0, 0, rfNone, &TdwgText::ReadLock},
};

constexpr TdwgFieldRow cnstAttdefRows[] = {
    {dcRC, dvR2010, 0},
    {dcTV, dvAll, 2},
    {dcBS, dvAll, 0},
    {dcRC, dvAll, 70},
    {dcB, dvR2007, 0, 0, 0, 0, rfNone, &TdwgText::ReadLock},
    {dcRC, dvR2010, 0},
    {dcTV, dvAll, 3},  // prompt
};

constexpr TdwgFieldRow cnstShapeRows[] = {
    {dc3BD, dvAll, 10},
    {dcBD, dvAll, 40},
    {dcBD, dvAll, 50, 0, 0, 0, rfDegrees},
    {dcBD, dvAll, 41},
    {dcBD, dvAll, 51, 0, 0, 0, rfDegrees},
    {dcBD, dvAll, 0},
    {dcBS, dvAll, 90},  // shape number
    {dc3BD, dvAll, 210},
};

constexpr TdwgFieldRow cnstMTextRows[] = {
    {dc3BD, dvAll, 10},
    {dc3BD, dvAll, 210},
    {dc3BD, dvAll, 11},  // X direction
    {dcBD, dvAll, 41},   // rectangle width
    {dcBD, dvR2007, 0},  // rectangle height
    {dcBD, dvAll, 40},
    {dcBS, dvAll, 71},   // attachment
    {dcBS, dvAll, 0},    // drawing direction
    {dcBD, dvAll, 0},    // extents height
    {dcBD, dvAll, 0},    // extents width
    {dcTV, dvAll, 1, 0, 0, 0, rfNone, &TdwgMText::ReadContents},
    {dcBS, dvR2000, 73},
    {dcBD, dvR2000, 44},
    {dcB, dvR2000, 0},
    {dcBL, dvR2004, 0, 0, 0, 0, rfNone, &TdwgMText::ReadBackground},
};

uint8_t ByteCode(int64_t v) { return v >= 0 && v <= 255 ? uint8_t(v) : 0; }
double FiniteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

// Tabs, line breaks and line feeds of multi-line text in the form the text layout reads.
std::string MTextContents(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\t') out += "^I";
    else if (c == '\r') {
      out += "\\P";
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (c == '\n') out += "^J";
    else out += c;
  }
  while (!out.empty() && out.back() == '\0') out.pop_back();
  return out;
}

}  // namespace

TdwgText::TdwgText() { F.Floats[1] = 1.0; }

void TdwgText::ReadLock(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  static_cast<TdwgText&>(o).FLockPosition = ReadBit(s.Dat) != 0;
}

void TdwgText::Apply(TdwgReader& r) {
  auto* t = dynamic_cast<TvxDXFText*>(FItem);
  if (!t) return;
  if (auto* style = dynamic_cast<TvxDXFStyle*>(r.GetChild(F.Refs[0]))) t->SetStyle(style);
  const double z = F.Elevation;
  TFPoint p = F.Points[0], p1 = F.Points[1];
  p.Z = p1.Z = z;
  t->SetPoint(p);
  const uint8_t h = ByteCode(F.Ints[12]), v = ByteCode(F.Ints[13]);
  // Left-aligned text on its base line uses the insertion point alone, as the DXF record says by
  // leaving the alignment point out.
  t->SetPoint1(h == 0 && v == 0 ? cnstUndefinedPoint : p1);
  t->SetExtrusion(F.Extrusion);
  t->SetHeight(FiniteOr(F.Floats[0], 0));
  t->SetScale(FiniteOr(F.Floats[1], 1));
  t->SetRotation(float(FiniteOr(F.Floats[10], 0)));
  t->SetObliqueAngle(float(FiniteOr(F.Floats[11], 0)));
  t->SetGeneration(ByteCode(F.Ints[11]));
  t->SetHAlign(h);
  t->SetVAlign(v);
  if (auto* a = dynamic_cast<TvxDXFAttdef*>(FItem)) {
    a->SetTag(F.Texts[2]);
    a->SetFlags(int(F.Ints[10]));
    if (r.Version >= acR2007) a->SetLockPosition(FLockPosition);
    a->SetValue(F.Texts[1]);
  } else {
    t->SetText(F.Texts[1]);
  }
}

TdwgShape::TdwgShape() { F.Floats[1] = 1.0; }

void TdwgShape::Apply(TdwgReader& r) {
  auto* s = dynamic_cast<TvxDXFShape*>(FItem);
  if (!s) return;
  if (auto* style = dynamic_cast<TvxDXFStyle*>(r.GetChild(F.Refs[0]))) s->SetStyle(style);
  s->SetPoint(F.Points[0]);
  s->SetExtrusion(F.Extrusion);
  s->SetSize(FiniteOr(F.Floats[0], 0));
  s->SetScale(FiniteOr(F.Floats[1], 1));
  s->SetRotation(float(FiniteOr(F.Floats[10], 0)));
  s->SetObliqueAngle(float(FiniteOr(F.Floats[11], 0)));
  s->SetShapeNumber(int16_t(F.Longs[0]));
}

TdwgMText::TdwgMText() {
  F.Floats[4] = 1.0;  // line-spacing factor
  F.Ints[13] = 1;     // line-spacing style
}

void TdwgMText::ReadContents(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  o.F.Texts[1] = MTextContents(s.TV());
}

void TdwgMText::ReadBackground(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  // Background fill: scale (a BD, as the files store it), colour and transparency follow when
  // the fill is on.
  if (ReadBL(s.Dat) & 1) {
    ReadBD(s.Dat);
    s.CMC();
    ReadBL(s.Dat);
  }
}

void TdwgMText::Apply(TdwgReader& r) {
  auto* m = dynamic_cast<TvxDXFMText*>(FItem);
  if (!m) return;
  if (auto* style = dynamic_cast<TvxDXFStyle*>(r.GetChild(F.Refs[0]))) m->SetStyle(style);
  m->SetText(F.Texts[1]);
  m->SetPoint(F.Points[0]);
  m->SetPoint1(F.Points[1]);
  m->SetExtrusion(F.Extrusion);
  m->SetHeight(FiniteOr(F.Floats[0], 0));
  m->SetRectWidth(FiniteOr(F.Floats[1], 0));
  m->SetAlign(ByteCode(F.Ints[11]));
  m->SetLineSpacingFactor(FiniteOr(F.Floats[4], 1));
  m->SetLineSpacingStyle(ByteCode(F.Ints[13]));
}

void AddDWGTextKinds(TdwgKindTable& t) {
  t[1] = Kind("TEXT", Reader<TdwgText>, Item<TvxDXFText>, cnstTextRows, cnstStyleHandle);
  t[2] = Kind("ATTRIB", Reader<TdwgText>, Item<TvxDXFAttrib>, cnstTextRows, cnstStyleHandle, cnstAttribRows);
  t[3] = Kind("ATTDEF", Reader<TdwgText>, Item<TvxDXFAttdef>, cnstTextRows, cnstStyleHandle, cnstAttdefRows);
  t[33] = Kind("SHAPE", Reader<TdwgShape>, Item<TvxDXFShape>, cnstShapeRows, cnstStyleHandle);
  t[44] = Kind("MTEXT", Reader<TdwgMText>, Item<TvxDXFMText>, cnstMTextRows, cnstStyleHandle);
}

}  // namespace vx
