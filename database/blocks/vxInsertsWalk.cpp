// Block references: the walk into blocks (insert, array, block) and the effective layer,
// colour and line weight through the chain of nested references.
#include "database/blocks/vxInserts.h"

#include "database/core/vxNames.h"
#include "database/blocks/vxXRefs.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace vx {

namespace {

bool IsLayerZero(const TvxDXFLayer* layer) { return layer && SameName(layer->GetName(), "0"); }

bool IsByLayerOrBlock(TColor c) { return c == clByLayer || c == clByBlock; }

// The drawing at the top of the chain of external references.
TvxDXFConverter* TopConverter(TvxDXFConverter* conv, std::vector<TvxDXFConverter*>* chain) {
  TvxDXFConverter* top = conv;
  for (int depth = 0; conv && depth <= cnstMaxBlockNesting; ++depth) {
    if (chain) chain->push_back(conv);
    top = conv;
    conv = conv->OwnerConverter();
  }
  return top;
}

// Whether the 3 x 3 part turns or shears (the renderer then cannot draw with a plain 2D matrix).
bool HasOffDiagonal(const TFMatrix& m) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (r != c && std::fabs(m.M[r][c]) > 1e-6) return true;
  return false;
}

// Restores the walk state on every exit, exceptions included.
struct TvxWalkRestore {
  TvxCADIterate* Params;
  TvxCADIterate Saved;
  TvxDXFInsert* Insert;
  TvxDXFInsert* SavedOwner;
  TvxDXFConverter* Root;
  TFMatrix SavedTransform;
  ~TvxWalkRestore() {
    *Params = std::move(Saved);
    Insert->SetOwnerInsert(SavedOwner);
    if (Root) Root->SetTransform3D(SavedTransform);
  }
};

}  // namespace

// ---- the block walk -------------------------------------------------------------------------

std::vector<TvxDXFAttdef*> WalkBlock(TvxDXFBlock* block, TvxDXFConverter* conv,
                                     const TvxEntityProc& finishProc, const TvxEntityProc& proc) {
  std::vector<TvxDXFAttdef*> defs;
  if (!block || !conv || !conv->Params()) return defs;
  TvxCADIterate* params = conv->Params();
  auto& stack = params->BlockStack;
  if (std::find(stack.begin(), stack.end(), block) != stack.end()) {
    // The block reaches itself: the reference is cut for good.
    if (auto* ins = dynamic_cast<TvxDXFInsert*>(params->Insert)) ins->SetBlock(nullptr);
    return defs;
  }
  if (static_cast<int>(stack.size()) >= cnstMaxBlockNesting) return defs;
  stack.push_back(block);
  struct TvxPop {
    TvxDXFConverter* Conv;
    TvxDXFBlock* Block;
    ~TvxPop() {
      auto& s = Conv->Params()->BlockStack;
      auto it = std::find(s.rbegin(), s.rend(), Block);
      if (it != s.rend()) s.erase(std::next(it).base());
    }
  } pop{conv, block};
  for (int i = 0; i < block->Count(); ++i) {
    TvxDXFEntity* e = block->GetEntity(i);
    if (!e) continue;
    if (typeid(*e) == typeid(TvxDXFAttdef))
      defs.push_back(static_cast<TvxDXFAttdef*>(e));
    else
      e->DoIterate(conv, finishProc, proc);
  }
  return defs;
}

// ---- the insert walk ------------------------------------------------------------------------

int TvxDXFInsert::BeginWalk(TvxDXFConverter*& conv, const TvxEntityProc& proc) {
  if (!conv) conv = GetConverter();
  if (!conv || !conv->Params()) {
    if (proc) proc(this);
    return 0;
  }
  int go = conv->AutoInsert() && GetBlock() ? 1 : 0;
  if (!go) go = proc ? proc(this) : 1;
  return go;
}

void TvxDXFInsert::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                             const TvxEntityProc& proc) {
  const int go = BeginWalk(conv, proc);
  if (go == 0) return;
  WalkReference(conv, finishProc, proc, go);
  if (finishProc) finishProc(this);
}

