// vxDWGKinds: the table of record kinds by internal type code, filled by each family of record
// readers.
#pragma once

#include "readers/dwg/objects/vxDWGObject.h"

#include <array>

namespace vx {

constexpr unsigned cnstDWGKindCount = 99;
using TdwgKindTable = std::array<TdwgRecordKind, cnstDWGKindCount>;

template <class R>
TdwgObject* MakeDWGReader() {
  return new R();
}
template <class E>
TvxDXFEntity* MakeDWGItem() {
  return new E();
}
template <class R>
inline constexpr TdwgReaderFactory Reader = &MakeDWGReader<R>;
template <class E>
inline constexpr TdwgItemFactory Item = &MakeDWGItem<E>;

// A row of the kinds table; handle rows and more rows are optional.
constexpr TdwgRecordKind Kind(const char* name, TdwgReaderFactory reader, TdwgItemFactory item,
                              std::span<const TdwgFieldRow> rows = {},
                              std::span<const TdwgFieldRow> handles = {},
                              std::span<const TdwgFieldRow> rows2 = {}) {
  TdwgRecordKind k;
  k.Name = name;
  k.Reader = reader;
  k.Item = item;
  k.Rows = rows;
  k.HandleRows = handles;
  k.Rows2 = rows2;
  return k;
}

void AddDWGEntityKinds(TdwgKindTable& t);
void AddDWGTextKinds(TdwgKindTable& t);
void AddDWGFillKinds(TdwgKindTable& t);
void AddDWGInsertKinds(TdwgKindTable& t);
void AddDWGTableKinds(TdwgKindTable& t);
void AddDWGTableObjectKinds(TdwgKindTable& t);
void AddDWGProxyKinds(TdwgKindTable& t);

}  // namespace vx
