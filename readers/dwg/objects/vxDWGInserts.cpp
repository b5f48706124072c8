// Block references, multiple inserts, viewports and BLOCK entities.
#include "readers/dwg/objects/vxDWGKinds.h"
#include "readers/dwg/objects/vxDWGRecords.h"

#include "database/blocks/vxInserts.h"
#include "database/layouts/vxViewports.h"
#include "readers/dwg/stream/vxDWGErrors.h"
#include "readers/dwg/vxDWGReader.h"

#include <cmath>

namespace vx {

namespace {

constexpr TdwgFieldRow cnstInsertRows[] = {
    {dc3BD, dvAll, 10},
    {dcBD, dvAll, 0, 0, 0, 0, rfNone, &TdwgInsert::ReadScale},
    {dcBD, dvAll, 50, 0, 0, 0, rfDegrees},
    {dc3BD, dvAll, 210},
    {dcB, dvAll, 0, 0, 0, 0, rfNone, &TdwgInsert::ReadAttribCount},
};

constexpr TdwgFieldRow cnstMInsertRows[] = {
    {dcBS, dvAll, 70},  // columns
    {dcBS, dvAll, 71},  // rows
    {dcBD, dvAll, 44},  // column spacing
    {dcBD, dvAll, 45},  // row spacing
};

constexpr TdwgFieldRow cnstInsertHandles[] = {
    {dcH, dvAll, 340},  // the block record
    {dcH, dvAll, 0, 0, 0, 0, rfNone, &TdwgInsert::ReadAttribHandles},
};

constexpr TdwgFieldRow cnstViewportRows[] = {
    {dc3BD, dvAll, 10},
    {dcBD, dvAll, 40},
    {dcBD, dvAll, 41},
    {dc3BD, dvR2000, 17},  // view target
    {dc3BD, dvR2000, 16},  // view direction
    {dcBD, dvR2000, 51, 0, 0, 0, rfDegrees},
    {dcBD, dvR2000, 45},  // model-space view height
    {dcBD, dvR2000, 0},   // lens length
    {dcBD, dvR2000, 43},  // front clip
    {dcBD, dvR2000, 44},  // back clip
    {dcBD, dvR2000, 0},   // snap angle
    {dc2RD, dvR2000, 12, 0, 0, 0, rfXY},
    {dc2RD, dvR2000, 0},  // snap base
    {dc2RD, dvR2000, 0},  // snap spacing
    {dc2RD, dvR2000, 0},  // grid spacing
    {dcBS, dvR2000, 0},   // circle zoom
    {dcBS, dvR2007, 0},   // grid major
    {dcBL, dvR2000, 91},  // frozen layers
    {dcBL, dvR2000, 90},  // status flags
    {dcTV, dvR2000, 0},   // plot style sheet
    {dcRC, dvR2000, 0},
    {dcBB, dvR2000, 0},
    {dc3BD, dvR2000, 0},
    {dc3BD, dvR2000, 0},
    {dc3BD, dvR2000, 0},
    {dcBD, dvR2000, 0},
    {dcBS, dvR2000, 0},
    {dcBS, dvR2004, 0},  // shade plot mode
    {dcB, dvR2007, 0},   // default lighting
    {dcRC, dvR2007, 0},  // lighting type
    {dcBD, dvR2007, 0},  // brightness
    {dcBD, dvR2007, 0},  // contrast
    {dcCMC, dvR2007, 0}, // ambient light colour
};

constexpr TdwgFieldRow cnstViewportHandles[] = {
    {dcH, dvR13R14, 0},
    {dcH, dvR2000, 0, 0, 0, 0, rfNone, &TdwgViewport::ReadFrozenLayers},
    {dcH, dvR2000, 340},  // clipping boundary
    {dcH, {acR2000, acR2000}, 0},
    {dcH, dvR2000, 0},
    {dcH, dvR2000, 0},
    {dcH, dvR2007, 0},
    {dcH, dvR2007, 0},
    {dcH, dvR2007, 0},
    {dcH, dvR2007, 0},
};

constexpr TdwgFieldRow cnstBlockRows[] = {{dcTV, dvAll, 0}};

}  // namespace

TdwgInsert::TdwgInsert() { F.Floats[1] = F.Floats[2] = F.Floats[3] = 1.0; }

void TdwgInsert::ReadScale(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  TvxBitCursor& d = s.Dat;
  double& x = o.F.Floats[1];
  double& y = o.F.Floats[2];
  double& z = o.F.Floats[3];
  if (r.Version < acR2000) {
    const TFPoint p = Read3BD(d);
    x = p.X;
    y = p.Y;
    z = p.Z;
    return;
  }
  switch (ReadBB(d)) {
    case 3: x = y = z = 1.0; break;
    case 1:
      x = 1.0;
      y = ReadDD(d, x);
      z = ReadDD(d, x);
      break;
    case 2:
      x = ReadRD(d);
      y = z = x;
      break;
    default:
      x = ReadRD(d);
      y = ReadDD(d, x);
      z = ReadDD(d, x);
      break;
  }
}

void TdwgInsert::ReadAttribCount(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgInsert&>(o);
  self.FHasAttribs = ReadBit(s.Dat) != 0;
  if (self.FHasAttribs && r.Version >= acR2004) o.FSubEnts = ReadBL(s.Dat);
}

void TdwgInsert::ReadAttribHandles(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  if (!static_cast<TdwgInsert&>(o).FHasAttribs) return;
  o.ReadOwnedHandles(r, true);
  s.H();  // the end marker
}

void TdwgInsert::Apply(TdwgReader& r) {
  auto* ins = dynamic_cast<TvxDXFInsert*>(FItem);
  if (!ins) return;
  ins->SetPoint(F.Points[0]);
  ins->SetExtrusion(F.Extrusion);
  ins->SetScale({F.Floats[1], F.Floats[2], F.Floats[3]});
  ins->SetAngle(float(std::isfinite(F.Floats[10]) ? F.Floats[10] : 0));
  if (auto* rec = dynamic_cast<TvxDXFBlockRecord*>(r.GetChild(F.Refs[0])))
    if (TvxDXFBlock* block = rec->Block()) ins->SetBlock(block);
  if (auto* m = dynamic_cast<TvxCADMInsert*>(ins)) {
    m->SetNumCols(int(F.Ints[10]));
    m->SetNumRows(int(F.Ints[11]));
    if (std::isfinite(F.Floats[4])) m->SetColSpacing(F.Floats[4]);
    if (std::isfinite(F.Floats[5])) m->SetRowSpacing(F.Floats[5]);
  }
}

void TdwgViewport::ReadFrozenLayers(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgViewport&>(o);
  const uint64_t n = uint64_t(o.F.Longs[1]);
  if (n > s.Handles().Remaining() / 8) DWGObjectCorrupt();
  self.FFrozen.reserve(size_t(n));
  for (uint64_t i = 0; i < n && !s.Failed(); ++i) self.FFrozen.push_back(s.HandleValue());
}

void TdwgViewport::Apply(TdwgReader& r) {
  auto* vp = dynamic_cast<TvxDXFViewport*>(FItem);
  if (!vp) return;
  auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
  vp->PSpaceCenter = F.Points[0];
  vp->PSpaceWidth = std::fabs(finite(F.Floats[0]));
  vp->PSpaceHeight = std::fabs(finite(F.Floats[1]));
  if (r.Version >= acR2000) {
    vp->MSpaceCenter = {F.Points[2].X, F.Points[2].Y, 0};
    vp->ViewDirection = F.Points[6];
    vp->ViewTarget = F.Points[7];
    vp->FrontClipPlane = float(finite(F.Floats[3]));
    vp->BackClipPlane = float(finite(F.Floats[4]));
    vp->MSpaceHeight = finite(F.Floats[5]);
    vp->ViewTwistAngle = float(finite(F.Floats[11]));
  }
  const int status = int(F.Longs[0]);
  const int mine = status & (cnstViewportNonRectClip | cnstViewportOff);
  vp->SetFlags((vp->GetFlags() & ~(cnstViewportNonRectClip | cnstViewportOff)) | mine);
  for (uint64_t h : FFrozen)
    if (h != 0) vp->FrozenLayers().Add(static_cast<int64_t>(h));
  if (F.Refs[0] != 0 && (status & cnstViewportNonRectClip) != 0) vp->SetClippingBoundaryHandle(F.Refs[0]);
}

void TdwgViewport::AfterAdded(TdwgReader& r) {
  // Numbered per layout once the drawing is read; only a placed viewport is kept for that.
  r.Viewports[FMode == 1 ? r.Header.PaperBlockRecord : (FMode == 2 ? r.Header.ModelBlockRecord : FOwner)]
      .push_back(FItem);
}

TvxDXFEntity* TdwgBlock::GetOwnerItem(TdwgReader& r) { return r.Conv->BlocksSection(); }

bool TdwgBlock::AddToOwner(TdwgReader& r, TvxDXFEntity* owner) { return false; }

void AddDWGInsertKinds(TdwgKindTable& t) {
  t[7] = Kind("INSERT", Reader<TdwgInsert>, Item<TvxDXFInsert>, cnstInsertRows, cnstInsertHandles);
  t[8] = Kind("MINSERT", Reader<TdwgInsert>, Item<TvxCADMInsert>, cnstInsertRows, cnstInsertHandles, cnstMInsertRows);
  t[34] = Kind("VIEWPORT", Reader<TdwgViewport>, Item<TvxDXFViewport>, cnstViewportRows, cnstViewportHandles);
  // The block record makes the block; the BLOCK entity adds nothing of its own.
  t[4] = Kind("BLOCK", Reader<TdwgBlock>, nullptr, cnstBlockRows);
}

}  // namespace vx
