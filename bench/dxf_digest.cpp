// dxf_digest: a fingerprint of everything a DXF load computes, for checking that a change meant to
// make loading faster leaves every result as it was.
//
//   dxf_digest FILE...        one line per file: items, points, and a 64-bit hash of the whole tree
//   dxf_digest -v FILE        one line per item (class, kind, handle, name, flags, box, points)
//
// The walk visits the drawing's tree from its root (sections, tables, blocks, entities and their
// children) once per item, and hashes the exact bits of every box, point, outline point and point
// count, so a difference in the last bit of one coordinate shows.
#include "database/core/DXFConv.h"
#include "database/entities/vxEntCurves.h"
#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSolids.h"
#include "database/entities/vxEntSplines.h"
#include "database/blocks/vxInserts.h"
#include "database/text/vxMText.h"
#include "readers/dxf/vxDXFImport.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

using namespace vx;

namespace {

struct TDigest {
  uint64_t Hash = 1469598103934665603ull;
  uint64_t Items = 0, Points = 0;
  bool Verbose = false;
  std::unordered_set<const TvxDXFEntity*> Seen;

  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) Hash = (Hash ^ b[i]) * 1099511628211ull;
  }
  void Num(double v) { Bytes(&v, sizeof v); }
  void Int(int64_t v) { Bytes(&v, sizeof v); }
  void Str(const std::string& s) {
    Int(static_cast<int64_t>(s.size()));
    Bytes(s.data(), s.size());
  }
  void Point(const TFPoint& p) {
    Num(p.X);
    Num(p.Y);
    Num(p.Z);
  }

  void Name(const TvxDXFEntity* e) { Str(e ? e->GetName() : std::string("-")); }

  // The values the record readers set that the geometry does not show.
  void Fields(TvxDXFEntity* e) {
    Name(e->GetLayer());
    Name(e->GetLineType());
    Num(e->GetLineTypeScale());
    Num(e->GetThickness());
    Point(e->GetExtrusion());
    Str(e->GetHyperLink());
    Str(e->GetDescription());
    Int(e->GetPaperSpace());
    Int(e->GetDictionary() ? static_cast<int64_t>(e->GetDictionary()->GetHandle()) : -1);
    if (auto* v = dynamic_cast<TvxDXFCustomVertex*>(e)) Point(v->GetPoint());
    if (auto* l = dynamic_cast<TvxDXFLine*>(e)) Point(l->GetPoint1());
    if (auto* s = dynamic_cast<TvxDXFSolid*>(e)) {
      Point(s->GetPoint2());
      Point(s->GetPoint3());
    }
    if (auto* r = dynamic_cast<TvxDXFRay*>(e)) {
      Point(r->GetStartPoint());
      Point(r->GetDirection());
    }
    if (auto* c = dynamic_cast<TvxDXFCircle*>(e)) Num(c->GetRadius());
    if (auto* a = dynamic_cast<TvxDXFArc*>(e)) {
      Num(a->GetStartAngle());
      Num(a->GetEndAngle());
    }
    if (auto* el = dynamic_cast<TvxDXFEllipse*>(e)) {
      Point(el->GetRadPt());
      Num(el->GetRatio());
    }
    if (auto* p = dynamic_cast<TvxDXFPolyline*>(e)) {
      Num(p->StartWidth());
      Num(p->EndWidth());
      Num(p->GlobalWidth());
      Int(p->MeshM());
      Int(p->MeshN());
    }
    if (auto* v = dynamic_cast<TvxDXFVertex*>(e)) {
      Point(v->GetPoint());
      Num(v->GetBulge());
      Num(v->GetStartWidth());
      Num(v->GetEndWidth());
    }
    if (auto* s = dynamic_cast<TvxDXFSpline*>(e)) {
      Point(s->BeginningTangent());
      Point(s->EndingTangent());
      Int(s->Degree());
      for (const TFPoint& p : s->Controls()) Point(p);
      for (const TFPoint& p : s->Fit()) Point(p);
      for (float k : s->Knots()) Num(k);
      for (float w : s->Weights()) Num(w);
    }
    if (auto* h = dynamic_cast<TvxCADHelix*>(e)) {
      Point(h->StartPoint());
      Num(h->Radius());
      Num(h->Turns());
      Num(h->TurnHeight());
      Int(h->Clockwise());
    }
    if (auto* t = dynamic_cast<TvxDXFText*>(e)) {
      Str(t->Text());
      Point(t->GetPoint1());
      Num(t->Height());
      Num(t->Scale());
      Num(t->Rotation());
      Num(t->ObliqueAngle());
      Int(t->HAlign());
      Int(t->VAlign());
      Int(t->Generation());
      Num(t->ZThick());
      Name(t->GetStyle());
      Str(t->FontName());
    }
    if (auto* a = dynamic_cast<TvxDXFAttdef*>(e)) {
      Str(a->Tag());
      Str(a->Value());
      Int(a->LockPosition());
    }
    if (auto* i = dynamic_cast<TvxDXFInsert*>(e)) {
      Point(i->Scale());
      Num(i->Angle());
      Name(i->GetBlock());
    }
    if (auto* m = dynamic_cast<TvxCADMInsert*>(e)) {
      Int(m->NumCols());
      Int(m->NumRows());
      Num(m->ColSpacing());
      Num(m->RowSpacing());
    }
    if (auto* m = dynamic_cast<TvxDXFMText*>(e)) {
      Str(m->Text());
      Int(m->Align());
      Num(m->Height());
      Int(m->Hyphenation());
      Num(m->LineSpacingFactor());
      Int(m->LineSpacingStyle());
      Point(m->GetPoint1());
      Num(m->RectWidth());
      Name(m->GetStyle());
    }
    if (auto* v = dynamic_cast<TvxDXFViewport*>(e)) {
      for (double x : {double(v->BackClipPlane), double(v->FrontClipPlane), v->MSpaceHeight,
                       v->PSpaceHeight, v->PSpaceWidth, double(v->ViewTwistAngle)})
        Num(x);
      for (const TFPoint& p : {v->MSpaceCenter, v->PSpaceCenter, v->ViewDirection, v->ViewTarget}) Point(p);
      Int(v->StatusField);
      Int(v->ThisID);
      Int(static_cast<int64_t>(v->ClippingBoundaryHandle()));
      for (int64_t h : v->FrozenLayers()) Int(h);
    }
    if (auto* s = dynamic_cast<TvxDXFStyle*>(e)) {
      Str(s->PrimaryFont);
      Str(s->BigFont);
      Str(s->FontName);
      Int(s->FontStyle);
      for (double x : {s->FixedHeight, s->WidthFactor, s->ObliqueAngle, s->LastHeightUsed}) Num(x);
      Int(s->TextGenFlags);
    }
    if (auto* v = dynamic_cast<TvxDXFVport*>(e)) {
      Int(v->CircleZoomPercent);
      for (double x : {v->ViewAspectRatio, v->ViewHeight, v->ViewTwistAngle}) Num(x);
      for (const TFPoint& p : {v->ViewCenterPoint, v->ViewDirection, v->ViewTarget, v->UCSOrigin,
                               v->UCSXDir, v->UCSYDir})
        Point(p);
      Int(v->UCSVP);
    }
    if (auto* l = dynamic_cast<TvxDXFLayer*>(e)) {
      Int(l->IsPlotting());
      Int(l->GetVisible());
    }
    if (auto* lt = dynamic_cast<TvxDXFLineType*>(e)) {
      for (int k = 0; k < lt->Lines().GetElementsCount(); ++k) {
        const TvxLTypeElement& el = *lt->Lines().GetElement(k);
        for (double x : {el.Dash, el.XOffset, el.YOffset, el.Scale, el.Rotation}) Num(x);
        Int(el.ComplexType);
        Int(el.ShapeNumber);
        Str(el.Text);
        Name(el.Style);
      }
    }
    if (auto* b = dynamic_cast<TvxDXFBlock*>(e)) {
      Point(b->Offset());
      Str(b->XrefPath());
    }
    if (auto* l = dynamic_cast<TvxDXFLayout*>(e)) {
      Point(l->UCSOrigin);
      Point(l->UCSXDir);
      Point(l->UCSYDir);
      Name(l->ExistingPaperSpaceBlock());
      if (const TvxDXFPlotSettings* ps = l->PlotSettings()) {
        const TvxPlotSettingsData& d = ps->Data;
        Str(d.PageSetupName);
        Str(d.PrintOrConfigName);
        Str(d.PaperSize);
        Str(d.PlotViewName);
        Str(d.CurrentStyleSheet);
        Int(d.PlotLayoutFlags);
        for (double x : {d.UnprintableMargin.Left, d.UnprintableMargin.Top, d.UnprintableMargin.Right,
                         d.UnprintableMargin.Bottom, d.PlotPaperSize.X, d.PlotPaperSize.Y,
                         d.PlotOrigin.X, d.PlotOrigin.Y, d.PlotWindowAreaMin.X, d.PlotWindowAreaMin.Y,
                         d.PlotWindowAreaMax.X, d.PlotWindowAreaMax.Y, d.NumeratorOfCustomPrintScale,
                         d.DenominatorOfCustomPrintScale, d.FloatingPointScaleFactor,
                         d.PaperImageOrigin.X, d.PaperImageOrigin.Y})
          Num(x);
        Int(static_cast<int>(d.PlotPaperUnits));
        Int(static_cast<int>(d.PlotRotation));
        Int(static_cast<int>(d.PlotType));
        Int(d.StandardScaleType);
        Int(d.ShadePlotMode);
        Int(d.ShadePlotResolutionLevel);
        Int(d.ShadePlotCustomDPI);
      }
    }
  }

  // The header values the readers keep.
  void Header(const TvxHeadVarStruct& h) {
    Int(h.CodePage);
    Int(h.Version);
    for (const TFPoint& p : {h.ExtMin, h.ExtMax, h.InsBase, h.UCSORG, h.UCSXDir, h.UCSYDir}) Point(p);
    for (double x : {h.LTScale, h.PointDisplaySize, h.TextSize, h.CELTScale, h.CELWeight, h.FilletRadius}) Num(x);
    Int(h.PointDisplayMode);
    Int(h.InsUnits);
    Int(h.Measurement);
    Int(h.TileMode);
    Int(static_cast<int>(h.AttMode));
    Int(h.XClipFrame);
    for (const std::string* s : {&h.CLayer, &h.CELType, &h.DimStyle, &h.DimTextStyle, &h.TextStyle}) Str(*s);
  }

  void Walk(TvxDXFEntity* e, int depth) {
    if (!e || depth > 64 || !Seen.insert(e).second) return;
    ++Items;
    Str(e->ClassName());
    Int(static_cast<int>(e->EntType()));
    Int(static_cast<int64_t>(e->GetHandle()));
    Str(e->GetName());
    Int(e->GetFlags());
    const TFRect box = e->GetBox();
    for (double v : {box.Left, box.Top, box.Z1, box.Right, box.Bottom, box.Z2}) Num(v);
    const TvxColorCAD c = e->GetColorCAD();
    Int(static_cast<int>(c.Active));
    Int(c.Color);
    Num(e->GetLineWeight());
    Int(e->GetVisibility());
    uint64_t points = 0;
    if (auto* poly = dynamic_cast<TvxCADBasePolyline*>(e)) {
      for (const TFPoint& p : poly->PolyPoints()) Point(p);
      points += static_cast<uint64_t>(poly->PointCount());
    }
    if (auto* pl = dynamic_cast<TvxDXFPolyline*>(e)) {
      for (int n : pl->PointsCounts()) Int(n);
      if (const TFPointList* a = pl->Arrows()) {
        for (const TFPoint& p : *a) Point(p);
        points += static_cast<uint64_t>(a->Count());
      }
      if (const TvxIntegerList* f = pl->PolyFaceVertexIndexes())
        for (int n : *f) Int(n);
      Int(pl->PolyLineEntitiesCount());
    }
    Points += points;
    Fields(e);
    if (Verbose)
      std::printf("%*s%s kind=%d h=%llx name=%s flags=%d box=[%.17g %.17g %.17g %.17g] pts=%llu "
                  "hash=%016llx\n",
                  depth, "", e->ClassName(), static_cast<int>(e->EntType()),
                  static_cast<unsigned long long>(e->GetHandle()), e->GetName().c_str(),
                  e->GetFlags(), box.Left, box.Bottom, box.Right, box.Top,
                  static_cast<unsigned long long>(points), static_cast<unsigned long long>(Hash));
    const int n = e->Count();
    for (int i = 0; i < n; ++i) Walk(e->GetEntity(i), depth + 1);
  }
};

}  // namespace

