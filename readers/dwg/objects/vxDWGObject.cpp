// Object framing, common object data, handles, and the object commit.
#include "readers/dwg/objects/vxDWGObject.h"

#include "readers/dwg/stream/vxDWGErrors.h"
#include "readers/dwg/vxDWGReader.h"


namespace vx {

void DWGObjectCorrupt() { throw EdwgReadError("Object data is corrupted"); }

uint32_t DWGCounted(const TvxBitCursor& c, uint32_t n, unsigned minBits) {
  if (c.Failed || uint64_t(n) * minBits > c.Remaining()) DWGObjectCorrupt();
  return n;
}

namespace {

[[noreturn]] void ReadError() { DWGObjectCorrupt(); }

// The extended data blocks: BS size, application handle, size bytes. They are passed over whole
// here; the cursor always lands on the end of each block.
void SkipEED(TvxBitCursor& c) {
  for (int blocks = 0; blocks < 4096; ++blocks) {
    const unsigned size = ReadBS(c);
    if (size == 0 || c.Failed) return;
    ReadHandle(c, 0);
    c.Skip(uint64_t(size) * 8);
    if (c.Failed) return;
  }
}

}  // namespace

TdwgObject::~TdwgObject() {
  if (FItem && !FPlaced) FItem->Free();
}

void TdwgObject::ReadData(TdwgReader& r) {
  const std::vector<uint8_t>& image = r.File.Image;
  const TvxDWGVersion v = r.Version;
  TvxBitCursor c(image.data(), image.size());
  c.Seek(FLocation * 8);
  const uint32_t size = ReadMS(c);
  uint64_t handleBits = 0;
  if (v >= acR2010) handleBits = ReadUMC(c);
  if (c.Failed || uint64_t(size) * 8 > c.Remaining()) ReadError();
  FDataStart = c.Pos;
  FDataEnd = FDataStart + uint64_t(size) * 8;
  S.Version = v;
  S.Coding = r.Coding;
  S.Dat = c.Window(FDataStart, FDataEnd);
  FType = v < acR2010 ? ReadBS(S.Dat) : ReadOT(S.Dat, v);
  uint64_t handleStart = 0;
  if (v >= acR2010) {
    if (handleBits > uint64_t(size) * 8) ReadError();
    handleStart = FDataEnd - handleBits;
  } else if (v >= acR2000) {
    FDataBits = ReadRL(S.Dat);  // 2007: the handles start there; 2000 and 2004 likewise
    handleStart = FDataStart + FDataBits;
  }
  if (v >= acR2007) {
    if (handleStart < S.Dat.Pos || handleStart > FDataEnd) ReadError();
    S.Str = DWGLocateStrings(c, handleStart, S.Dat.Pos);
    if (S.Str.Failed) ReadError();
    S.SplitStrings = true;
    S.Dat.End = S.Str.Pos;  // the data end where the strings begin
  }
  if (v >= acR2000) {
    if (handleStart < S.Dat.Pos || handleStart > FDataEnd) ReadError();
    S.Hnd = c.Window(handleStart, FDataEnd);
    S.SplitHandles = true;
  }
  // The object's own handle: its code applies to the handle of the map.
  const uint64_t mapHandle = FMapIndex >= 0 ? r.Map[size_t(FMapIndex)].Handle : 0;
  FHandle = ReadHandle(S.Dat, mapHandle).Handle;
  S.Handle = FHandle;
  SkipEED(S.Dat);
  if (S.Failed()) ReadError();
  ReadCommon(r);
  if (S.Failed()) ReadError();
  if (FItem && FItem->HasHandle()) {
    FItem->SetHandle(FHandle);
    if (FHandle > r.Conv->MaxHandle()) r.Conv->ReserveHandle(FHandle);
  }
  ReadOwnData(r);
  if (S.Failed()) ReadError();
  // The data should end where the handles (or, from 2007, the strings) begin: a record whose rows
  // do not match the file's layout shows here.
  const uint64_t dataEnd = v >= acR2007 ? S.Dat.End : S.Hnd.Pos;
  if (S.Dat.Pos > dataEnd || dataEnd - S.Dat.Pos >= 8) {
    ++r.Stats.DataMismatches;
    ++r.Stats.MismatchCodes[FCode];
  }
  const uint64_t handlesStart = S.Hnd.Pos;
  ReadHandles(r);
  ReadOwnHandles(r);
  if (S.Failed()) ReadError();
  if (S.Hnd.Pos < handlesStart) ++r.Stats.HandleMismatches;
}

void TdwgObject::ReadCommon(TdwgReader& r) {
  TvxBitCursor& d = S.Dat;
  if (r.Version < acR2000) {
    FDataBits = ReadRL(d);
    S.Hnd = d.Window(FDataStart + FDataBits, FDataEnd);
    S.SplitHandles = true;
    if (FDataStart + FDataBits < d.Pos || FDataStart + FDataBits > FDataEnd) ReadError();
  }
  FReactorsCount = ReadBL(d);
  if (r.Version >= acR2004) FXDicHandlePresent = ReadBit(d) == 0;
  if (r.Version >= acR2013) ReadBit(d);  // binary data present
}

void TdwgObject::ReadOwnData(TdwgReader& r) {
  if (!FKind) return;
  ReadDWGRows(*this, r, S, FKind->Rows);
  ReadDWGRows(*this, r, S, FKind->Rows2);
}

void TdwgObject::ReadOwnHandles(TdwgReader& r) {
  if (FKind) ReadDWGRows(*this, r, S, FKind->HandleRows);
}

void TdwgObject::ReadHandles(TdwgReader& r) {
  TvxBitCursor& h = S.Handles();
  if (OwnerStored()) FOwner = S.HandleValue();
  // Reactors, capped by the bits left: each needs at least one byte.
  if (FReactorsCount > h.Remaining() / 8) ReadError();
  FReactors.reserve(FReactorsCount);
  for (uint32_t i = 0; i < FReactorsCount && !h.Failed; ++i) FReactors.push_back(S.HandleValue());
  if (FXDicHandlePresent) FXDict = S.HandleValue();
}

void TdwgObject::ReadOwnedHandles(TdwgReader& r, bool chained) {
  if (r.Version >= acR2004) {
    TvxBitCursor& h = S.Handles();
    if (FSubEnts > h.Remaining() / 8) ReadError();
    FChildren.reserve(FSubEnts);
    for (uint32_t i = 0; i < FSubEnts && !h.Failed; ++i) FChildren.push_back(S.HandleValue());
    if (!FChildren.empty()) FFirstChild = FChildren.front();
  } else if (chained) {
    FFirstChild = S.HandleValue();
    FLastChild = S.HandleValue();
  }
}

TvxDXFEntity* TdwgObject::GetOwnerItem(TdwgReader& r) { return r.GetChild(FOwner); }

bool TdwgObject::AddToOwner(TdwgReader& r, TvxDXFEntity* owner) {
  return owner && FItem && owner->AddEntity(FItem) >= 0;
}

void TdwgObject::LoadChildren(TdwgReader& r) {
  if (r.Version >= acR2004) r.LoadChildList(FChildren);
  else if (FFirstChild) r.LoadChildChain(FFirstChild);
}

void TdwgObject::Commit(TdwgReader& r) {
  if (!FItem) return;
  FOwnerItem = GetOwnerItem(r);
  if (!FPlaced) {
    if (!AddToOwner(r, FOwnerItem)) return;
    FPlaced = true;
  }
  r.SetPlaced(FMapIndex, FItem);
  // The database keeps the extension dictionary of a placed item by handle (layers use theirs).
  if (FXDict != 0 && FHandle != 0) r.Conv->RegisterEntityDictionary(FHandle, FXDict);
  AfterAdded(r);
  LoadChildren(r);
}

}  // namespace vx