void TvxDXFInsert::WalkReference(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                                 const TvxEntityProc& proc, int go) {
  TvxCADIterate* params = conv->Params();
  // The 3D transform of the whole chain of drawings, outermost first, ends with this reference.
  TvxDXFConverter* root = nullptr;
  TFMatrix rootTransform = cnstIdentityMat;
  if (TvxDXFConverter* own = GetConverter()) {
    std::vector<TvxDXFConverter*> chain;
    root = TopConverter(own, &chain);
    rootTransform = root->Transform3D();
    TFMatrix product = cnstIdentityMat;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
      product = MultiplyMatrix(product, (*it)->Transform3D());
    root->SetTransform3D(MultiplyMatrix(FMatrix, product));
  }
  TvxWalkRestore restore{params, *params, this, FOwnerInsert, root, rootTransform};
  const TvxCADIterate& saved = restore.Saved;
  FOwnerInsert = dynamic_cast<TvxDXFInsert*>(saved.Insert);

  auto referenceStep = [this](TvxCADIterate& rec) {
    rec.Insert = this;
    rec.Color = GetColor();
    rec.XScale = 0;
    rec.YScale = 0;
    const TvxDXFLineType* lt = GetLineType();
    if (lt && SameName(lt->GetName(), "BYLAYER")) {
      // By-block entities inside take the line type of the layer this reference is on.
      const TvxDXFLayer* layer = EffectiveLayer(this, FOwnerInsert);
      rec.LType = layer ? layer->GetLines() : nullptr;
    } else if (!(lt && SameName(lt->GetName(), "BYBLOCK"))) {
      rec.LType = GetLines();
    }
  };

  std::vector<TvxDXFAttdef*> defs;
  TvxCADIterate blockRec;
  TvxDXFBlock* block = GetBlock();
  if (go == 1 && block) {
    blockRec.Matrix = MultiplyMatrix(FMatrix, saved.Matrix);
    blockRec.DrawMatrix = saved.DrawMatrix;
    blockRec.Insert = nullptr;
    blockRec.BlockStack = saved.BlockStack;
    // Block coordinates to world: this reference first, then the enclosing ones.
    blockRec.ConvertMatrixCurrentInsertToWCS =
        MultiplyMatrix(FMatrix, saved.ConvertMatrixCurrentInsertToWCS);
    blockRec.Color = 0;
    blockRec.XScale = blockRec.YScale = blockRec.Angle = 0;
    blockRec.Additional = HasOffDiagonal(blockRec.Matrix) ? 1 : 0;
    blockRec.LType = saved.LType;
    referenceStep(blockRec);
    *params = blockRec;
    defs = WalkBlock(block, conv, finishProc, proc);
  }
  if (HasAttribs()) {
    *params = saved;
    referenceStep(*params);
    for (size_t i = 0; i < FAttribs.size(); ++i) {
      TvxDXFAttrib* a = FAttribs[i];
      auto def = std::find_if(defs.begin(), defs.end(),
                              [a](const TvxDXFAttdef* d) { return d->Tag() == a->Tag(); });
      if (def != defs.end()) {
        if (!(*def)->Constant()) (*def)->SetHasChanging(true);
        a->DoIterate(conv, finishProc, proc);
      } else if (!a->NotAppear()) {
        a->DoIterate(conv, finishProc, proc);
      }
    }
  }
  // Constant definitions show in every reference, attributes or not (no attribute is ever made
  // for them); the definition's own walk rules hide the variable ones.
  if (!defs.empty()) {
    *params = blockRec;
    for (TvxDXFAttdef* d : defs) d->DoIterate(conv, finishProc, proc);
  }
}

// ---- the array walk -------------------------------------------------------------------------

void TvxCADMInsert::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                              const TvxEntityProc& proc) {
  const int go = BeginWalk(conv, proc);
  if (go == 0) return;
  // Each cell is this reference moved by the cell offset; the stored point, matrix and
  // attribute positions are put back exactly afterwards, so repeated walks never drift.
  struct TvxCellRestore {
    TvxCADMInsert* Self;
    TFMatrix Matrix;
    std::vector<std::pair<TFPoint, TFPoint>> Attribs;
    ~TvxCellRestore() {
      Self->FMatrix = Matrix;
      for (size_t i = 0; i < Attribs.size() && i < Self->FAttribs.size(); ++i) {
        Self->FAttribs[i]->TvxDXFCustomVertex::SetPoint(Attribs[i].first);
        Self->FAttribs[i]->SetPoint1(Attribs[i].second);
      }
    }
  } restore{this, FMatrix, {}};
  for (TvxDXFAttrib* a : FAttribs) restore.Attribs.emplace_back(a->GetPoint(), a->GetPoint1());
  const TFMatrix rot = RotationMatrixZDeg(FAngle);
  int64_t cells = 0;
  for (int r = 0; r < FNumRows && cells < cnstMaxMInsertCells; ++r) {
    for (int c = 0; c < FNumCols && cells < cnstMaxMInsertCells; ++c, ++cells) {
      FMatrix = MultiplyMatrix(restore.Matrix, TranslationMatrix(CellOffset(c, r)));
      const TFPoint objectOffset =
          TransformVector(TFPoint{c * FColSpacing, r * FRowSpacing, 0}, rot);
      for (size_t i = 0; i < FAttribs.size(); ++i) {
        FAttribs[i]->TvxDXFCustomVertex::SetPoint(
            AddFPoint(restore.Attribs[i].first, objectOffset));
        if (FAttribs[i]->UsesPoint1())
          FAttribs[i]->SetPoint1(AddFPoint(restore.Attribs[i].second, objectOffset));
      }
      WalkReference(conv, finishProc, proc, go);
    }
  }
  if (finishProc) finishProc(this);
}

