// vxSHXFontList: finding SHX files on disk and keeping the loaded fonts of the process.
//
// The search path, in order: the drawing's own folder, the process-wide extra folders
// (GlobalSettings.SHXSearchPath, ";"-separated) and the folders of the environment variable
// VX_SHX_PATH (":"-separated); folders that do not exist are left out. Names match file names
// case-insensitively ("ROMANS.SHX" finds romans.shx) without touching the case of the folders;
// ".shx" may be left off ("txt" finds txt.shx). A name with a folder is tried as given, then its
// file-name part on the search path. Folder listings and loaded fonts are kept for the process;
// fonts are never freed before the list, so the faces handed out stay valid.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace vx::shx {

class TvxSHXFont;

// The environment variable with extra folders.
constexpr const char* cnstSHXPathVariable = "VX_SHX_PATH";
// The font a missing text font is drawn with first, when the search path holds it.
constexpr const char* cnstSHXDefaultFont = "simplex.shx";

class TvxSHXFontList {
 public:
  TvxSHXFontList();
  ~TvxSHXFontList();

  // The folders searched for a drawing in drawingFolder (may be empty).
  std::vector<std::string> SearchPath(const std::string& drawingFolder);
  // The file a font name resolves to on the search path; empty when none.
  std::string FindFile(const std::string& name, const std::string& drawingFolder);
  // The loaded font of a name; nullptr when no file is found or it is no SHX file. Names that
  // cannot be resolved are remembered in MissedFonts.
  TvxSHXFont* FindFont(const std::string& name, const std::string& drawingFolder);
  // The font a missing text font is drawn with: the default font on the search path, else the
  // first text font (kind 0 with font information, or a Unicode font) of the search path in
  // folder order and, within a folder, file-name order. nullptr when there is none.
  TvxSHXFont* SubstituteFont(const std::string& drawingFolder);
  // The font of a file (loaded once per path); nullptr when it does not load.
  TvxSHXFont* FontOfFile(const std::string& path);

  std::vector<std::string> MissedFonts();
  // Forgets folder listings (files added since are seen again); loaded fonts stay.
  void ClearFolderCache();

 private:
  // Lower-cased file name -> file name, for a folder (cached).
  const std::map<std::string, std::string>& Listing(const std::string& folder);
  std::string MatchInFolder(const std::string& folder, const std::string& fileName);
  TvxSHXFont* FontOfFileLocked(const std::string& path);

  std::recursive_mutex FLock;
  std::map<std::string, std::map<std::string, std::string>> FListings;
  std::map<std::string, std::unique_ptr<TvxSHXFont>> FFonts;  // by path; null: does not load
  std::set<std::string> FMissedFonts;
};

// The process's list.
TvxSHXFontList& SHXFontList();

}  // namespace vx::shx
