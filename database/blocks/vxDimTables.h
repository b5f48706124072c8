// vxDimTables: the annotation entities that draw as references of a block of their own.
//
//  - TvxDXFDimension: a dimension with its definition points, flags, text override and style;
//    it shows the block ("*D...") the drawing file stores with it, like a reference at its
//    insertion point with scale 1 and no rotation.
//  - TvxDXFAcadTable: a table with its style handle, flags and sizes; it shows the block
//    ("*T...") stored with it, at its insertion point with scale 1 and no rotation.
//
// Neither generates its block yet: one without a stored block draws nothing.
#pragma once

#include "database/blocks/vxInserts.h"

#include <string>

namespace vx {

class TvxDXFDimensionStyle;

class TvxDXFDimension : public TvxDXFInsert {
  VX_ENTITY_CLASS(TvxDXFDimension)
 public:
  TvxCADEntities EntType() const override { return ceDimension; }

  TFPoint DefPoint() const { return FDefPoint; }
  void SetDefPoint(const TFPoint& p) { FDefPoint = p; }
  TFPoint MiddlePoint() const { return FMiddlePoint; }
  void SetMiddlePoint(const TFPoint& p) { FMiddlePoint = p; }
  TFPoint LinDefPoint1() const { return FLinDefPoint1; }
  void SetLinDefPoint1(const TFPoint& p) { FLinDefPoint1 = p; }
  TFPoint LinDefPoint2() const { return FLinDefPoint2; }
  void SetLinDefPoint2(const TFPoint& p) { FLinDefPoint2 = p; }
  TFPoint RadDefPoint() const { return FRadDefPoint; }
  void SetRadDefPoint(const TFPoint& p) { FRadDefPoint = p; }
  TFPoint ArcDefPoint() const { return FArcDefPoint; }
  void SetArcDefPoint(const TFPoint& p) { FArcDefPoint = p; }
  // The dimension's kind and flags as in the drawing file (code 70); not the entity's flags.
  int DimFlags() const { return FDimFlags; }
  void SetDimFlags(int f) { FDimFlags = f; }
  const std::string& TextOverride() const { return FTextOverride; }
  void SetTextOverride(const std::string& t) { FTextOverride = t; }
  double TextRotation() const { return FTextRotation; }
  void SetTextRotation(double r) { FTextRotation = r; }
  TvxDXFDimensionStyle* Style() const;
  void SetStyle(TvxDXFDimensionStyle* style);

  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  TFPoint FDefPoint, FMiddlePoint, FLinDefPoint1, FLinDefPoint2, FRadDefPoint, FArcDefPoint;
  int FDimFlags = 0;
  std::string FTextOverride;
  double FTextRotation = 0;
  TvxTableItem FStyleItem;
};

class TvxDXFAcadTable : public TvxDXFInsert {
  VX_ENTITY_CLASS(TvxDXFAcadTable)
 public:
  TvxCADEntities EntType() const override { return ceACADTable; }

  int TableFlags() const { return FTableFlags; }
  void SetTableFlags(int f) { FTableFlags = f; }
  int NumRows() const { return FNumRows; }
  void SetNumRows(int n) { FNumRows = n; }
  int NumCols() const { return FNumCols; }
  void SetNumCols(int n) { FNumCols = n; }
  TFPoint Direction() const { return FDirection; }
  void SetDirection(const TFPoint& d) { FDirection = d; }
  uint64_t StyleHandle() const { return FStyleHandle; }
  void SetStyleHandle(uint64_t h) { FStyleHandle = h; }

  // A table always shows its block unscaled and unrotated.
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  int FTableFlags = 0;
  int FNumRows = 0;
  int FNumCols = 0;
  TFPoint FDirection = cnstXOrtAxis;
  uint64_t FStyleHandle = 0;
};

}  // namespace vx
