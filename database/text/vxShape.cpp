// Shapes.
#include "database/text/vxShape.h"

#include <cmath>

namespace vx {

double TvxDXFShape::EstimatedWidth() const {
  const double h = std::isfinite(FHeight) ? std::fabs(FHeight) : 0;
  const double wf = std::isfinite(Scale()) && Scale() > 0 ? Scale() : 1;
  return h * wf;
}

void TvxDXFShape::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFText::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFShape*>(source)) {
    FShapeName = src->FShapeName;
    FShapeNumber = src->FShapeNumber;
  }
}

}  // namespace vx
