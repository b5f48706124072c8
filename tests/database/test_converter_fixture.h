// Shared pieces of the drawing-database core tests: a converter holder, small test entities
// with a box of their own, and a tree walk.
#pragma once

#include "database/core/DXFConv.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace vx::test {

struct ConvRelease {
  void operator()(TvxDXFConverter* c) const {
    if (c) c->Release();
  }
};
using ConvPtr = std::unique_ptr<TvxDXFConverter, ConvRelease>;

inline ConvPtr NewConv(bool checkHandles = false) {
  TvxConverterParams p;
  p.CheckHandles = checkHandles;
  return ConvPtr(TvxDXFConverter::CreateEx(p));
}

// A converter with its default tables, as a drawing built in code has them.
inline ConvPtr NewConvWithTables() {
  ConvPtr c = NewConv();
  c->InitializeSectionsBegin();
  c->InitializeSectionsEnd(false);
  return c;
}

inline TFRect Box(double l, double b, double r, double t, double z1 = 0, double z2 = 0) {
  TFRect x;
  x.Left = l;
  x.Bottom = b;
  x.Right = r;
  x.Top = t;
  x.Z1 = z1;
  x.Z2 = z2;
  return x;
}

// A drawable entity whose box is whatever the test says.
class TestBoxEntity : public TvxDXFCustomVertex {
  VX_ENTITY_CLASS(TestBoxEntity)
 public:
  TFRect FixedBox = BadBox;
  TvxCADEntities Kind = ceLine;
  int Loaded = 0;

  TvxCADEntities EntType() const override { return Kind; }
  TFRect GetBox() override { return FixedBox; }
  void LoadData(TvxDXFConverter* conv) override {
    ++Loaded;
    TvxDXFCustomVertex::LoadData(conv);
  }
};

// A block reference: enough of an insert for searches, extents and the block loader.
class TestInsert : public TvxDXFCustomVertex {
  VX_ENTITY_CLASS(TestInsert)
 public:
  TvxDXFBlock* RefBlock = nullptr;  // non-owning
  TFRect FixedBox = BadBox;
  int LoaderCalls = 0;

  TvxCADEntities EntType() const override { return ceInsert; }
  bool IsInsert() const override { return true; }
  TvxDXFBlock* GetBlock() const override { return RefBlock; }
  TFRect GetBox() override { return FixedBox; }
  // Like an insert, it asks the drawing to load its block first.
  void LoadData(TvxDXFConverter* conv) override {
    if (conv && RefBlock && conv->OnLoad()) {
      ++LoaderCalls;
      conv->OnLoad()(RefBlock);
    }
    TvxDXFCustomVertex::LoadData(conv);
  }
};

inline TestBoxEntity* NewBoxEntity(const TFRect& box, uint64_t handle = 0) {
  auto* e = new TestBoxEntity();
  e->FixedBox = box;
  e->SetHandle(handle);
  return e;
}

// Every entity of the tree under root, blocks' records included.
inline void WalkTree(TvxDXFEntity* root, const std::function<void(TvxDXFEntity*)>& visit) {
  if (!root) return;
  visit(root);
  if (auto* block = dynamic_cast<TvxDXFBlock*>(root)) visit(block->BlockRecord());
  // The records table shows BLOCKS, a layout shows its block: neither owns what it shows.
  if (dynamic_cast<TvxDXFBlockRecords*>(root) || dynamic_cast<TvxDXFLayout*>(root)) return;
  for (int i = 0; i < root->Count(); ++i) WalkTree(root->GetEntity(i), visit);
}

inline std::vector<std::string> ChildNames(const TvxDXFEntity* e) {
  std::vector<std::string> r;
  for (int i = 0; e && i < e->Count(); ++i) r.push_back(e->GetEntity(i)->GetName());
  return r;
}

// Restores the process-wide settings a test changed.
struct SettingsGuard {
  TvxGlobalSettings Saved = GlobalSettings;
  ~SettingsGuard() { GlobalSettings = Saved; }
};

}  // namespace vx::test
