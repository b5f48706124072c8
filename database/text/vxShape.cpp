// Shapes.
#include "database/text/vxShape.h"

#include <cmath>

namespace vx {

double TvxDXFShape::EstimatedWidth() const {
  const double h = std::isfinite(FHeight) ? std::fabs(FHeight) : 0;
  const double wf = std::isfinite(Scale()) && Scale() > 0 ? Scale() : 1;
  return h * wf;
}

bool TvxDXFShape::LayoutGlyphs(TvxTextLayout& out) {
  TvxFontProvider* p = FontProvider();
  if (!p) return false;
  TvxFontRequest r;
  r.Kind = fkShapes;
  r.Name = FontName();
  r.DrawingFolder = DrawingFolder();
  TvxFontFace* face = r.Name.empty() ? nullptr : p->FindFace(r);
  if (!face || face->Kind() == fkTrueType) return false;
  const int number = FShapeNumber > 0 ? FShapeNumber : face->ShapeNumber(FShapeName);
  if (number <= 0) return false;
  const TvxGlyph* g = face->GlyphByCode(static_cast<uint32_t>(number));
  if (!g) return false;
  out.Clear();
  out.Generation = FontProviderGeneration();
  out.Face = face;
  out.CapHeight = face->Above() > 0 && std::isfinite(face->Above()) ? face->Above() : 1;
  out.Advance = g->AdvanceX;
  if (!g->Counts.empty()) {
    out.Glyphs.push_back({g, 0, 0});
    out.HasBox = true;
    out.Left = g->Left, out.Right = g->Right, out.Bottom = g->Bottom, out.Top = g->Top;
  }
  return true;
}

void TvxDXFShape::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFText::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFShape*>(source)) {
    FShapeName = src->FShapeName;
    FShapeNumber = src->FShapeNumber;
  }
}

}  // namespace vx
