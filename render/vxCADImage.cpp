// TvxCADImage: construction, the shared database, Assign, loading and progress, and the
// image-wide state (the loading image of a thread, the current drawing image).
#include "render/vxCADImage.h"

#include "render/vxDrawWalk.h"
#include "render/vxSelectionMatrix.h"

#include <QUuid>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <fstream>

namespace vx {

namespace {
thread_local TvxCADImage* GLoadingImage = nullptr;
TvxCADImage* GCurrentDrawingImage = nullptr;

// Used when the system cannot make a GUID.
constexpr const char* cnstFallbackGuid = "{4B1B2D0E-6A3C-4F5E-9D7A-1C2B3D4E5F60}";
}  // namespace

TvxCADImage::TvxCADImage() : FWalk(std::make_unique<TvxDrawWalkState>(*this)) {
  const QUuid id = QUuid::createUuid();
  FGuid = id.isNull() ? cnstFallbackGuid : id.toString(QUuid::WithBraces).toUpper().toStdString();
  TFMatrix m = cnstIdentityMat;
  m.M[1][1] = -1;
  FDraw.Matrix = FDraw.DrawMatrix = m;
  FDrawSaved = FDraw;
  FChangeBackgroundColor = ContrastColor(FBackgroundColor);
  FConverter = CreateConverter();
}

void TvxCADImage::AddDrawTarget(TvxDrawTarget* target) {
  TvxDrawWalkState& w = *FWalk;
  const int before = w.Output.Count();
  w.Output.Insert(w.OwnTargets, target);
  if (w.Output.Count() > before) ++w.OwnTargets;
}

void TvxCADImage::RemoveDrawTarget(TvxDrawTarget* target) {
  TvxDrawWalkState& w = *FWalk;
  // the image's own targets stay
  if (target == &w.HookTarget || target == &w.MatrixTarget || target == &w.CanvasTarget) return;
  if (w.Output.Remove(target)) --w.OwnTargets;
}

TvxCADImage::~TvxCADImage() {
  if (GCurrentDrawingImage == this) GCurrentDrawingImage = nullptr;
  if (GLoadingImage == this) GLoadingImage = nullptr;
  delete FSelectionMatrix;
  if (FConverter) {
    // The database may outlive this image (shared by Assign): leave no pointer into it.
    if (FConverter->Params() == &FDraw) FConverter->SetParams(nullptr);
    FConverter->Release();
  }
}

TvxDXFConverter* TvxCADImage::CreateConverter() {
  TvxConverterParams params;
  GetConverterParams(params);
  return TvxDXFConverter::CreateEx(params);
}

void TvxCADImage::GetConverterParams(TvxConverterParams& params) { params = {}; }

void TvxCADImage::SetConverter(TvxDXFConverter* conv) {
  if (conv == FConverter) return;
  FCurrentLayout = nullptr;
  TvxDXFConverter* old = FConverter;
  FConverter = conv;
  if (old) {
    if (old->Params() == &FDraw) old->SetParams(nullptr);
    old->Release();
  }
}

int TvxCADImage::LayoutsCount() const { return FConverter ? FConverter->LayoutsCount() : 0; }

TvxDXFLayout* TvxCADImage::Layouts(int i) const {
  if (!FConverter || i < 0 || i >= FConverter->LayoutsCount()) return nullptr;
  return FConverter->Layouts(i);
}

void TvxCADImage::StopLoading() {
  if (FConverter) FConverter->StopLoading();
}

bool TvxCADImage::IsLoading() const { return GLoadingImage == this; }
TvxCADImage* TvxCADImage::LoadingImage() { return GLoadingImage; }
TvxCADImage* TvxCADImage::CurrentDrawingImage() { return GCurrentDrawingImage; }
void TvxCADImage::SetCurrentDrawingImage(TvxCADImage* image) { GCurrentDrawingImage = image; }

void TvxCADImage::SetSelectionMatrix(TvxSelectionMatrix* m) {
  if (m == FSelectionMatrix) return;
  delete FSelectionMatrix;
  FSelectionMatrix = m;
}

std::string TvxCADImage::BareFileName(const std::string& path) {
  const size_t i = path.find_last_of("\\/:");
  return i == std::string::npos ? path : path.substr(i + 1);
}

// ---- Assign ---------------------------------------------------------------------------------

bool TvxCADImage::Assign(const TvxGraphic& source) {
  const auto* src = dynamic_cast<const TvxCADImage*>(&source);
  if (!src) return TvxGraphic::Assign(source);
  if (src == this) return true;
  if (src->FConverter != FConverter) {
    if (src->FConverter) src->FConverter->Reference();
    SetConverter(src->FConverter);
  }
  FExtents = src->FExtents;
  FPureExtents = src->FPureExtents;
  FCenter = src->FCenter;
  FOffset = src->FOffset;
  FColorToLineWeight = src->FColorToLineWeight;
  FCurrentLayout = src->FCurrentLayout;
  FBackgroundColor = src->FBackgroundColor;
  FChangeBackgroundColor = src->FChangeBackgroundColor;
  FDefaultColor = src->FDefaultColor;
  FDimensionsVisible = src->FDimensionsVisible;
  FDrawingBox = src->FDrawingBox;
  FDrawMode = src->FDrawMode;
  FClippingRect = src->FClippingRect ? std::make_unique<TFRect>(*src->FClippingRect) : nullptr;
  FUsePlotSetting = src->FUsePlotSetting;
  FPlotWindowAreaColor = src->FPlotWindowAreaColor;
  FTextVisible = src->FTextVisible;
  FUseWinEllipse = src->FUseWinEllipse;
  FAntialias = src->FAntialias;
  FBorderSize = src->FBorderSize;
  FBorderType = src->FBorderType;
  FIsWithoutBorder = src->FIsWithoutBorder;
  FFileName = src->FFileName;
  FFileInfo = src->FFileInfo;
  Changed();
  return true;
}

// ---- loading --------------------------------------------------------------------------------

void TvxCADImage::LoadFromStream(std::istream& stream) {
  FSourceCopy.clear();
  if (!KeepSourceCopy) return;
  const std::istream::pos_type pos = stream.tellg();
  FSourceCopy.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  stream.clear();
  if (pos != std::istream::pos_type(-1)) stream.seekg(pos);
}

void TvxCADImage::SaveToStream(std::ostream& stream) const {
  if (!FSourceCopy.empty()) {
    stream.write(FSourceCopy.data(), static_cast<std::streamsize>(FSourceCopy.size()));
  } else if (FConverter && !FConverter->Source().empty()) {
    const std::vector<uint8_t>& src = FConverter->Source();
    stream.write(reinterpret_cast<const char*>(src.data()), static_cast<std::streamsize>(src.size()));
  }
}

void TvxCADImage::SaveToFile(const std::string& fileName) const {
  std::ofstream f(fileName, std::ios::binary);
  if (!f.is_open()) throw std::runtime_error("Cannot create file " + fileName);
  SaveToStream(f);
}

const std::vector<TColor>& TvxCADImage::Palette() {
  static const std::vector<TColor> palette = [] {
    std::vector<TColor> p(216);
    for (TColor i = 0; i < 216; ++i) p[i] = (i % 6) * 51 | (((i / 6) % 6) * 51) << 8 | ((i / 36) * 51) << 16;
    return p;
  }();
  return palette;
}

void TvxCADImage::ProgressByCount(int64_t count, int64_t total) {
  if (total <= 0) return;
  const int64_t pct = std::clamp<int64_t>(count, 0, total) * 100 / total;
  ReportProgress(psRunning, static_cast<int>(pct), FMessage);
}

void TvxCADImage::LoadFromFile(const std::string& fileName) {
  std::ifstream f;
  if (!std::filesystem::is_directory(fileName)) f.open(fileName, std::ios::binary);
  if (!f.is_open()) throw std::runtime_error("Cannot open file " + fileName);
  FFileName = fileName;
  // The database keeps the full path: external references resolve against its folder, so the
  // process's current directory is never changed.
  if (FConverter) FConverter->SetFileName(fileName);
  LoadFromStream(f);
}

TvxCADImage::TvxLoadingScope::TvxLoadingScope(TvxCADImage* image, size_t size)
    : FImage(image), FPrev(GLoadingImage) {
  GLoadingImage = image;
  image->FLoadSize = size;
  image->FLastProgressBucket = -1;
  image->FMessage = "Loading file...";
  TvxDXFConverter* conv = image->FConverter;
  if (!conv) return;
  // The reading callbacks live only as long as this load: a shared database must never call
  // back into an image that is gone.
  FBefore = conv->BeforeRead;
  FRead = conv->OnRead;
  FAfter = conv->AfterRead;
  conv->BeforeRead = [image](TvxDXFConverter*) {
    image->ReportProgress(psStarting, 0, image->FMessage);
  };
  conv->OnRead = [image](TvxDXFConverter* c) {
    const size_t total = image->FLoadSize ? image->FLoadSize : 1;
    const size_t pos = std::min(c->Pos(), total);
    image->ReportProgress(psRunning, static_cast<int>(pos * 100 / total), image->FMessage);
  };
  conv->AfterRead = [image](TvxDXFConverter*) {
    image->FMessage = "Loading entities...";
    image->ReportProgress(psEnding, 100, image->FMessage);
  };
}

TvxCADImage::TvxLoadingScope::~TvxLoadingScope() {
  GLoadingImage = FPrev;
  if (TvxDXFConverter* conv = FImage->FConverter) {
    conv->BeforeRead = FBefore;
    conv->OnRead = FRead;
    conv->AfterRead = FAfter;
  }
  FImage->FMessage.clear();
}

void TvxCADImage::ReportProgress(TvxProgressStage stage, int percent, const std::string& msg) {
  if (!FIsProcessMessages || !OnProgress) return;
  if (stage == psRunning) {
    // One report per 256 ms bucket of the tick count.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    const int64_t bucket = static_cast<int64_t>(ms) & ~int64_t{0xFF};
    if (bucket == FLastProgressBucket) return;
    FLastProgressBucket = bucket;
  }
  Progress(stage, percent, msg);
}

void TvxCADImage::AfterLoad() {
  FCurrentLayout = nullptr;
  if (!FConverter) return;
  // The drawing's own view twist turns the model layout.
  if (TvxDXFLayout* model = Layouts(0)) {
    FCurrentLayout = model;
    BeginRotate();
    TFMatrix twist = FConverter->ViewTwistMatrix();
    bool finite = true;
    for (const auto& row : twist.M)
      for (double v : row) finite = finite && std::isfinite(v);
    model->SetRotMatrix(finite ? twist : cnstIdentityMat);
    EndRotate();
  }
  GetExtents();
}

// ---- units and defaults ---------------------------------------------------------------------

bool TvxCADImage::GetMillimetres() {
  if (FMillimetres < 0 && FConverter) FMillimetres = FConverter->HeadVarStruct().Measurement ? 1 : 0;
  return FMillimetres > 0;
}

void TvxCADImage::Measurement(TvxDistanceUnits& du, TvxAngularUnits& au) const {
  du = duNone;
  if (FConverter) du = FConverter->HeadVarStruct().Measurement ? duMM : duInch;
  au = auNone;
}

void TvxCADImage::SetDefaultViewModePlotSettings() {
  FShowPlotSetting = true;
  FShowPlotMargins = true;
  FShowPlotForModel = false;
}

bool TvxCADImage::IsCurLayoutShowPlot() const {
  return FShowPlotSetting && FCurrentLayout && (!FCurrentLayout->IsModel() || FShowPlotForModel);
}

TvxCADImage* NewImageForExtension(const std::string& extension) {
  const TvxGraphicFormat* f = TvxGraphicRegistry::Instance().Find(extension);
  if (!f || !f->Factory) return nullptr;
  std::unique_ptr<TvxGraphic> g = f->Factory();
  auto* image = dynamic_cast<TvxCADImage*>(g.get());
  if (image) g.release();
  return image;
}

}  // namespace vx
