// The paper-space records: viewports, layouts and the objects section that holds the layouts.
#include "readers/dxf/vxDXFRecordsObjects.h"

#include "database/core/vxNames.h"
#include "database/layouts/vxViewports.h"

#include <algorithm>
#include <cmath>

namespace vx {

// ---- "VIEWPORT" -----------------------------------------------------------------------------

TdxfViewport::TdxfViewport() {
  FInts[8] = 1;  // 68 status
  FInts[9] = 1;  // 69 ID
  FPoints[6] = cnstExtrusion;  // 16/26/36 view direction
}

void TdxfViewport::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  switch (t.Code()) {
    case 90: FStatusFlags = t.IntValue(); return;
    case 331:
    case 341:
      if (FFrozen.size() < 65536) FFrozen.push_back(t.HandleValue());
      return;
    case 340: FBoundary = t.HandleValue(); return;
    default:
      if (t.Code() >= 1000) ReadMView(r);
      else TdxfEntity::ReadProperty(r);
      return;
  }
}

void TdxfViewport::ReadMView(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  TMView& m = FMView;
  const int code = t.Code();
  if (code == 1001) {
    m.Stage = SameName(DXFTrim(t.Value()), "ACAD") ? 1 : 0;
    return;
  }
  if (m.Stage == 0) return;
  if (m.Stage == 1) {
    if (code == 1000 && SameName(DXFTrim(t.Value()), "MVIEW")) m.Stage = 2;
    return;
  }
  switch (code) {
    case 1002: m.Depth += DXFTrim(t.Value()) == "{" ? 1 : -1; return;
    case 1003:
      if (m.Depth >= 2 && m.FrozenNames.size() < 65536) m.FrozenNames.push_back(DXFTrim(t.Value()));
      return;
    case 1010: case 1020: case 1030: {
      // The first point is the view target, the second the view direction.
      if (code == 1010) ++m.Points;
      TFPoint* p = m.Points == 1 ? &m.Target : (m.Points == 2 ? &m.Direction : nullptr);
      if (!p) return;
      const double v = t.FloatValue();
      (code == 1010 ? p->X : code == 1020 ? p->Y : p->Z) = v;
      return;
    }
    case 1040: {
      const double v = t.FloatValue();
      double* slots[] = {&m.Twist, &m.Height, &m.CenterX, &m.CenterY, nullptr, &m.Front, &m.Back};
      if (m.Reals < 7 && slots[m.Reals]) *slots[m.Reals] = v;
      ++m.Reals;
      return;
    }
    default: return;
  }
}

void TdxfViewport::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* vp = dynamic_cast<TvxDXFViewport*>(FEnt);
  if (!vp) return;
  vp->PSpaceCenter = FPoints[0];
  vp->MSpaceCenter = FPoints[2];
  vp->ViewDirection = FPoints[6];
  vp->ViewTarget = FPoints[7];
  auto finite = [](double v, double dflt) { return std::isfinite(v) ? v : dflt; };
  vp->PSpaceWidth = std::fabs(finite(FFloats[0], 0));
  vp->PSpaceHeight = std::fabs(finite(FFloats[1], 0));
  vp->FrontClipPlane = static_cast<float>(finite(FFloats[3], 0));
  vp->BackClipPlane = static_cast<float>(finite(FFloats[4], 0));
  vp->MSpaceHeight = finite(FFloats[5], 0);
  vp->ViewTwistAngle = static_cast<float>(finite(FFloats[11], 0));
  // Older files: the model-space view only in the extended data.
  if (FMView.Stage == 2 && FFloats[5] == 0) {
    auto finiteOr = [](double v, double d) { return std::isfinite(v) ? v : d; };
    vp->ViewTarget = FMView.Target;
    if (FMView.Direction.X != 0 || FMView.Direction.Y != 0 || FMView.Direction.Z != 0)
      vp->ViewDirection = FMView.Direction;
    vp->ViewTwistAngle = static_cast<float>(finiteOr(FMView.Twist, 0));
    vp->MSpaceHeight = finiteOr(FMView.Height, 0);
    vp->MSpaceCenter = {finiteOr(FMView.CenterX, 0), finiteOr(FMView.CenterY, 0), 0};
    vp->FrontClipPlane = static_cast<float>(finiteOr(FMView.Front, 0));
    vp->BackClipPlane = static_cast<float>(finiteOr(FMView.Back, 0));
    for (const std::string& name : FMView.FrozenNames)
      if (auto* layer = dynamic_cast<TvxDXFLayer*>(r.Conv->FindOrCreateItem(name, csLayers, false)); layer && layer->GetHandle())
        vp->FrozenLayers().Add(static_cast<int64_t>(layer->GetHandle()));
  }
  vp->StatusField = FInts[8];
  vp->ThisID = FInts[9];
  // Only the status bits the viewport acts on: the other bits of code 90 (fast zoom, grid, ...)
  // share values with the entity's own flags, whose 0x80 hides an entity.
  const int mine = FStatusFlags & (cnstViewportNonRectClip | cnstViewportOff);
  vp->SetFlags((vp->GetFlags() & ~(cnstViewportNonRectClip | cnstViewportOff)) | mine);
  for (uint64_t h : FFrozen)
    if (h != 0) vp->FrozenLayers().Add(static_cast<int64_t>(h));
  if (FBoundary != 0 && (FStatusFlags & cnstViewportNonRectClip) != 0)
    vp->SetClippingBoundaryHandle(FBoundary);
}

