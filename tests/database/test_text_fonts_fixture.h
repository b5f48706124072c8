// A monospace font provider for text layout tests: every printable character but the blank is
// a box 600 wide and 1000 high (the text height) on the baseline, every advance is 1000 font
// units, so a text of n characters at height h is n x h long. The SHX face is stroked, the
// TrueType face filled; SHX requests for names outside ShxNames find nothing, so the layout's
// fallback shows. Installed for the lifetime of the object; the previous provider comes back.
#pragma once

#include "database/text/vxFontInterface.h"

#include <set>
#include <string>
#include <vector>

namespace vx::test {

class MonoFace : public TvxFontFace {
 public:
  explicit MonoFace(TvxFontKind kind) : FKind(kind) {
    FBlank.AdvanceX = 1000;
    FBox.AdvanceX = 1000;
    if (kind == fkTrueType) {
      // a closed contour; the face's box runs from 0 to the advance
      FBox.Points = {{0, 0}, {600, 0}, {600, 1000}, {0, 1000}, {0, 0}};
      FBox.Counts = {5};
      FBox.Left = 0, FBox.Right = 1000, FBox.Bottom = 0, FBox.Top = 1000;
    } else {
      FBox.Points = {{0, 0}, {600, 0}, {600, 1000}, {0, 1000}, {0, 0}};
      FBox.Counts = {5};
      FBox.Left = 0, FBox.Right = 600, FBox.Bottom = 0, FBox.Top = 1000;
    }
  }
  TvxFontKind Kind() const override { return FKind; }
  std::string FileName() const override { return FKind == fkTrueType ? "mono.ttf" : "mono.shx"; }
  double Above() const override { return FKind == fkTrueType ? 4400 : 1000; }
  double Below() const override { return FKind == fkTrueType ? 1200 : 300; }
  // The reference height at the em height 5472 is 1000 font units.
  double Koef() const override { return FKind == fkTrueType ? 5.472 : 0; }
  const TvxGlyph* Glyph(char32_t ch, bool = false) override {
    if (ch == U' ' || ch == 0xA0) return &FBlank;
    if (ch < 0x20) return nullptr;
    return &FBox;
  }
  const TvxGlyph* GlyphByCode(uint32_t code, bool = false) override {
    return FKind != fkTrueType && code == 7 ? &FBox : nullptr;
  }
  int ShapeNumber(std::string_view name) override { return name == "BOX" ? 7 : -1; }

 private:
  TvxFontKind FKind;
  TvxGlyph FBlank, FBox;
};

class MonoProvider : public TvxFontProvider {
 public:
  MonoProvider() : FShx(fkShapes), FTrueType(fkTrueType) { FPrevious = SetFontProvider(this); }
  ~MonoProvider() override { SetFontProvider(FPrevious); }
  MonoProvider(const MonoProvider&) = delete;
  MonoProvider& operator=(const MonoProvider&) = delete;

  TvxFontFace* FindFace(const TvxFontRequest& r) override {
    Requests.push_back(r);
    if (r.Kind == fkTrueType) return &FTrueType;
    if (r.Kind == fkShapes && ShxNames.count(r.Name)) return &FShx;
    return nullptr;
  }

  std::set<std::string> ShxNames{"mono", "txt"};
  std::vector<TvxFontRequest> Requests;
  MonoFace FShx, FTrueType;

 private:
  TvxFontProvider* FPrevious = nullptr;
};

}  // namespace vx::test
