// A drawing to build blocks and references in, as the editor does in code: blocks get their
// children while not loaded, go into BLOCKS and are loaded; references go into model space.
#pragma once

#include "database/core/DXFConv.h"
#include "database/entities/vxEntities.h"
#include "database/blocks/vxInserts.h"
#include "database/blocks/vxXRefs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vx::test {

inline void ExpectPoint(const TFPoint& got, const TFPoint& want, double tol = 1e-9) {
  EXPECT_NEAR(got.X, want.X, tol);
  EXPECT_NEAR(got.Y, want.Y, tol);
  EXPECT_NEAR(got.Z, want.Z, tol);
}

// Builds blocks, layers and references in a converter it does not own.
struct DrawingBuilder {
  TvxDXFConverter* conv;

  TvxDXFLayer* Layer(const std::string& name, int aci = 7, double lw = fLineWeightDefault) {
    TvxDXFLayer* l = conv->LayerByName(name);
    l->SetColorCAD(MakeColorCAD(acIndexColor, static_cast<uint32_t>(aci)));
    l->SetLineWeight(lw);
    return l;
  }

  TvxDXFLine* Line(const TFPoint& a, const TFPoint& b, TvxDXFLayer* layer = nullptr,
                   int aci = 256, double lw = fLineWeightByLayer) {
    auto* line = new TvxDXFLine();
    line->SetPoint(a);
    line->SetPoint1(b);
    line->SetColorCAD(MakeColorCAD(acIndexColor, static_cast<uint32_t>(aci)));
    line->SetLineWeight(lw);
    if (layer) line->SetLayer(layer);
    return line;
  }

  // A new block in BLOCKS, not loaded yet, so it accepts children.
  TvxDXFBlock* Block(const std::string& name) {
    auto* block = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), name);
    EXPECT_NE(block, nullptr);
    return block;
  }

  // Children are handed to the block and loaded, then the block is loaded.
  TvxDXFBlock* BlockWith(const std::string& name, const std::vector<TvxDXFEntity*>& children) {
    TvxDXFBlock* block = Block(name);
    for (TvxDXFEntity* e : children) {
      EXPECT_GE(block->AddEntity(e), 0);
      conv->Loads(e);
    }
    conv->Loads(block);
    return block;
  }

  template <class T = TvxDXFInsert>
  T* Ref(TvxDXFBlock* block, const TFPoint& at = {}, TvxDXFLayer* layer = nullptr, int aci = 256,
         double lw = fLineWeightByLayer) {
    auto* ins = new T();
    ins->SetBlock(block);
    ins->SetPoint(at);
    ins->SetColorCAD(MakeColorCAD(acIndexColor, static_cast<uint32_t>(aci)));
    ins->SetLineWeight(lw);
    if (layer) ins->SetLayer(layer);
    return ins;
  }

  // Into model space, loaded.
  template <class T>
  T* Place(T* e) {
    EXPECT_GE(conv->ModelSpaceBlock()->AddEntity(e), 0);
    conv->Loads(e);
    return e;
  }

  // Walks model space; calls visit(entity, enclosing reference) for everything the walk hands
  // to the procedure, and answers 1 so that references are entered.
  void Walk(const std::function<void(TvxDXFEntity*, TvxDXFInsert*)>& visit) {
    conv->ModelSpaceBlock()->Iterate(conv, nullptr, [&](TvxDXFEntity* e) {
      visit(e, dynamic_cast<TvxDXFInsert*>(conv->Params()->Insert));
      return 1;
    });
  }
};

class InsertsTest : public ::testing::Test {
 protected:
  InsertsTest() : conv(TvxDXFConverter::Create()), b{conv} {
    conv->InitializeSectionsBegin();
    conv->InitializeSectionsEnd(false);
    conv->ModelSpaceBlock();
  }
  ~InsertsTest() override { conv->Release(); }

  TvxDXFConverter* conv;
  DrawingBuilder b;
};

}  // namespace vx::test
