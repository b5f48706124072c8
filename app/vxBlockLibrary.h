// vxBlockLibrary: TvxBlockLibrary, the editor's store of entities copied as blocks, bound to the
// drawing of a navigator. For now the binding alone (the main window re-binds it at every open
// and close); copying, pasting and the preview come with the block features.
#pragma once

namespace vx {

class TvxCADImage;
class TvxDXFConverter;
class TvxDrawingNavigator;

class TvxBlockLibrary {
 public:
  // Binds to the navigator's graphic and database (nil or no CAD image: none).
  void SetDNavigator(TvxDrawingNavigator* nav);
  TvxDrawingNavigator* DNavigator() const { return FNavigator; }
  TvxCADImage* Image() const { return FImage; }
  TvxDXFConverter* Converter() const { return FConverter; }

 private:
  TvxDrawingNavigator* FNavigator = nullptr;
  TvxCADImage* FImage = nullptr;
  TvxDXFConverter* FConverter = nullptr;
};

}  // namespace vx
