// The record kinds by internal type code.
#include "readers/dwg/objects/vxDWGKinds.h"

namespace vx {

namespace {

TdwgKindTable BuildKinds() {
  TdwgKindTable t{};
  AddDWGEntityKinds(t);
  AddDWGTextKinds(t);
  AddDWGFillKinds(t);
  AddDWGInsertKinds(t);
  AddDWGTableKinds(t);
  AddDWGProxyKinds(t);
  return t;
}

}  // namespace

const TdwgRecordKind* DWGRecordKind(unsigned code) {
  static const TdwgKindTable kinds = BuildKinds();
  if (code >= kinds.size() || !kinds[code].Reader) return nullptr;
  return &kinds[code];
}

}  // namespace vx
