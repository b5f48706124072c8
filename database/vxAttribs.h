// vxAttribs: attribute definitions (TvxDXFAttdef, kept in blocks) and attributes (TvxDXFAttrib,
// owned by a block reference), as far as the database keeps them: tag, value, flags and the few
// text fields that move with their reference (insertion and alignment points, height, width
// factor, rotation). Text layout and drawing come with the text module.
#pragma once

#include "database/DXFConvObjects.h"

#include <string>

namespace vx {

// Attribute flags.
constexpr int cnstAttNotAppear = 1;   // invisible
constexpr int cnstAttConstant = 2;
constexpr int cnstAttControlled = 4;  // verify
constexpr int cnstAttPreset = 8;

class TvxDXFAttdef : public TvxDXFCustomVertex {
  VX_ENTITY_CLASS(TvxDXFAttdef)
 public:
  TvxCADEntities EntType() const override { return ceAttdef; }

  // ---- text fields ----
  const std::string& Text() const { return FText; }
  void SetText(const std::string& t) { FText = t; }
  // The second alignment point, used when the text is not left-aligned on its base line.
  TFPoint GetPoint1() const { return FPoint1; }
  void SetPoint1(const TFPoint& p) { FPoint1 = p; }
  bool UsesPoint1() const { return FUsesPoint1; }
  void SetUsesPoint1(bool v) { FUsesPoint1 = v; }
  double Height() const { return FHeight; }
  void SetHeight(double h) { FHeight = h; }
  double WidthFactor() const { return FWidthFactor; }
  void SetWidthFactor(double w) { FWidthFactor = w; }
  double Rotation() const { return FRotation; }  // degrees
  void SetRotation(double r) { FRotation = r; }

  // ---- attribute fields ----
  const std::string& Tag() const { return FTag; }
  // A definition shows its tag: the text becomes the tag.
  virtual void SetTag(const std::string& tag);
  const std::string& Value() const { return FValue; }
  virtual void SetValue(const std::string& v) { FValue = v; }
  int GetFlags() const override { return FAttFlags; }
  void SetFlags(int f) override { FAttFlags = f; }
  bool NotAppear() const { return (FAttFlags & cnstAttNotAppear) != 0; }
  bool Constant() const { return (FAttFlags & cnstAttConstant) != 0; }
  bool Controlled() const { return (FAttFlags & cnstAttControlled) != 0; }
  bool Preset() const { return (FAttFlags & cnstAttPreset) != 0; }
  bool LockPosition() const { return FLockPosition; }
  void SetLockPosition(bool v) { FLockPosition = v; }
  bool HasChanging() const { return FHasChanging; }
  void SetHasChanging(bool v) { FHasChanging = v; }

  // The tag followed by " = " after the first blank of the class name.
  std::string EntName() const override;
  bool GetStrValue(const std::string& name, std::string& value) const override;
  bool SetStrValue(const std::string& name, const std::string& value) override;

  // An estimate of the text's extents until the text module lays it out: the base point and a
  // rectangle of the height and about 0.6 height per character, turned by the rotation.
  TFRect GetBox() override { return FBox; }
  void LoadData(TvxDXFConverter* conv) override;
  // Inside a reference only constant definitions show (with their value); see the walk.
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  bool IsDrawable() const override { return true; }
  void UpdateTextBox();

  std::string FText;
  TFPoint FPoint1;
  bool FUsesPoint1 = false;
  double FHeight = 1;
  double FWidthFactor = 1;
  double FRotation = 0;
  TFRect FBox = BadBox;

  std::string FTag;
  bool FHasChanging = false;
  std::string FValue;
  int FAttFlags = 0;
  bool FLockPosition = false;
};

class TvxDXFAttrib : public TvxDXFAttdef {
  VX_ENTITY_CLASS(TvxDXFAttrib)
 public:
  TvxCADEntities EntType() const override { return ceAttrib; }
  // An attribute only names its tag; it shows its value.
  void SetTag(const std::string& tag) override { FTag = tag; }
  void SetValue(const std::string& v) override {
    FText = v;
    FValue = v;
  }
  // A NotAppear attribute is skipped; any other is walked as text.
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
};

}  // namespace vx
