// The graphic/picture layer: base defaults, the extension registry and raster pictures.
#include "render/vxGraphic.h"

#include "render/vxCADdwgImage.h"
#include "render/vxCADdxfImage.h"

#include <QByteArray>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vx {

namespace {
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string ExtKey(const std::string& ext) {
  return Lower(!ext.empty() && ext[0] == '.' ? ext.substr(1) : ext);
}
}  // namespace

std::string FileExtension(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("\\/:");
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return Lower(fileName.substr(dot + 1));
}

// ---- TvxGraphic -----------------------------------------------------------------------------

void TvxGraphic::SetTransparent(bool t) {
  if (t == FTransparent) return;
  FTransparent = t;
  Changed();
}

void TvxGraphic::LoadFromFile(const std::string& fileName) {
  std::ifstream f;
  std::error_code ec;
  if (!std::filesystem::is_directory(fileName, ec)) f.open(fileName, std::ios::binary);
  if (!f.is_open()) throw std::runtime_error("Cannot open file " + fileName);
  LoadFromStream(f);
}

// ---- registry -------------------------------------------------------------------------------

TvxGraphicRegistry& TvxGraphicRegistry::Instance() {
  static TvxGraphicRegistry registry;
  return registry;
}

TvxGraphicRegistry::TvxGraphicRegistry() {
  auto raster = [] { return std::make_unique<TvxRasterGraphic>(); };
  Register("bmp", "Bitmaps", "TvxRasterGraphic", raster);
  Register("ico", "Icons", "TvxRasterGraphic", raster);
  Register("png", "Portable Network Graphics", "TvxRasterGraphic", raster);
  Register("tif", "TIFF Images", "TvxRasterGraphic", raster);
  Register("tiff", "TIFF Images", "TvxRasterGraphic", raster);
  // The drawing formats built into this library.
  FFormats.push_back({"dxf", "AutoCAD DXF", TvxCADdxfImage::cnstClipboardName,
                      [] { return std::make_unique<TvxCADdxfImage>(); }, "TvxCADdxfImage"});
  RegisterDWGImage(*this);
}

void TvxGraphicRegistry::Register(const std::string& extension, const std::string& description,
                                  const std::string& className, TvxGraphicFactory factory,
                                  const std::string& clipboardName) {
  const std::string key = ExtKey(extension);
  if (key.empty()) return;
  TvxGraphicFormat row{key, description, clipboardName, std::move(factory), className};
  for (TvxGraphicFormat& f : FFormats)
    if (f.Extension == key) {
      f = std::move(row);
      return;
    }
  FFormats.push_back(std::move(row));
}

void TvxGraphicRegistry::UnregisterClass(const std::string& className) {
  std::erase_if(FFormats, [&](const TvxGraphicFormat& f) { return f.ClassName == className; });
}

const TvxGraphicFormat* TvxGraphicRegistry::Find(const std::string& extension) const {
  const std::string key = ExtKey(extension);
  for (const TvxGraphicFormat& f : FFormats)
    if (f.Extension == key) return &f;
  return nullptr;
}

std::string TvxGraphicRegistry::FileFilter() const {
  std::string out;
  for (const TvxGraphicFormat& f : FFormats) {
    if (!out.empty()) out += '|';
    out += f.Description + " (*." + f.Extension + ")|*." + f.Extension;
  }
  return out;
}

// ---- raster pictures ------------------------------------------------------------------------

void TvxRasterGraphic::Draw(QPainter& canvas, const QRect& rect) {
  if (FImage.isNull()) return;
  canvas.drawImage(rect, FImage);
}

void TvxRasterGraphic::LoadFromStream(std::istream& stream) {
  const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  QImage image;
  if (!image.loadFromData(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))))
    throw EvxInvalidGraphic("Invalid image");
  // fromRawData does not copy: detach before the buffer goes.
  FImage = image.copy();
  Changed();
}

bool TvxRasterGraphic::Assign(const TvxGraphic& source) {
  const auto* src = dynamic_cast<const TvxRasterGraphic*>(&source);
  if (!src) return false;
  FImage = src->FImage;
  Changed();
  return true;
}

// ---- picture --------------------------------------------------------------------------------

void TvxPicture::SetGraphic(std::unique_ptr<TvxGraphic> g) {
  FGraphic = std::move(g);
  if (FGraphic) {
    FGraphic->OnChange = [this](TvxGraphic*) {
      if (OnChange) OnChange(FGraphic.get());
    };
    FGraphic->OnProgress = [this](TvxGraphic* g, TvxProgressStage s, int p, const std::string& m) {
      if (OnProgress) OnProgress(g, s, p, m);
    };
  }
  if (OnChange) OnChange(FGraphic.get());
}

void TvxPicture::LoadFromFile(const std::string& fileName) {
  const TvxGraphicFormat* format = TvxGraphicRegistry::Instance().Find(FileExtension(fileName));
  if (!format || !format->Factory) {
    // The message shows the extension as the user wrote it.
    const size_t slash = fileName.find_last_of("\\/:"), dot = fileName.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    throw EvxInvalidGraphic("Extension de fichier image inconnue (." +
                            (hasExt ? fileName.substr(dot + 1) : std::string()) + ")");
  }
  std::unique_ptr<TvxGraphic> g = format->Factory();
  g->OnProgress = [this](TvxGraphic* gr, TvxProgressStage s, int p, const std::string& m) {
    if (OnProgress) OnProgress(gr, s, p, m);
  };
  g->LoadFromFile(fileName);
  SetGraphic(std::move(g));
}

}  // namespace vx
