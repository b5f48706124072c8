// vxMText: multi-line text (TvxDXFMText). It is placed like a block reference (insertion point,
// scale, rotation, extrusion) and keeps the raw formatted string with the settings its layout
// needs: attachment, reference width, line spacing, direction vector, hyphenation and style.
//
// LoadData reads the formatting codes (vxMTextParser.h) and lays the text out into single-line
// pieces inside the MText's own block (vxMTextLayout.cpp): measured with the faces of the font
// provider, wrapped at the reference width, lines spaced and aligned for the attachment, the
// block placed like a reference. Without a provider LoadData gives an estimated box (reference
// width, or the longest paragraph, by the height of the lines).
#pragma once

#include "database/blocks/vxInserts.h"
#include "database/text/vxText.h"

#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Attachment points (FAlign).
constexpr uint8_t cnstMTextTopLeft = 1;
constexpr uint8_t cnstMTextTopCenter = 2;
constexpr uint8_t cnstMTextTopRight = 3;
constexpr uint8_t cnstMTextMiddleLeft = 4;
constexpr uint8_t cnstMTextMiddleCenter = 5;
constexpr uint8_t cnstMTextMiddleRight = 6;
constexpr uint8_t cnstMTextBottomLeft = 7;
constexpr uint8_t cnstMTextBottomCenter = 8;
constexpr uint8_t cnstMTextBottomRight = 9;
constexpr uint8_t cnstMTextBaseline = 10;  // single-line baseline mode of internal MTexts

class TvxDXFMText : public TvxDXFInsert {
  VX_ENTITY_CLASS(TvxDXFMText)
 public:
  TvxDXFMText();

  TvxCADEntities EntType() const override { return ceMText; }
  // The MText's own block, outside BLOCKS, that receives the laid-out pieces (empty until the
  // text layout fills it).
  TvxDXFBlock* GetBlock() const override { return FBlock; }

  // The raw formatted string (codes are read by the layout).
  const std::string& Text() const { return FText; }
  void SetText(const std::string& t) { FText = t; }
  // Attachment 1 to 9 (top-left .. bottom-right) or 10 (baseline).
  uint8_t Align() const { return FAlign; }
  void SetAlign(uint8_t a) { FAlign = a; }
  double Height() const { return FHeight; }
  void SetHeight(double h) { FHeight = h; }
  bool Hyphenation() const { return FHyphenation; }
  void SetHyphenation(bool v) { FHyphenation = v; }
  double LineSpacingFactor() const { return FLineSpacingFactor; }
  void SetLineSpacingFactor(double f) { FLineSpacingFactor = f; }
  uint8_t LineSpacingStyle() const { return FLineSpacingStyle; }
  void SetLineSpacingStyle(uint8_t s) { FLineSpacingStyle = s; }
  // The direction vector; cnstUndefinedPoint when not given.
  TFPoint GetPoint1() const { return FPoint1; }
  void SetPoint1(const TFPoint& p) { FPoint1 = p; }
  // Reference rectangle width; 0 means no wrapping.
  double RectWidth() const { return FRectWidth; }
  void SetRectWidth(double w) { FRectWidth = w; }
  // The stored rotation angle (degrees).
  double Rotation() const { return Angle(); }
  void SetRotation(double degrees) { SetAngle(degrees); }
  // The rotation the text is drawn with: the angle of the direction vector in the object
  // coordinate system when it is defined and differs from the extrusion, else Rotation.
  double EffectiveRotation() const;

  TvxDXFStyle* GetStyle() const;
  void SetStyle(TvxDXFStyle* style) { FTextStyleItem.SetItem(style); }
  TvxDXFEntity* GetStyleItem() const { return FTextStyleItem.Item(); }
  void SetStyleLink(TvxLinkObject* link) { FTextStyleItem.SetItem(link); }

  // The box of the laid-out pieces (or the estimate).
  TFRect GetBox() override { return FBox; }
  // Whether the block holds laid-out pieces (the walk enters it); false for an estimate.
  bool LaidOut() const { return FLaidOut; }
  // Layer "0", line type, style "STANDARD" when it has none, then the estimated box.
  void LoadData(TvxDXFConverter* conv) override;
  void ResolveLinks(TvxDXFConverter* conv) override;
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;
  void FreeOwnedParts() override;

 protected:
  bool IsDrawable() const override { return true; }
  void UpdateTextBox();
  // Parses and lays out the pieces into the block; false when no face measures them.
  bool LayoutPieces(TvxDXFConverter* conv);
  void ClearPieces();

  bool FLaidOut = false;

  TvxDXFBlock* FBlock = nullptr;  // owned

  uint8_t FAlign = cnstMTextTopLeft;
  double FHeight = 1;
  bool FHyphenation = false;
  double FLineSpacingFactor = 1;
  uint8_t FLineSpacingStyle = 1;
  TFPoint FPoint1 = cnstUndefinedPoint;
  double FRectWidth = 0;
  TvxTableItem FTextStyleItem;
  std::string FText;
};

// Characters of each paragraph of a formatted MText string once its codes are left out (a stack
// counts as its longer part); for the estimated box only.
std::vector<size_t> MTextParagraphLengths(std::string_view text);

}  // namespace vx