int main(int argc, char** argv) {
  bool verbose = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-v") == 0) verbose = true;
    else files.emplace_back(argv[i]);
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: dxf_digest [-v] FILE...\n");
    return 2;
  }
  int status = 0;
  for (const std::string& f : files) {
    TvxDXFLoader image;
    std::string error;
    try {
      image.LoadFromFile(f);
    } catch (const std::exception& e) {
      error = e.what();
      status = 1;
    }
    TDigest d;
    d.Verbose = verbose;
    d.Walk(image.Converter()->Main(), 0);
    for (int i = 0; i < image.Converter()->LayoutsCount(); ++i)
      d.Walk(image.Converter()->Layouts(i), 0);
    const TFRect ext = image.Converter()->Extents();
    for (double v : {ext.Left, ext.Top, ext.Z1, ext.Right, ext.Bottom, ext.Z2}) d.Num(v);
    d.Header(image.Converter()->HeadVarStruct());
    d.Str(error);
    std::printf("%s items=%llu points=%llu hash=%016llx%s%s\n", f.c_str(),
                static_cast<unsigned long long>(d.Items), static_cast<unsigned long long>(d.Points),
                static_cast<unsigned long long>(d.Hash), error.empty() ? "" : " error=",
                error.c_str());
  }
  return status;
}
