// Hatches of the corpus DWG files against the same hatches of their DXF twins: the boundary
// edges with their angles, the pattern lines, the gradient, handle by handle.
#include "database/hatches/vxHatches.h"
#include "dwg/dwg_load_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vx;
using namespace vx::test;

namespace {

void ExpectSameEdges(const TvxCADCurvePolygon& a, const TvxCADCurvePolygon& b) {
  ASSERT_EQ(a.BoundaryDataCount(), b.BoundaryDataCount());
  for (int i = 0; i < a.BoundaryDataCount(); ++i) {
    const Tvx2DBoundaryList& x = *a.BoundaryData(i);
    const Tvx2DBoundaryList& y = *b.BoundaryData(i);
    EXPECT_EQ(x.BoundaryType(), y.BoundaryType());
    ASSERT_EQ(x.Count(), y.Count());
    for (int k = 0; k < x.Count(); ++k) {
      ASSERT_EQ(x.Items(k)->EdgeType(), y.Items(k)->EdgeType());
      if (auto* p = dynamic_cast<const Tvx2DArc*>(x.Items(k))) {
        auto* q = dynamic_cast<const Tvx2DArc*>(y.Items(k));
        EXPECT_NEAR(p->FStartParam, q->FStartParam, 1e-6);
        EXPECT_NEAR(p->FEndParam, q->FEndParam, 1e-6);
        EXPECT_NEAR(p->FRadius, q->FRadius, 1e-9);
        EXPECT_EQ(p->CounterClockWise(), q->CounterClockWise());
      }
      if (auto* p = dynamic_cast<const Tvx2DPolyline*>(x.Items(k))) {
        auto* q = dynamic_cast<const Tvx2DPolyline*>(y.Items(k));
        EXPECT_EQ(p->FVertexes.Count(), q->FVertexes.Count());
        EXPECT_EQ(p->Closed(), q->Closed());
      }
    }
  }
}

TEST(DWGHatch, HatchesMatchTheirDXFTwins) {
  const std::pair<const char*, const char*> twins[] = {
      {"same-drawing/sample_AC1015.dwg", "same-drawing/sample_AC1015_ascii.dxf"},
      {"same-drawing/sample_AC1018.dwg", "same-drawing/sample_AC1018_ascii.dxf"},
      {"same-drawing/sample_AC1021.dwg", "same-drawing/sample_AC1021_ascii.dxf"},
      {"same-drawing/sample_AC1024.dwg", "same-drawing/sample_AC1024_ascii.dxf"},
      {"same-drawing/sample_AC1027.dwg", "same-drawing/sample_AC1027_ascii.dxf"},
  };
  int files = 0, compared = 0, patterns = 0, gradients = 0;
  for (const auto& [dwgName, dxfName] : twins) {
    std::vector<uint8_t> bytes = ReadCorpusFile(dwgName);
    if (bytes.empty()) continue;
    ++files;
    SCOPED_TRACE(dwgName);
    TConvPtr dwg = LoadDWGBytes(std::move(bytes));
    TConvPtr dxf = LoadDXFFile(dxfName);
    std::map<uint64_t, TvxCADCurvePolygon*> byHandle;
    TvxDXFBlock* model = dxf->ModelSpaceBlock();
    for (int i = 0; i < model->Count(); ++i)
      if (auto* cp = dynamic_cast<TvxCADCurvePolygon*>(model->GetEntity(i))) byHandle[cp->GetHandle()] = cp;
    TvxDXFBlock* dwgModel = dwg->ModelSpaceBlock();
    for (int i = 0; i < dwgModel->Count(); ++i) {
      auto* a = dynamic_cast<TvxCADCurvePolygon*>(dwgModel->GetEntity(i));
      if (!a) continue;
      auto it = byHandle.find(a->GetHandle());
      ASSERT_NE(it, byHandle.end()) << std::hex << a->GetHandle();
      TvxCADCurvePolygon* b = it->second;
      ASSERT_EQ(a->EntType(), b->EntType());
      ++compared;
      ExpectSameEdges(*a, *b);
      EXPECT_EQ(a->GradientType(), b->GradientType());
      if (a->GradientType() != gtNone) {
        ++gradients;
        EXPECT_NEAR(a->GradientAngle(), b->GradientAngle(), 1e-6);
        EXPECT_EQ(a->GradientUseCenter(), b->GradientUseCenter());
        EXPECT_EQ(a->GradientColorCAD(0).Color, b->GradientColorCAD(0).Color);
        EXPECT_EQ(a->GradientColorCAD(1).Color, b->GradientColorCAD(1).Color);
      }
      auto* ha = dynamic_cast<TvxCADHatch*>(a);
      auto* hb = dynamic_cast<TvxCADHatch*>(b);
      if (!ha || !hb) continue;
      ++patterns;
      EXPECT_EQ(ha->HatchName(), hb->HatchName());
      const TvxCADHatchPatternData& pa = ha->HatchPatternData();
      const TvxCADHatchPatternData& pb = hb->HatchPatternData();
      EXPECT_NEAR(pa.Angle(), pb.Angle(), 1e-6);
      EXPECT_NEAR(pa.Scale(), pb.Scale(), 1e-9);
      ASSERT_EQ(pa.Count(), pb.Count());
      for (int k = 0; k < pa.Count(); ++k) {
        EXPECT_NEAR(pa.Pattern(k).LineAngle, pb.Pattern(k).LineAngle, 1e-6);
        EXPECT_NEAR(pa.Pattern(k).Offset.Y, pb.Pattern(k).Offset.Y, 1e-9);
        EXPECT_EQ(pa.Pattern(k).Lines.Count(), pb.Pattern(k).Lines.Count());
      }
      // The DXF writes its numbers rounded: a pattern line grazing a corner may come and go.
      const int na = ha->ParsedLines().Count(), nb = hb->ParsedLines().Count();
      EXPECT_LE(std::abs(na - nb), std::max(4, nb / 50)) << na << " " << nb;
      EXPECT_GT(na, 0);
    }
  }
  if (!files) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
  EXPECT_GT(compared, 0);
  std::printf("hatches compared: %d (pattern %d, gradient %d)\n", compared, patterns, gradients);
}

}  // namespace
