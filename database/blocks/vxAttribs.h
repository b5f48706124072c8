// vxAttribs: attribute definitions (TvxDXFAttdef, kept in blocks) and attributes (TvxDXFAttrib,
// owned by a block reference). Both are single-line texts (TvxDXFText) with a tag, a value, the
// attribute flags and the lock-position flag; a definition shows its tag, an attribute its value.
#pragma once

#include "database/text/vxText.h"

#include <string>

namespace vx {

// Attribute flags.
constexpr int cnstAttNotAppear = 1;   // invisible
constexpr int cnstAttConstant = 2;
constexpr int cnstAttControlled = 4;  // verify
constexpr int cnstAttPreset = 8;

class TvxDXFAttdef : public TvxDXFText {
  VX_ENTITY_CLASS(TvxDXFAttdef)
 public:
  TvxCADEntities EntType() const override { return ceAttdef; }

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

  // Inside a reference only constant definitions show (with their value); see the walk.
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
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
    FValue = v;
    SetText(v);
  }
  // A NotAppear attribute is skipped; any other is walked as text.
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
};

}  // namespace vx
