// vxTextFonts: the fonts of the text library as the database's font provider.
//
// InstallTextFonts() sets, once per process, a provider that answers TrueType requests with
// FreeType outlines of the face fontconfig finds (with its substitutions: "Arial" draws with a
// metric-compatible face, any name with some installed face) and SHX requests with the SHX
// fonts found on the search path (the drawing's folder, GlobalSettings.SHXSearchPath, the folders
// of VX_SHX_PATH). An SHX text font that cannot be found is replaced by simplex.shx or else the
// first SHX text font of the search path, and failing that by a TrueType face, so that no text
// vanishes; a missing big font is not replaced (its characters fall back to the main font).
// Programs and tests that draw or measure real text call it before they load drawings.
#pragma once

namespace vx {

class TvxFontProvider;

// Installs the provider (the first call; later calls do nothing) and returns it.
TvxFontProvider* InstallTextFonts();

// The provider without installing it (tests that compare with and without fonts).
TvxFontProvider* TextFontProvider();

}  // namespace vx
