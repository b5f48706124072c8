// vxBlockLibrary: TvxBlockLibrary, the editor's store of entities copied as blocks. CopyAsBlock
// copies entities into a new block that is not part of the drawing yet; PasteAsBlock gives such
// a block to the drawing and places a reference to it. The library is bound to the drawing of a
// navigator (the main window re-binds it at every open and close).
//
// Copies keep the links of their sources (layers, line types, styles, the blocks of references),
// so they must never outlive the drawing they came from: while copies wait, the library holds
// a reference on that drawing's database, and binding the library to another drawing frees the
// copies before letting the old database go.
//
// New blocks are named "$" and eight upper-case hexadecimal digits of a counter; a name already
// used by a block of the drawing or by a waiting copy is skipped.
#pragma once

#include "foundation/vxConsts.h"

#include <string>
#include <vector>

namespace vx {

class TvxCADImage;
class TvxDXFBlock;
class TvxDXFConverter;
class TvxDXFEntity;
class TvxDXFInsert;
class TvxDrawingNavigator;

class TvxBlockLibrary {
 public:
  TvxBlockLibrary() = default;
  // Frees the blocks still waiting.
  ~TvxBlockLibrary();
  TvxBlockLibrary(const TvxBlockLibrary&) = delete;
  TvxBlockLibrary& operator=(const TvxBlockLibrary&) = delete;

  // Binds to the navigator's graphic and database (nil or no CAD image: none). Another database
  // than the one the waiting copies came from frees them.
  void SetDNavigator(TvxDrawingNavigator* nav);
  TvxDrawingNavigator* DNavigator() const { return FNavigator; }
  TvxCADImage* Image() const { return FImage; }
  TvxDXFConverter* Converter() const { return FConverter; }

  // A new block holding copies of the entities, in order, appended to the waiting blocks; nil
  // (and nothing kept) when no drawing is bound or the list is empty.
  TvxDXFBlock* CopyAsBlock(const std::vector<TvxDXFEntity*>& entities);
  // Gives waiting block number index to the drawing (its entities, the block, then a new
  // reference at (x, y, 0) in the entity section), recomputes the extents and redraws with the
// drawing where it was on the screen. Nil when
  // the index is out of range, the point is not finite or no drawing is bound.
  TvxDXFInsert* PasteAsBlock(int index, double x, double y);
  // Frees every waiting block.
  void Clear();

  int Count() const { return static_cast<int>(FBlockList.size()); }
  TvxDXFBlock* Blocks(int index) const;
  std::vector<std::string> BlockNames() const;

 private:
  std::string NewBlockName();
  void KeepView(const TFMatrix& view);
  bool NameTaken(const std::string& name) const;

  TvxDrawingNavigator* FNavigator = nullptr;
  TvxCADImage* FImage = nullptr;
  TvxDXFConverter* FConverter = nullptr;
  std::vector<TvxDXFBlock*> FBlockList;     // owned until pasted
  TvxDXFConverter* FSource = nullptr;       // one counted reference while blocks wait
  unsigned FCounter = 0;
};

}  // namespace vx