// ---- "LAYOUT" -------------------------------------------------------------------------------

void TdxfLayout::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  const int code = t.Code();
  if (code == 100) {
    const std::string marker = DXFTrim(t.Value());
    if (SameName(marker, "AcDbPlotSettings")) FInPlotSettings = true;
    else if (SameName(marker, "AcDbLayout")) FInPlotSettings = false;
    return;
  }
  if (code >= 140 && code <= 149) {
    FMore[static_cast<size_t>(code - 140)] = t.FloatValue();
    return;
  }
  if (FInPlotSettings) {
    switch (code) {
      case 1: FPlot.PageSetupName = t.UValue(); return;
      case 2: FPlot.PrintOrConfigName = t.UValue(); return;
      case 4: FPlot.PaperSize = t.UValue(); return;
      case 6: FPlot.PlotViewName = t.UValue(); return;
      case 7: FPlot.CurrentStyleSheet = t.UValue(); return;
      case 70: FPlot.PlotLayoutFlags = static_cast<uint16_t>(t.IntValue()); return;
      default: break;
    }
  } else if (code == 71) {
    FTabOrder = t.IntValue();
    return;
  } else if (code == 330) {
    // The layout's own part names its block record with the last 330.
    if (!FReactorsRead) FSoftOwnerRecord = t.HandleValue();
  }
  TdxfEntity::ReadProperty(r);
}

void TdxfLayout::Commit(TdxfLoader& r) {
  TdxfObject::Commit(r);
  auto* layout = dynamic_cast<TvxDXFLayout*>(FEnt);
  if (!layout) return;
  const std::string name = DXFTrim(FTexts[1]);
  if (!name.empty()) layout->SetName(name);
  auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
  TvxPlotSettingsData& d = FPlot;
  d.UnprintableMargin = {finite(FFloats[0]), finite(FFloats[1]), finite(FFloats[2]), finite(FFloats[3])};
  d.PlotPaperSize = {finite(FFloats[4]), finite(FFloats[5])};
  d.PlotOrigin = {finite(FFloats[6]), finite(FFloats[7])};
  d.PlotWindowAreaMin = {finite(FFloats[8]), finite(FFloats[9])};
  d.PlotWindowAreaMax = {finite(FMore[0]), finite(FMore[1])};
  if (FMore[2] != 0) d.NumeratorOfCustomPrintScale = finite(FMore[2]);
  if (FMore[3] != 0) d.DenominatorOfCustomPrintScale = finite(FMore[3]);
  if (FMore[7] != 0) d.FloatingPointScaleFactor = finite(FMore[7]);
  d.PaperImageOrigin = {finite(FMore[8]), finite(FMore[9])};
  const int units = FInts[12];
  d.PlotPaperUnits = units >= 0 && units <= 2 ? static_cast<TvxPlotPaperUnits>(units) : ppuMM;
  const int rotation = FInts[13];
  d.PlotRotation = rotation >= 0 && rotation <= 3 ? static_cast<TvxPlotRotation>(rotation) : prNoRotation;
  const int type = FInts[14];
  d.PlotType = type >= 0 && type <= 5 ? static_cast<TvxPlotType>(type) : ptLayoutInformation;
  d.StandardScaleType = static_cast<uint8_t>(std::clamp(FInts[15], 0, 255));
  d.ShadePlotMode = FInts[16];
  d.ShadePlotResolutionLevel = FInts[17];
  if (FInts[18] > 0) d.ShadePlotCustomDPI = FInts[18];
  TvxDXFPlotSettings settings;
  settings.Data = d;
  layout->SetPlotSettings(&settings);
  layout->UCSOrigin = FPoints[3];
  if (FPoints[6].X != 0 || FPoints[6].Y != 0 || FPoints[6].Z != 0) layout->UCSXDir = FPoints[6];
  if (FPoints[7].X != 0 || FPoints[7].Y != 0 || FPoints[7].Z != 0) layout->UCSYDir = FPoints[7];
}

// ---- the objects section --------------------------------------------------------------------

TdxfObjectsSection::~TdxfObjectsSection() {
  for (TPending& p : FLayouts)
    if (p.Layout) p.Layout->Free();
}

namespace {

// "WIPEOUTVARIABLES": 70 is 1 when wipeout frames are shown.
class TdxfWipeoutVars : public TdxfEntity {
 public:
  void Commit(TdxfLoader& r) override { r.Conv->SetHideWipeouts(FInts[10] != 1); }
};

}  // namespace

