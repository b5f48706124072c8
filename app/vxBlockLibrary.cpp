// TvxBlockLibrary: binding, copying entities into waiting blocks, and pasting a waiting block as
// a block reference.
#include "app/vxBlockLibrary.h"

#include "database/blocks/vxBlocks.h"
#include "database/blocks/vxInserts.h"
#include "database/core/vxNames.h"
#include "viewer/vxDrawingNavigator.h"

#include <cmath>
#include <cstdio>

namespace vx {

TvxBlockLibrary::~TvxBlockLibrary() { Clear(); }

void TvxBlockLibrary::SetDNavigator(TvxDrawingNavigator* nav) {
  FNavigator = nav;
  FImage = nav ? nav->Image() : nullptr;
  FConverter = FImage ? FImage->Converter() : nullptr;
  // copies of another drawing would paste links into a database they do not belong to
  if (FSource && FSource != FConverter) Clear();
}

void TvxBlockLibrary::Clear() {
  for (TvxDXFBlock* b : FBlockList) b->Free();
  FBlockList.clear();
  if (TvxDXFConverter* source = FSource) {
    FSource = nullptr;
    source->Release();  // the last reference frees the drawing now, after its copies
  }
}

TvxDXFBlock* TvxBlockLibrary::Blocks(int index) const {
  return index >= 0 && index < Count() ? FBlockList[static_cast<size_t>(index)] : nullptr;
}

std::vector<std::string> TvxBlockLibrary::BlockNames() const {
  std::vector<std::string> out;
  for (const TvxDXFBlock* b : FBlockList) out.push_back(b->GetName());
  return out;
}

bool TvxBlockLibrary::NameTaken(const std::string& name) const {
  if (FConverter && FConverter->BlockByName(name)) return true;
  for (const TvxDXFBlock* b : FBlockList)
    if (SameName(b->GetName(), name)) return true;
  return false;
}

std::string TvxBlockLibrary::NewBlockName() {
  char name[16];
  // at most 2^32 tries; each try moves the counter on, so names are never reused
  for (uint64_t tries = 0; tries <= 0xFFFFFFFFull; ++tries) {
    std::snprintf(name, sizeof name, "$%08X", ++FCounter);
    if (!NameTaken(name)) return name;
  }
  return {};
}

TvxDXFBlock* TvxBlockLibrary::CopyAsBlock(const std::vector<TvxDXFEntity*>& entities) {
  if (!FConverter || entities.empty()) return nullptr;
  const std::string name = NewBlockName();
  if (name.empty()) return nullptr;
  auto* block = new TvxDXFBlock();
  block->SetName(name);
  for (const TvxDXFEntity* e : entities) {
    if (!e) continue;
    TvxDXFEntity* copy = e->Clone();
    if (block->AddEntity(copy) < 0) copy->Free();
  }
  if (!FSource) {
    FSource = FConverter;
    FSource->Reference();
  }
  FBlockList.push_back(block);
  return block;
}

// The image fits its extents into the navigator's picture rectangle: extents that grew would
// shrink the whole drawing on the screen. The rectangle grows with them instead, so that the
// drawing stays where it was (what lies beyond is reached by scrolling).
void TvxBlockLibrary::KeepView(const TFMatrix& view) {
  if (!FNavigator || FNavigator->Image() != FImage || !FImage) return;
  const double scale = std::hypot(view.M[0][0], view.M[0][1], view.M[0][2]);
  const TFRect ext = FImage->GetDrawingExtents();
  const double w = scale * (ext.Right - ext.Left), h = scale * (ext.Top - ext.Bottom);
  const TFPoint c = TransformPoint(FImage->Offset(), view);
  if (!std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0 || !std::isfinite(c.X) || !std::isfinite(c.Y)) return;
  FNavigator->SetPictureRect2D({c.X - w / 2, c.Y - h / 2, c.X + w / 2, c.Y + h / 2});
}

TvxDXFInsert* TvxBlockLibrary::PasteAsBlock(int index, double x, double y) {
  // the list may have changed since the index was chosen
  TvxDXFBlock* block = Blocks(index);
  if (!block || !FConverter || FSource != FConverter || !std::isfinite(x) || !std::isfinite(y))
    return nullptr;
  TvxDXFEntity* blocks = FConverter->BlocksSection();
  TvxDXFEntity* entities = FConverter->Sections(csEntities);
  if (!blocks || !entities) return nullptr;
  // the database owns the block from here on
  FBlockList.erase(FBlockList.begin() + index);
  for (int i = 0; i < block->Count(); ++i)
    if (TvxDXFEntity* e = block->GetEntity(i)) {
      if (FConverter->OnCreate) FConverter->OnCreate(e);
      FConverter->Loads(e);
    }
  if (FConverter->OnCreate) FConverter->OnCreate(block);
  FConverter->RegisterHandle(block);
  if (blocks->AddEntity(block) < 0) {
    block->Free();
    return nullptr;
  }
  FConverter->Loads(block);

  auto* insert = new TvxDXFInsert();
  if (FConverter->OnCreate) FConverter->OnCreate(insert);
  insert->SetConverter(FConverter);
  FConverter->RegisterHandle(insert);
  insert->SetLayer(FConverter->LayerByName(FConverter->HeadVarStruct().CLayer));
  insert->SetBlock(block);
  insert->SetPoint({x, y, 0});
  if (entities->AddEntity(insert) < 0) {
    insert->Free();
    return nullptr;
  }
  FConverter->Loads(insert);
  if (FImage) {
    const TFMatrix view = FImage->DrawMatrix();
    FImage->GetExtents();
    KeepView(view);
  }
  if (FBlockList.empty()) {
    TvxDXFConverter* source = FSource;
    FSource = nullptr;
    source->Release();  // the bound image holds its own reference
  }
  if (FNavigator) FNavigator->RepaintPicture();
  return insert;
}

}  // namespace vx
