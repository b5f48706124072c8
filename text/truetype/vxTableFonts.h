// vxTableFonts: the installed faces (TvxTableFonts, filled once from fontconfig) and the face a
// name resolves to (fontconfig's match, with its substitutions).
//
// The table maps a face name to its font file and back. Face names are the family with " Bold"
// and/or " Italic" appended for those styles ("DejaVu Sans Bold"); file names are the file's own
// name without folders ("DejaVuSans-Bold.ttf"). Both lookups ignore case.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vx::ttf {

enum class TvxFontType : uint8_t { ftNone, ftTrueType, ftOpenTypeCFF, ftOther };
using enum TvxFontType;

class TvxTableFonts {
 public:
  static TvxTableFonts& Instance();

  // The font file of a face name; "" when not installed.
  std::string GetFileName(std::string_view faceName);
  // The face name of a font file (its name, or a path whose last part is used); "" when unknown.
  std::string GetFontName(std::string_view fileName);
  // The full path of the file of a face name; "" when not installed.
  std::string GetFilePath(std::string_view faceName);
  // The outline format of the face named.
  TvxFontType GetFontType(std::string_view faceName);
  int Count();

 private:
  void Fill();
  int IndexOfName(std::string_view faceName);

  std::mutex FLock;
  std::vector<std::string> FFontNames, FFontFiles, FFontPaths;
  std::vector<TvxFontType> FFontTypes;
  std::vector<int> FSortNames, FSortFiles;
  bool FAddedFonts = false;
};

// The face fontconfig gives for a family and style: some installed face for any name, with the
// metric-compatible substitutes for the common names. Synth* say the face lacks the asked-for
// weight or slant (the outline is then emboldened or slanted).
struct TvxFontMatch {
  std::string File;
  int Index = 0;
  std::string Family;
  bool SynthBold = false;
  bool SynthItalic = false;
};
bool MatchFontFace(std::string_view faceName, uint8_t style, TvxFontMatch& match);

// The face name that a style's font file ("arial.ttf", "Arial") stands for: the installed file's
// face, else the file name without folders and extension (left to fontconfig to substitute).
std::string FaceNameOfFontFile(std::string_view fileName);

}  // namespace vx::ttf