TdxfObject* TdxfObjectsSection::NewChild(TdxfLoader& r, const std::string& name) {
  if (SameName(name, "WIPEOUTVARIABLES")) return new TdxfWipeoutVars();
  if (SameName(name, "LAYOUT")) {
    if (const TdxfRecordRow* row = FindDXFRecord(name); row && row->Item) {
      TdxfObject* reader = row->Reader();
      reader->FEnt = row->Item();
      return reader;
    }
  }
  return TdxfObjects::NewChild(r, name);
}

bool TdxfObjectsSection::AddChild(TdxfLoader& r, TdxfObject* child) {
  auto* reader = dynamic_cast<TdxfLayout*>(child);
  auto* layout = reader ? dynamic_cast<TvxDXFLayout*>(child->FEnt) : nullptr;
  if (!layout) return false;
  FLayouts.push_back({layout, reader->BlockRecordHandle(), reader->TabOrder()});
  child->ExtractEnt();
  return true;
}

void TdxfObjectsSection::ReadChildren(TdxfLoader& r) {
  TdxfObjects::ReadChildren(r);
  // Bind each layout to its block; a layout whose block is unknown, or taken by an earlier
  // layout, describes nothing that exists and is dropped.
  std::vector<TPending> bound;
  r.EnsurePapers();
  for (TPending& p : FLayouts) {
    TvxDXFBlockRecord* rec = r.HBlockRecords(p.Record);
    TvxDXFBlock* block = rec ? rec->Block() : nullptr;
    // Only a space block holds a layout's entities.
    if (std::find(r.Papers.begin(), r.Papers.end(), block) == r.Papers.end()) block = nullptr;
    const bool taken = std::any_of(bound.begin(), bound.end(), [block](const TPending& b) {
      return b.Layout->ExistingPaperSpaceBlock() == block;
    });
    if (!block || taken) {
      p.Layout->Free();
    } else {
      p.Layout->SetPaperSpaceBlock(block);
      bound.push_back(p);
    }
    p.Layout = nullptr;
  }
  FLayouts.clear();
  TvxDXFBlock* model = r.Papers.empty() ? nullptr : r.Papers[0];
  std::stable_sort(bound.begin(), bound.end(), [model](const TPending& a, const TPending& b) {
    const bool am = a.Layout->ExistingPaperSpaceBlock() == model;
    const bool bm = b.Layout->ExistingPaperSpaceBlock() == model;
    if (am != bm) return am;
    return a.TabOrder < b.TabOrder;
  });
  if (bound.empty()) return;
  // The file describes its layouts: the drawing's default ones (not bound to a block yet) give
  // way to them.
  if (TvxDXFTable* table = r.Conv->LayoutsDictionary()) {
    for (int i = table->Count() - 1; i >= 0; --i) {
      auto* l = dynamic_cast<TvxDXFLayout*>(table->GetEntity(i));
      if (l && !l->ExistingPaperSpaceBlock()) {
        table->ExtractEntity(i);
        l->Free();
      }
    }
  }
  for (TPending& p : bound)
    if (r.Conv->AddLayout(p.Layout) < 0) p.Layout->Free();
}

// ---- after reading --------------------------------------------------------------------------

namespace {

int IndexOfLayoutWithBlock(TvxDXFConverter* conv, const TvxDXFBlock* block) {
  for (int i = 0; i < conv->LayoutsCount(); ++i)
    if (TvxDXFLayout* l = conv->Layouts(i); l && l->ExistingPaperSpaceBlock() == block) return i;
  return -1;
}

}  // namespace

void DXFArrangeLayouts(TdxfLoader& r) {
  TvxDXFConverter* conv = r.Conv;
  r.EnsurePapers();
  if (r.Papers.size() < 2) return;
  // Model space and the first paper space each get a layout: the one bound to them, else the
  // first layout bound to nothing, else a new one.
  auto bind = [conv](TvxDXFBlock* block, const char* newName) -> int {
    int i = IndexOfLayoutWithBlock(conv, block);
    if (i >= 0) return i;
    i = IndexOfLayoutWithBlock(conv, nullptr);
    TvxDXFLayout* layout = i >= 0 ? conv->Layouts(i) : nullptr;
    if (!layout) {
      layout = new TvxDXFLayout();
      layout->SetName(newName);
      i = conv->AddLayout(layout);
      if (i < 0) {
        layout->Free();
        return -1;
      }
    }
    layout->SetPaperSpaceBlock(block);
    return i;
  };
  const int model = bind(r.Papers[0], "Model");
  if (model > 0) {
    if (TvxDXFTable* layouts = conv->LayoutsDictionary()) {
      if (TvxDXFEntity* e = layouts->ExtractEntity(model)) layouts->InsertEntity(0, e);
    }
  }
  bind(r.Papers[1], "Layout1");
}

}  // namespace vx