// ---- effective properties -------------------------------------------------------------------

TvxDXFLayer* HostLayer(TvxDXFLayer* layer) {
  if (!layer) return nullptr;
  TvxDXFConverter* conv = layer->GetConverter();
  // Only a drawing hung below another one can be an external reference's drawing.
  if (!conv || !conv->OwnerConverter()) return layer;
  TvxDXFXref* xref = ContainerXrefOf(conv);
  if (!xref) return layer;
  TvxDXFConverter* root = TopConverter(conv, nullptr);
  if (!root || root == conv || !root->Layers()) return layer;
  const std::string name = SameName(layer->GetName(), "0")
                               ? std::string("0")
                               : XrefBlockName(xref) + "|" + layer->GetName();
  auto* host = root->Layers()->FindItem<TvxDXFLayer>(name);
  return host ? host : layer;
}

TvxDXFLayer* EffectiveLayer(const TvxDXFEntity* e, const TvxDXFInsert* ins) {
  if (!e) return nullptr;
  TvxDXFLayer* own = e->GetLayer();
  TvxDXFLayer* layer = HostLayer(own);
  if (!ins) return layer;
  if (!own || IsLayerZero(layer)) return ins->RealLayer();
  return layer;
}

TColor EffectiveColor(const TvxDXFEntity* e, const TvxDXFInsert* ins) {
  if (!e) return clForeground;
  TColor a = e->GetColor();
  TvxDXFLayer* layer = nullptr;
  if (ins && IsByLayerOrBlock(a)) {
    layer = EffectiveLayer(e, ins);
    if (!layer) return a;
    if (a == clByLayer && !IsLayerZero(layer)) a = layer->GetColor();
    if (IsByLayerOrBlock(a)) {
      const TvxDXFInsert* j = ins;
      TvxDXFLayer* lj = nullptr;
      for (int depth = 0; j && depth <= cnstMaxBlockNesting; ++depth) {
        if (a == clByBlock) a = j->GetColor();
        lj = HostLayer(j->GetLayer());
        if (a == clByLayer && lj && !IsLayerZero(lj)) a = lj->GetColor();
        if (!IsByLayerOrBlock(a)) break;
        const TvxDXFInsert* next = j->OwnerInsert();
        if (next == j) break;
        j = next;
      }
      if (a == clByLayer && lj) a = lj->GetColor();
    }
  } else {
    layer = HostLayer(e->GetLayer());
    // An entity without a layer has nothing to take a by-layer or by-block colour from.
    if (!layer && IsByLayerOrBlock(a)) a = clForeground;
  }
  if (a == clByLayer && layer) a = layer->GetColor();
  if (IsByLayerOrBlock(a)) a = clForeground;
  return a;
}

double EffectiveLineWeight(const TvxDXFEntity* e, const TvxDXFInsert* ins) {
  if (!e) return 0;
  if (UsesLineWeight && !UsesLineWeight(e)) return 0;
  double w = e->GetLineWeight();
  if (w >= 0) return w;
  if (w == fLineWeightDefault) return 0;
  if (!e->GetLayer()) return w;
  TvxDXFLayer* layer = HostLayer(e->GetLayer());
  if (w != fLineWeightByBlock) w = fLineWeightByLayer;
  const bool ownLayerCounts = layer && !IsLayerZero(layer);
  if (w == fLineWeightByLayer && ownLayerCounts) w = layer->GetLineWeight();
  const bool climb = (w == fLineWeightByLayer && !ownLayerCounts) || w == fLineWeightByBlock;
  if (ins && climb) {
    const TvxDXFInsert* j = ins;
    for (int depth = 0; j && depth <= cnstMaxBlockNesting; ++depth) {
      if (w == fLineWeightByBlock) w = j->GetLineWeight();
      if (w == fLineWeightByLayer) {
        TvxDXFLayer* lj = HostLayer(j->GetLayer());
        if (lj && !IsLayerZero(lj)) w = lj->GetLineWeight();
      }
      if (w != fLineWeightByLayer && w != fLineWeightByBlock) break;
      const TvxDXFInsert* next = j->OwnerInsert();
      if (next == j) break;
      j = next;
    }
  }
  if (w == fLineWeightByLayer && layer) w = layer->GetLineWeight();
  return w < 0 ? 0 : w;
}

}  // namespace vx
