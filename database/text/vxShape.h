// vxShape: a shape (TvxDXFShape), one glyph of the SHX shape file of its style, named or
// numbered, placed like a single-line text whose height is the shape's size.
#pragma once

#include "database/text/vxText.h"

#include <cstdint>
#include <string>

namespace vx {

class TvxDXFShape : public TvxDXFText {
  VX_ENTITY_CLASS(TvxDXFShape)
 public:
  TvxCADEntities EntType() const override { return ceShape; }

  const std::string& ShapeName() const { return FShapeName; }
  void SetShapeName(const std::string& n) { FShapeName = n; }
  int16_t ShapeNumber() const { return FShapeNumber; }
  void SetShapeNumber(int16_t n) { FShapeNumber = n; }
  // The shape's size (its height).
  double Size() const { return Height(); }
  void SetSize(double s) { SetHeight(s); }

  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  // One glyph: a cell as wide as it is high, times the width factor.
  double EstimatedWidth() const override;
  // A shape has no text: it shows when it names a glyph.
  bool HasContent() const override { return !FShapeName.empty() || FShapeNumber != 0; }
  // The glyph of the shape's number (or name) in the SHX shape file of its style; false when
  // there is no such file or shape.
  bool LayoutGlyphs(TvxTextLayout& out) override;

  std::string FShapeName;
  int16_t FShapeNumber = 0;
};

}  // namespace vx
