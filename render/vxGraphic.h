// vxGraphic: the graphic/picture layer. TvxGraphic is the abstract drawable picture (draws
// itself into a rectangle of a QPainter, knows its nominal size, loads from a stream or a
// file); TvxPicture holds one graphic and picks its class from the file extension through a
// case-insensitive registry of graphic classes (extension -> description, clipboard name,
// factory). TvxRasterGraphic wraps a QImage for the raster formats.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vx {

class TvxGraphic;

enum class TvxProgressStage : uint8_t { psStarting, psRunning, psEnding };
using enum TvxProgressStage;

// (stage, percent done, message)
using TvxProgressEvent = std::function<void(TvxGraphic*, TvxProgressStage, int, const std::string&)>;
using TvxNotifyEvent = std::function<void(TvxGraphic*)>;

// Raised for picture errors (unknown extension, unreadable file).
class EvxInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TvxGraphic {
 public:
  TvxGraphic() = default;
  TvxGraphic(const TvxGraphic&) = delete;
  TvxGraphic& operator=(const TvxGraphic&) = delete;
  virtual ~TvxGraphic() = default;

  // Draws the whole picture stretched into rect.
  virtual void Draw(QPainter& canvas, const QRect& rect) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int) {}
  virtual void SetHeight(int) {}
  virtual bool Empty() const = 0;
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool t);
  virtual void LoadFromStream(std::istream& stream) = 0;
  virtual void LoadFromFile(const std::string& fileName);
  // Copies another graphic's content where the classes allow it; false otherwise.
  virtual bool Assign(const TvxGraphic& source) { return false; }

  TvxNotifyEvent OnChange;
  TvxProgressEvent OnProgress;

 protected:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  void Progress(TvxProgressStage stage, int percent, const std::string& msg) {
    if (OnProgress) OnProgress(this, stage, percent, msg);
  }

  bool FTransparent = false;
};

using TvxGraphicFactory = std::function<std::unique_ptr<TvxGraphic>()>;

// One row of the registry.
struct TvxGraphicFormat {
  std::string Extension;   // lower case, without the point
  std::string Description;
  std::string ClipboardName;  // empty when the class has no clipboard format
  TvxGraphicFactory Factory;
  std::string ClassName;      // identifies the registering class (for unregistering)
};

// The process-wide registry of graphic classes by file extension. Lookups ignore case and a
// leading point; a later registration of the same extension replaces the earlier one.
class TvxGraphicRegistry {
 public:
  static TvxGraphicRegistry& Instance();
  void Register(const std::string& extension, const std::string& description,
                const std::string& className, TvxGraphicFactory factory,
                const std::string& clipboardName = {});
  void UnregisterClass(const std::string& className);
  const TvxGraphicFormat* Find(const std::string& extension) const;
  const std::vector<TvxGraphicFormat>& Formats() const { return FFormats; }
  // "Description (*.ext)|*.ext|..." for an open dialog, in order of registration.
  std::string FileFilter() const;

 private:
  TvxGraphicRegistry();
  std::vector<TvxGraphicFormat> FFormats;
};

// A raster picture read through QImage.
class TvxRasterGraphic : public TvxGraphic {
 public:
  void Draw(QPainter& canvas, const QRect& rect) override;
  int Width() const override { return FImage.width(); }
  int Height() const override { return FImage.height(); }
  bool Empty() const override { return FImage.isNull(); }
  void LoadFromStream(std::istream& stream) override;
  bool Assign(const TvxGraphic& source) override;
  const QImage& Image() const { return FImage; }
  void SetImage(const QImage& image) {
    FImage = image;
    Changed();
  }

 private:
  QImage FImage;
};

// Holds one graphic; loads by extension.
class TvxPicture {
 public:
  TvxGraphic* Graphic() const { return FGraphic.get(); }
  void SetGraphic(std::unique_ptr<TvxGraphic> g);
  // Makes the graphic of the extension's class and loads the file into it. An unknown
  // extension raises "Extension de fichier image inconnue (.ext)".
  void LoadFromFile(const std::string& fileName);
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  TvxNotifyEvent OnChange;
  TvxProgressEvent OnProgress;

 private:
  std::unique_ptr<TvxGraphic> FGraphic;
};

// The extension of a file name in lower case, without the point ("" when none).
std::string FileExtension(const std::string& fileName);

}  // namespace vx
