// libFuzzer target for hatch loading: the bytes build a hatch of boundaries, edges of every kind
// and pattern lines, with small or raw (non-finite, huge) numbers; loading it must end with an
// even list of segments inside the box, within the limits, never a crash or a hang.
#include "database/core/DXFConv.h"
#include "database/hatches/vxHatches.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Reads never leave the input; past its end every value is 0.
struct Cursor {
  const uint8_t* P;
  size_t N;
  uint8_t Byte() {
    if (!N) return 0;
    --N;
    return *P++;
  }
  // Mostly small coordinates, sometimes any double at all.
  double Real() {
    const uint8_t mode = Byte();
    if ((mode & 7) == 7 && N >= 8) {
      double d;
      std::memcpy(&d, P, 8);
      P += 8;
      N -= 8;
      return d;
    }
    const int16_t v = static_cast<int16_t>(Byte() | Byte() << 8);
    return v / 64.0;
  }
  vx::TF2DPoint Point() { return {Real(), Real()}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vx;
  static TvxDXFConverter* conv = [] {
    TvxDXFConverter* c = TvxDXFConverter::Create();
    c->InitializeSectionsBegin();
    c->InitializeSectionsEnd(false);
    return c;
  }();
  Cursor in{data, size};
  TvxEntityPtr<TvxCADHatch> h(new TvxCADHatch());
  TvxHatchLimits limits;
  limits.MemoryBytes = 1 << 22;
  limits.Points = 1 << 16;
  limits.TimeMs = 5000;
  h->SetLimits(limits);
  Tvx2DBoundaryList* list = nullptr;
  for (int ops = 0; in.N && ops < 256; ++ops) {
    const uint8_t op = in.Byte();
    if (!list || op % 9 == 0) {
      list = h->AddBoundaryList();
      list->SetBoundaryType(in.Byte());
      continue;
    }
    switch (op % 9) {
      case 1: {
        auto* e = list->AddEdge<Tvx2DLine>();
        e->FStartPoint = in.Point();
        e->FEndPoint = in.Point();
        break;
      }
      case 2:
      case 3: {
        Tvx2DArc* a = op % 9 == 2 ? list->AddEdge<Tvx2DArc>() : list->AddEdge<Tvx2DEllipse>();
        a->FCenterPoint = in.Point();
        a->FRadius = in.Real();
        a->FStartParam = in.Real() * 8;
        a->FEndParam = in.Real() * 8;
        a->FFlag = in.Byte();
        if (auto* e = dynamic_cast<Tvx2DEllipse*>(a)) {
          e->FMajorPoint = in.Point();
          e->IsAngleInParam = a->FFlag & 2;
        }
        break;
      }
      case 4: {
        auto* p = list->AddEdge<Tvx2DPolyline>();
        for (int i = 0, n = in.Byte() % 64; i < n; ++i) p->FVertexes.Append(in.Point());
        for (int i = 0, n = in.Byte() % 64; i < n; ++i) p->FBulges.Append(in.Real() / 64);
        p->FProps = in.Byte();
        break;
      }
      case 5: {
        auto* s = list->AddEdge<Tvx2DSpline>();
        s->Degree = in.Byte() % 12;
        for (int i = 0, n = in.Byte() % 32; i < n; ++i) s->FControls.Append(in.Point());
        for (int i = 0, n = in.Byte() % 48; i < n; ++i) s->FKnots.Append(in.Real());
        for (int i = 0, n = in.Byte() % 32; i < n; ++i) s->FWeights.Append(in.Real());
        for (int i = 0, n = in.Byte() % 16; i < n; ++i) s->FFitPoints.Append(in.Point());
        s->Rational = in.Byte() & 1;
        break;
      }
      case 6: {
        TvxHatchPatternData& p = h->HatchPatternData().AddPattern();
        p.LineAngle = in.Real() * 8;
        p.BaseP = {in.Real(), in.Real(), 0};
        p.Offset = {in.Real() / 16, in.Real() / 16, 0};
        for (int i = 0, n = in.Byte() % 16; i < n; ++i) p.Lines.Append(in.Real() / 16);
        p.IsDash = p.Lines.Count() > 0;
        break;
      }
      case 7: h->SetExtrusion({in.Real(), in.Real(), in.Real()}); break;
      default: h->SetIslandStyle(static_cast<TvxIslandStyle>(in.Byte() % 3)); break;
    }
  }
  h->LoadData(conv);
  const TFPointList& lines = h->ParsedLines();
  if (lines.Count() % 2) __builtin_trap();
  if (lines.Count() > limits.Points) __builtin_trap();
  const TFRect b = h->LoopBox();
  for (const TFPoint& p : lines) {
    const double tol = 1e-6 * (1 + std::fabs(b.Left) + std::fabs(b.Right) + std::fabs(b.Top) +
                               std::fabs(b.Bottom));
    if (!(p.X >= b.Left - tol && p.X <= b.Right + tol && p.Y >= b.Bottom - tol && p.Y <= b.Top + tol))
      __builtin_trap();
  }
  (void)h->GetBox();
  return 0;
}
