// vxDXFRecordsText: the readers of text records.
//
//  - TdxfText ("TEXT"): single-line text; code 1 is kept as written (escapes are decoded when the
//    text is drawn) with every "^ " turned into "^". Also the base of the attribute reader.
//  - TdxfShape ("SHAPE"): a shape by name, with its size, width factor, rotation and slant.
//  - TdxfMText ("MTEXT"): multi-line text; the code-3 pieces in file order followed by code 1
//    make its string, decoded once so that a character split between pieces stays whole; the
//    codes after "101 Embedded Object" are skipped.
//
// Text, shape and MText readers preset point 11 to cnstUndefinedPoint: an alignment point or
// direction the file does not give stays recognisably undefined.
#pragma once

#include "database/text/vxMText.h"
#include "database/text/vxShape.h"
#include "readers/dxf/vxDXFRecords.h"

#include <string>

namespace vx {

// The style of a text record by name ("STANDARD" when empty), or a placeholder the item's slot
// takes over when the style table does not hold it (yet).
TvxDXFEntity* DXFTextStyle(TdxfLoader& r, const std::string& name);

class TdxfText : public TdxfEntity {
 public:
  TdxfText();
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 protected:
  // The text fields shared with the attribute reader.
  void CommitText(TdxfLoader& r, TvxDXFText* t);

  bool FEmbedded = false;  // past "101 Embedded Object"
};

class TdxfShape : public TdxfEntity {
 public:
  TdxfShape();
  void Commit(TdxfLoader& r) override;
};

class TdxfMText : public TdxfEntity {
 public:
  TdxfMText();
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  std::string FRawText;    // code 1, as written
  std::string FRawPieces;  // the code-3 pieces, as written
  bool FEmbedded = false;  // past "101 Embedded Object"
};

}  // namespace vx
