#include "text/shx/vxSHXFontList.h"

#include "database/core/vxSettings.h"
#include "text/shx/vxSHXFont.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace vx::shx {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

void SplitInto(const std::string& list, char sep, std::vector<std::string>& out) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(sep, start);
    if (end == std::string::npos) end = list.size();
    std::string part = Trim(list.substr(start, end - start));
    if (!part.empty()) out.push_back(part);
    start = end + 1;
  }
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

// Names written on another system may use backslashes.
std::string Slashes(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

// The file names a font name may have: as given, or with ".shx" added when it has no extension.
std::vector<std::string> Candidates(const std::string& fileName) {
  if (fileName.find('.') == std::string::npos) return {fileName + ".shx", fileName};
  return {fileName};
}

bool IsTextFont(const TvxSHXFont* f) {
  return f && ((f->FKind == cnstSHXShapes && !f->FIsShape) || f->FKind == cnstSHXUnicode);
}

}  // namespace

TvxSHXFontList::TvxSHXFontList() = default;
TvxSHXFontList::~TvxSHXFontList() = default;

TvxSHXFontList& SHXFontList() {
  static TvxSHXFontList* list = new TvxSHXFontList();  // lives as long as the faces it hands out
  return *list;
}

std::vector<std::string> TvxSHXFontList::SearchPath(const std::string& drawingFolder) {
  std::vector<std::string> parts;
  if (!drawingFolder.empty()) parts.push_back(Slashes(drawingFolder));
  SplitInto(Slashes(GlobalSettings.SHXSearchPath), ';', parts);
  if (const char* env = std::getenv(cnstSHXPathVariable)) SplitInto(env, ':', parts);
  std::vector<std::string> out;
  for (std::string& p : parts) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (IsFolder(p) && std::find(out.begin(), out.end(), p) == out.end()) out.push_back(p);
  }
  return out;
}

const std::map<std::string, std::string>& TvxSHXFontList::Listing(const std::string& folder) {
  auto it = FListings.find(folder);
  if (it != FListings.end()) return it->second;
  std::map<std::string, std::string>& names = FListings[folder];
  std::error_code ec;
  for (fs::directory_iterator d(folder, ec), end; !ec && d != end; d.increment(ec)) {
    std::error_code fec;
    if (!d->is_regular_file(fec)) continue;
    const std::string name = d->path().filename().string();
    names.emplace(Lower(name), name);
  }
  return names;
}

std::string TvxSHXFontList::MatchInFolder(const std::string& folder, const std::string& fileName) {
  std::error_code ec;
  const std::string exact = folder + "/" + fileName;
  if (fs::is_regular_file(exact, ec)) return exact;
  const auto& names = Listing(folder);
  auto it = names.find(Lower(fileName));
  return it == names.end() ? std::string() : folder + "/" + it->second;
}

std::string TvxSHXFontList::FindFile(const std::string& rawName, const std::string& drawingFolder) {
  const std::string name = Slashes(Trim(rawName));
  if (name.empty()) return {};
  std::lock_guard<std::recursive_mutex> guard(FLock);
  const size_t slash = name.find_last_of('/');
  const std::string fileName = slash == std::string::npos ? name : name.substr(slash + 1);
  if (fileName.empty()) return {};
  const std::vector<std::string> folders = SearchPath(drawingFolder);
  if (slash != std::string::npos) {
    const std::string folder = slash == 0 ? "/" : name.substr(0, slash);
    if (IsFolder(folder))
      for (const std::string& c : Candidates(fileName))
        if (std::string p = MatchInFolder(folder, c); !p.empty()) return p;
  }
  for (const std::string& folder : folders)
    for (const std::string& c : Candidates(fileName))
      if (std::string p = MatchInFolder(folder, c); !p.empty()) return p;
  return {};
}

TvxSHXFont* TvxSHXFontList::FontOfFileLocked(const std::string& path) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(path, ec);
  const std::string key = ec ? path : canonical.string();
  auto it = FFonts.find(key);
  if (it != FFonts.end()) return it->second.get();
  auto font = std::make_unique<TvxSHXFont>(key);
  if (!font->Load()) font.reset();
  return (FFonts[key] = std::move(font)).get();
}

TvxSHXFont* TvxSHXFontList::FontOfFile(const std::string& path) {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  return FontOfFileLocked(path);
}

TvxSHXFont* TvxSHXFontList::FindFont(const std::string& name, const std::string& drawingFolder) {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  const std::string path = FindFile(name, drawingFolder);
  TvxSHXFont* f = path.empty() ? nullptr : FontOfFileLocked(path);
  if (!f) FMissedFonts.insert(Trim(name));
  return f;
}

TvxSHXFont* TvxSHXFontList::SubstituteFont(const std::string& drawingFolder) {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  if (const std::string p = FindFile(cnstSHXDefaultFont, drawingFolder); !p.empty())
    if (TvxSHXFont* f = FontOfFileLocked(p); IsTextFont(f)) return f;
  for (const std::string& folder : SearchPath(drawingFolder)) {
    for (const auto& [lower, name] : Listing(folder)) {
      if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".shx") != 0) continue;
      if (TvxSHXFont* f = FontOfFileLocked(folder + "/" + name); IsTextFont(f)) return f;
    }
  }
  return nullptr;
}

std::vector<std::string> TvxSHXFontList::MissedFonts() {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  return {FMissedFonts.begin(), FMissedFonts.end()};
}

void TvxSHXFontList::ClearFolderCache() {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  FListings.clear();
}

}  // namespace vx::shx
