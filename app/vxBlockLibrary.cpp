// The block library's binding.
#include "app/vxBlockLibrary.h"

#include "viewer/vxDrawingNavigator.h"

namespace vx {

void TvxBlockLibrary::SetDNavigator(TvxDrawingNavigator* nav) {
  FNavigator = nav;
  FImage = nav ? nav->Image() : nullptr;
  FConverter = FImage ? FImage->Converter() : nullptr;
}

}  // namespace vx
