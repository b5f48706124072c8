// The row walk of record fields and the slots of group codes.
#include "readers/dwg/objects/vxDWGRecordRows.h"

#include "readers/dwg/objects/vxDWGObject.h"

#include <numbers>

namespace vx {

namespace {

bool IsPointCode(TdwgCode c) {
  return c == dc2RD || c == dc2BD || c == dc3BD || c == dc3RD || c == dc2DD || c == dc3DD || c == dcBE;
}

// The value a slot holds, as the default of a DD row or an absent field.
TdwgValue SlotValue(const TdwgSlots& f, int group) {
  TdwgValue v;
  if (group >= 10 && group <= 19) {
    v.P = f.Points[size_t(group - 10)];
    v.D = v.P.X;
  } else if (group >= 20 && group <= 29) {
    v.D = f.Points[size_t(group - 20)].Y;
  } else if (group >= 30 && group <= 37) {
    v.D = f.Points[size_t(group - 30)].Z;
  } else if (group == 210) {
    v.P = f.Extrusion;
  } else {
    v.D = f.Real(group);
  }
  return v;
}

}  // namespace

double TdwgSlots::Real(int group) const {
  if (group >= 40 && group <= 59) return Floats[size_t(group - 40)];
  if (group >= 60 && group <= 79) return double(Ints[size_t(group - 60)]);
  if (group >= 90 && group <= 99) return double(Longs[size_t(group - 90)]);
  if (group >= 140 && group <= 149) return Floats140[size_t(group - 140)];
  if (group >= 170 && group <= 179) return double(Ints170[size_t(group - 170)]);
  if (group >= 270 && group <= 289) return double(Ints270[size_t(group - 270)]);
  if (group >= 370 && group <= 379) return double(Ints370[size_t(group - 370)]);
  if (group == 38) return Elevation;
  if (group == 39) return Thickness;
  return 0;
}

void StoreDWGSlot(TdwgSlots& f, int g, TdwgCode code, const TdwgValue& v) {
  if (IsPointCode(code)) {
    if (g >= 10 && g <= 19) f.Points[size_t(g - 10)] = v.P;
    else if (g == 210) f.Extrusion = v.P;
    return;
  }
  switch (code) {
    case dcTV:
      if (g >= 0 && g <= 9) f.Texts[size_t(g)] = v.S;
      return;
    case dcCMC:
      if (g == 62) f.Colors[0] = v.C;
      else if (g >= 176 && g <= 178) f.Colors[size_t(g - 175)] = v.C;
      return;
    case dcH:
    case dcHData:
      if (g >= 340 && g <= 349) f.Refs[size_t(g - 340)] = v.H.Handle;
      return;
    case dcBD:
    case dcRD:
    case dcDD:
    case dcBT: {
      if (g >= 10 && g <= 19) f.Points[size_t(g - 10)].X = v.D;
      else if (g >= 20 && g <= 29) f.Points[size_t(g - 20)].Y = v.D;
      else if (g >= 30 && g <= 37) f.Points[size_t(g - 30)].Z = v.D;
      else if (g == 38) f.Elevation = v.D;
      else if (g == 39) f.Thickness = v.D;
      else if (g >= 40 && g <= 59) f.Floats[size_t(g - 40)] = v.D;
      else if (g >= 140 && g <= 149) f.Floats140[size_t(g - 140)] = v.D;
      return;
    }
    default:
      if (g >= 60 && g <= 79) f.Ints[size_t(g - 60)] = v.I;
      else if (g >= 90 && g <= 99) f.Longs[size_t(g - 90)] = v.I;
      else if (g >= 170 && g <= 179) f.Ints170[size_t(g - 170)] = v.I;
      else if (g >= 270 && g <= 289) f.Ints270[size_t(g - 270)] = v.I;
      else if (g >= 370 && g <= 379) f.Ints370[size_t(g - 370)] = v.I;
      else if (g >= 40 && g <= 59) f.Floats[size_t(g - 40)] = double(v.I);
      return;
  }
}

void ReadDWGRows(TdwgObject& obj, TdwgReader& r, TdwgStreams& s, std::span<const TdwgFieldRow> rows) {
  TdwgSlots& f = obj.F;
  for (const TdwgFieldRow& row : rows) {
    if (!row.Versions.Has(s.Version)) continue;
    if (s.Failed()) return;
    const bool present = (row.IfSet == 0 || (f.Cond & row.IfSet) != 0) && (row.IfClear == 0 || (f.Cond & row.IfClear) == 0);
    if (row.Hook) {
      if (present) row.Hook(obj, r, s);
      continue;
    }
    TdwgValue v;
    if (!present) {
      // An absent field takes its default slot (when it has one) and nothing is read.
      if (row.Default && row.Group) StoreDWGSlot(f, row.Group, row.Code, SlotValue(f, row.Default));
      continue;
    }
    const TdwgValue def = row.Default ? SlotValue(f, row.Default) : TdwgValue();
    ReadDWGField(s, row.Code, def, v);
    if (row.Flags & rfDegrees) v.D *= 180 / std::numbers::pi;
    if (row.Flags & rfCond) f.Cond = uint32_t(v.I);
    if (!row.Group) continue;
    if ((row.Flags & rfXY) && row.Group >= 10 && row.Group <= 19) {
      TFPoint& p = f.Points[size_t(row.Group - 10)];
      p.X = v.P.X;
      p.Y = v.P.Y;
      continue;
    }
    StoreDWGSlot(f, row.Group, row.Code, v);
  }
}

}  // namespace vx
