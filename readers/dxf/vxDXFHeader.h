// vxDXFHeader: the reader of the HEADER section (TdxfHeader). The variables it keeps are rows
// (name, group code, header field or one of the reader's own targets: version, code page,
// handle seed); every pair of a variable is stored through the database's SetHeadField, so the
// DXF and DWG readers convert a field alike.
#pragma once

#include "readers/dxf/vxDXFRecords.h"

#include <span>

namespace vx {

// What a header variable sets besides a field of the header record.
enum class TdxfHeadTarget : uint8_t { htField, htVersion, htCodePage, htHandSeed };

struct TdxfHeaderRow {
  const char* Name;  // upper case, with its "$"
  int Code;          // the group code the value comes with; 10 for points (10, 20 and 30)
  TvxHeadField Field;
  TdxfHeadTarget Target = TdxfHeadTarget::htField;
};

// The rows, sorted by name.
std::span<const TdxfHeaderRow> DXFHeaderRows();

// The header: every pair is applied to the variable named by the last code 9.
class TdxfHeader : public TdxfEntity {
 public:
  TdxfHeader() { FComplex = true; }
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;
  bool IsTerminator(const TdxfObject* child) const override { return child->Kind() == rkEndSec; }

 private:
  void Apply(TdxfLoader& r, int code);
  const TdxfHeaderRow* FRow = nullptr;
};

// The row of a header variable, by name (upper case); nullptr for variables this reader drops.
const TdxfHeaderRow* DXFHeaderVariable(std::string_view name);

}  // namespace vx
