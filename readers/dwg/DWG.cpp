// The read sequence of a DWG file and the loading part of the DWG image.
#include "readers/dwg/DWG.h"

#include "database/blocks/vxXRefs.h"
#include "readers/dwg/stream/vxDWGErrors.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vx {

namespace {

double MsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The steps after reading, on every path, so that nothing is left pointing at a placeholder.
void FinishRead(TvxDXFConverter* conv) {
  conv->FillMainSection();
  conv->FindOrCreateItem("STANDARD", csStyles, true);
  for (const char* name : {"BYBLOCK", "BYLAYER", "CONTINUOUS"}) conv->FindOrCreateItem(name, csLTypes, true);
  conv->LayerByName("0");
  conv->FindOrCreateItem("STANDARD", csDimStyles, true);
  conv->ApplyLayerDictionaries();
  conv->ResolveDrawingLinks();
  conv->LoadDrawing();
}

struct TReadEnd {
  TvxDXFConverter* Conv;
  bool Done = false;
  bool Finish() {
    if (Done) return true;
    Done = true;
    if (!Conv->EndReading()) return false;
    Conv->SortEntities();
    return true;
  }
  ~TReadEnd() {
    try {
      Finish();
    } catch (...) {
    }
  }
};

}  // namespace

bool LooksLikeDWG(const uint8_t* data, size_t size) {
  if (size < 6 || data[0] != 'A' || data[1] != 'C') return false;
  if (data[2] == '2' && data[3] == '.') return true;
  return data[2] == '1' && data[3] >= '0' && data[3] <= '9' && data[4] >= '0' && data[4] <= '9';
}

void LoadDWG(TvxDXFConverter* conv, std::vector<uint8_t> file, TvxDWGLoadResult& result) {
  result = {};
  if (!conv) return;
  const auto t0 = std::chrono::steady_clock::now();
  if (!file.empty()) {
    result.VersionText.assign(reinterpret_cast<const char*>(file.data()), std::min<size_t>(6, file.size()));
    result.Version = DWGVersionOfMagic(file.data(), file.size());
    if (result.Version < acR13)
      throw EdwgError("DWG files of release R12 and older are not read: \"" + result.VersionText + "\"");
  }
  conv->Clear();
  conv->BeginReading();
  TReadEnd end{conv};
  std::string error, objectError;
  TdwgReader reader(conv);
  if (conv->BeforeRead) conv->BeforeRead(conv);
  if (!file.empty()) {
    result.Empty = false;
    try {
      reader.ReadFile(std::move(file), result.Version);
    } catch (const std::exception& e) {
      error = e.what();
    }
  }
  result.Stats = reader.Stats;
  result.CorrectedBytes = reader.File.CorrectedBytes;
  result.FailedPages = reader.File.FailedPages;
  result.Millimetres = conv->HeadVarStruct().Measurement;
  objectError = reader.ErrorMessage();
  result.ReadMs = MsSince(t0);
  const auto t1 = std::chrono::steady_clock::now();
  try {
    FinishRead(conv);
    if (error.empty() && conv->AfterRead) conv->AfterRead(conv);
  } catch (const std::exception& e) {
    if (error.empty()) error = e.what();
    conv->Clear();
  }
  const bool alive = end.Finish();
  result.LoadMs = MsSince(t1);
  // The in-memory image stays with the drawing: objects may refer into it.
  if (alive) conv->SetSource(std::move(reader.File.Image));
  if (!error.empty()) throw EdwgError(error);
  if (!objectError.empty()) throw EdwgError(objectError);
}

// ---- registration ---------------------------------------------------------------------------

void RegisterDWGFormat() {
  RegisterXrefLoader("dwg", [](TvxDXFConverter* drawing, const std::string& path) {
    std::error_code ec;
    std::ifstream f;
    if (!std::filesystem::is_directory(path, ec)) f.open(path, std::ios::binary);
    if (!f.is_open()) throw std::runtime_error("Cannot open file " + path);
    LoadDWG(drawing, ReadDWGStream(f));
  });
}

namespace {
const bool GDWGRegistered = (RegisterDWGFormat(), true);
}  // namespace

// ---- the loader -----------------------------------------------------------------------------

TvxDWGLoader::TvxDWGLoader() : FConverter(TvxDXFConverter::Create()) {}

TvxDWGLoader::~TvxDWGLoader() {
  if (FConverter) FConverter->Release();
}

std::vector<uint8_t> ReadDWGStream(std::istream& stream) {
  std::vector<uint8_t> bytes;
  const std::istream::pos_type start = stream.tellg();
  stream.seekg(0, std::ios::end);
  const std::istream::pos_type end = stream.tellg();
  if (start != std::istream::pos_type(-1) && end != std::istream::pos_type(-1) && end >= start) {
    // A seekable stream is read in one piece.
    bytes.resize(size_t(end - start));
    stream.seekg(start);
    stream.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(std::max<std::streamsize>(0, stream.gcount())));
    return bytes;
  }
  stream.clear();
  stream.seekg(start);
  bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  return bytes;
}

void TvxDWGLoader::LoadFromStream(std::istream& stream) { LoadDWG(FConverter, ReadDWGStream(stream), FLastLoad); }

void TvxDWGLoader::LoadFromFile(const std::string& fileName) {
  std::error_code ec;
  std::ifstream f;
  if (!std::filesystem::is_directory(fileName, ec)) f.open(fileName, std::ios::binary);
  if (!f.is_open()) throw std::runtime_error("Cannot open file " + fileName);
  FConverter->SetFileName(fileName);
  LoadFromStream(f);
}

void TvxDWGLoader::LoadFromBuffer(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  LoadDWG(FConverter, std::vector<uint8_t>(p, p + size), FLastLoad);
}

}  // namespace vx
