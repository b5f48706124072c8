// The read sequence of a DXF file and the loading part of the DXF image.
#include "readers/dxf/vxDXFImport.h"

#include "database/blocks/vxXRefs.h"
#include "database/core/vxTables.h"
#include "readers/dxf/vxDXFRecordsObjects.h"
#include "readers/dxf/vxDXFSections.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace vx {

namespace {

double MsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The steps after reading: default entries, space blocks and layouts, then the whole-drawing
// passes. They run after an error too, so that no entity is left pointing at a placeholder.
// Symbol elements whose style came later in the file get it now (by handle, so an entry
// replaced or dropped meanwhile is simply not found).
void ResolveLTypeStyles(TdxfLoader& r) {
  TvxDXFTable* ltypes = r.Conv->LTypes();
  TvxDXFTable* styles = r.Conv->Styles();
  if (!ltypes || !styles) return;
  for (const TdxfLoader::TLTypeStyleLink& link : r.PendingLTypeStyles) {
    auto* lt = dynamic_cast<TvxDXFLineType*>(ltypes->FindEntByHandle(link.LType));
    TvxLTypeElement* element = lt ? lt->Lines().GetElement(static_cast<int>(link.Element)) : nullptr;
    if (element) element->Style = dynamic_cast<TvxDXFStyle*>(styles->FindEntByHandle(link.Style));
  }
  r.PendingLTypeStyles.clear();
}

void FinishRead(TdxfLoader& r) {
  TvxDXFConverter* conv = r.Conv;
  conv->FillMainSection();
  conv->FindOrCreateItem("STANDARD", csStyles, true);
  for (const char* name : {"BYBLOCK", "BYLAYER", "CONTINUOUS"}) conv->FindOrCreateItem(name, csLTypes, true);
  conv->LayerByName("0");
  conv->FindOrCreateItem("STANDARD", csDimStyles, true);

  DXFArrangeLayouts(r);
  ResolveLTypeStyles(r);

  conv->ApplyLayerDictionaries();
  conv->ResolveDrawingLinks();
  conv->LoadDrawing();
  r.ResolveExtendedData();
}

// Ends the load on every path: status, section initialisation, draw order.
struct TvxReadEnd {
  TvxDXFConverter* Conv;
  bool Done = false;
  void Finish() {
    if (Done) return;
    Done = true;
    if (Conv->EndReading()) Conv->SortEntities();
  }
  ~TvxReadEnd() {
    try {
      Finish();
    } catch (...) {
    }
  }
};

thread_local TvxDXFLoader* GLoadingImage = nullptr;

}  // namespace

void LoadDXF(TvxDXFConverter* conv, const TdxfSource& source, TvxDXFLoadResult& result) {
  result = {};
  if (!conv) return;
  const auto t0 = std::chrono::steady_clock::now();
  std::unique_ptr<TdxfReader> tokens = CreateDXFTokenReader(source);
  result.Binary = tokens->IsBinary();

  conv->Clear();
  conv->BeginReading();
  TvxReadEnd end{conv};
  TdxfLoader loader(*tokens, conv);
  TdxfMain main;
  main.FEnt = conv->Main();
  main.FAdded = main.FFinal = true;

  std::string error;
  if (conv->BeforeRead) conv->BeforeRead(conv);
  try {
    main.ReadRecord(loader);
  } catch (const std::exception& e) {
    error = tokens->ReadErrorMessage(e.what());
  }
  result.ReadMs = MsSince(t0);
  result.Records = loader.RecordsRead();
  result.Dropped = loader.DroppedRecords;
  result.FileInfo = loader.FileInfo();
  result.VersionText = loader.VersionText;

  const auto t1 = std::chrono::steady_clock::now();
  try {
    FinishRead(loader);
    if (error.empty() && conv->AfterRead) conv->AfterRead(conv);
  } catch (const std::exception& e) {
    if (error.empty()) error = e.what();
    // Nothing may keep pointing into a half-finished drawing.
    conv->Clear();
  }
  end.Finish();
  result.LoadMs = MsSince(t1);
  if (!error.empty()) throw EdxfReadError(error);
}

// ---- registration ---------------------------------------------------------------------------

void RegisterDXFFormat() {
  RegisterXrefLoader("dxf", [](TvxDXFConverter* drawing, const std::string& path) {
    std::error_code ec;
    std::ifstream f;
    if (!std::filesystem::is_directory(path, ec)) f.open(path, std::ios::binary);
    if (!f.is_open()) throw std::runtime_error("Cannot open file " + path);
    LoadDXF(drawing, TdxfSource::FromStream(f));
  });
}

namespace {
const bool GDXFRegistered = (RegisterDXFFormat(), true);
}  // namespace

// ---- the image ------------------------------------------------------------------------------

TvxDXFLoader::TvxDXFLoader() : FConverter(TvxDXFConverter::Create()) {}

TvxDXFLoader::~TvxDXFLoader() {
  if (FConverter) FConverter->Release();
}

TvxDXFLoader* TvxDXFLoader::LoadingImage() { return GLoadingImage; }

TFRect TvxDXFLoader::Extents() const { return FConverter ? FConverter->Extents() : BadBox; }

void TvxDXFLoader::Load(const TdxfSource& source) {
  struct TvxLoadingSlot {
    TvxDXFLoader* Prev;
    explicit TvxLoadingSlot(TvxDXFLoader* self) : Prev(GLoadingImage) { GLoadingImage = self; }
    ~TvxLoadingSlot() { GLoadingImage = Prev; }
  } slot(this);
  FMessage = "Loading file...";
  FFileInfo.clear();
  FLastLoad = {};
  try {
    LoadDXF(FConverter, source, FLastLoad);
  } catch (...) {
    FFileInfo = FLastLoad.FileInfo;
    FMessage.clear();
    throw;
  }
  FFileInfo = FLastLoad.FileInfo;
  FMessage.clear();
}

void TvxDXFLoader::LoadFromStream(std::istream& stream) { Load(TdxfSource::FromStream(stream)); }

void TvxDXFLoader::LoadFromFile(const std::string& fileName) {
  std::error_code ec;
  std::ifstream f;
  if (!std::filesystem::is_directory(fileName, ec)) f.open(fileName, std::ios::binary);
  if (!f.is_open()) throw std::runtime_error("Cannot open file " + fileName);
  FConverter->SetFileName(fileName);
  LoadFromStream(f);
}

void TvxDXFLoader::LoadFromBuffer(const void* data, size_t size) {
  Load(TdxfSource::FromBytes(data, size));
}

}  // namespace vx
