// The graphic registry by extension, the picture, file names, and loading (progress, errors,
// the current directory).
#include "test_image_fixture.h"

#include "readers/dxf/DXF.h"
#include "readers/dxf/vxDXFTokens.h"

#include <unistd.h>

#include <chrono>
#include <thread>
#include <filesystem>
#include <fstream>

namespace vx::test {
namespace {

namespace fs = std::filesystem;

using ImageRegistryTest = ImageTest;

// A scratch folder removed at the end of the test.
struct TempDir {
  fs::path Path;
  TempDir() {
    Path = fs::temp_directory_path() /
           ("vx_image_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  std::string Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path / name, std::ios::binary) << data;
    return (Path / name).string();
  }
};

TEST_F(ImageRegistryTest, DxfIsRegisteredWhateverTheCase) {
  const TvxGraphicRegistry& reg = TvxGraphicRegistry::Instance();
  for (const char* ext : {"dxf", "DXF", ".Dxf"}) {
    const TvxGraphicFormat* f = reg.Find(ext);
    ASSERT_NE(f, nullptr) << ext;
    EXPECT_EQ(f->Description, "AutoCAD DXF");
    EXPECT_EQ(f->ClipboardName, "Varrow DXF Image");
    std::unique_ptr<TvxGraphic> g = f->Factory();
    EXPECT_NE(dynamic_cast<TvxCADdxfImage*>(g.get()), nullptr);
  }
  for (const char* ext : {"bmp", "ICO", "png", "tif", "tiff"}) {
    const TvxGraphicFormat* f = reg.Find(ext);
    ASSERT_NE(f, nullptr) << ext;
    EXPECT_NE(dynamic_cast<TvxRasterGraphic*>(f->Factory().get()), nullptr);
  }
  for (const char* ext : {"jpg", "jpeg", "", "dx"}) EXPECT_EQ(reg.Find(ext), nullptr) << ext;
  EXPECT_NE(reg.FileFilter().find("AutoCAD DXF (*.dxf)|*.dxf"), std::string::npos);
  std::unique_ptr<TvxCADImage> image(NewImageForExtension(".DXF"));
  EXPECT_NE(dynamic_cast<TvxCADdxfImage*>(image.get()), nullptr);
  EXPECT_EQ(NewImageForExtension("png"), nullptr);  // a picture, not a drawing
}

TEST_F(ImageRegistryTest, UnknownExtensionMessage) {
  TvxPicture picture;
  struct Case { const char* file; const char* message; };
  for (const Case& c : std::initializer_list<Case>{
           {"drawing.xyz", "Extension de fichier image inconnue (.xyz)"},
           {"photo.JPG", "Extension de fichier image inconnue (.JPG)"},
           {"/a.b/noext", "Extension de fichier image inconnue (.)"}}) {
    try {
      picture.LoadFromFile(c.file);
      ADD_FAILURE() << c.file;
    } catch (const EvxInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST_F(ImageRegistryTest, PictureLoadsByExtension) {
  TempDir dir;
  QImage png(7, 5, QImage::Format_RGB32);
  png.fill(Qt::green);
  const std::string pngPath = (dir.Path / "small.PNG").string();
  ASSERT_TRUE(png.save(QString::fromStdString(pngPath), "PNG"));
  const std::string dxfPath = dir.Write("line.DxF", DxfWithLines({{0, 0, 100, 50}}));

  TvxPicture picture;
  int changes = 0;
  picture.OnChange = [&](TvxGraphic*) { ++changes; };
  picture.LoadFromFile(pngPath);
  EXPECT_NE(dynamic_cast<TvxRasterGraphic*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 7);
  EXPECT_EQ(picture.Height(), 5);
  picture.LoadFromFile(dxfPath);
  auto* image = dynamic_cast<TvxCADdxfImage*>(picture.Graphic());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->FileName(), dxfPath);
  EXPECT_EQ(picture.Width(), 126);
  EXPECT_GE(changes, 2);

  // A picture file that is not one.
  const std::string bad = dir.Write("bad.png", "not a png");
  EXPECT_THROW(picture.LoadFromFile(bad), EvxInvalidGraphic);
}

TEST_F(ImageRegistryTest, BareFileNameAndExtension) {
  struct Case { const char* path; const char* bare; const char* ext; };
  for (const Case& c : std::initializer_list<Case>{{"/home/u/a.dxf", "a.dxf", "dxf"},
                                                   {"C:\\dwg\\B.DXF", "B.DXF", "dxf"},
                                                   {"C:plan.dwg", "plan.dwg", "dwg"},
                                                   {"dir.v2/readme", "readme", ""},
                                                   {"plain", "plain", ""}}) {
    EXPECT_EQ(TvxCADImage::BareFileName(c.path), c.bare) << c.path;
    EXPECT_EQ(FileExtension(c.path), c.ext) << c.path;
  }
}

TEST_F(ImageRegistryTest, LoadFromFileKeepsTheCurrentDirectory) {
  TempDir dir;
  const std::string path = dir.Write("a.dxf", DxfWithLines({{0, 0, 10, 10}}));
  const fs::path cwd = fs::current_path();
  TvxCADdxfImage image;
  image.LoadFromFile(path);
  EXPECT_EQ(fs::current_path(), cwd);
  EXPECT_EQ(image.Converter()->FileName(), path);
  // A file that cannot be opened changes nothing.
  EXPECT_THROW(image.LoadFromFile((dir.Path / "missing.dxf").string()), std::runtime_error);
  EXPECT_THROW(image.LoadFromFile(dir.Path.string()), std::runtime_error);
  EXPECT_EQ(image.FileName(), path);
  EXPECT_EQ(image.Converter()->ModelSpaceBlock()->Count(), 1);
}

TEST_F(ImageRegistryTest, LoadingReportsProgress) {
  std::string dxf = "999\nmade in a test\n";
  std::vector<DxfLine> lines;
  for (int i = 0; i < 2000; ++i) lines.push_back({0, double(i), 10, double(i)});
  dxf += DxfWithLines(lines);
  TvxCADdxfImage image;
  std::vector<std::pair<TvxProgressStage, std::string>> events;
  bool loadingSeen = false;
  image.OnProgress = [&](TvxGraphic* g, TvxProgressStage s, int pct, const std::string& m) {
    events.push_back({s, m});
    loadingSeen = loadingSeen || (TvxCADImage::LoadingImage() == g);
    EXPECT_GE(pct, 0);
    EXPECT_LE(pct, 100);
  };
  const auto t0 = std::chrono::steady_clock::now();
  image.LoadFromBuffer(dxf.data(), dxf.size());
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - t0).count();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events.front(), std::make_pair(psStarting, std::string("Loading file...")));
  EXPECT_EQ(events.back(), std::make_pair(psEnding, std::string("Loading entities...")));
  int running = 0;
  for (const auto& e : events) running += e.first == psRunning;
  EXPECT_LE(running, ms / 256 + 2);  // one per 256 ms bucket at most
  EXPECT_TRUE(loadingSeen);
  EXPECT_EQ(TvxCADImage::LoadingImage(), nullptr);
  EXPECT_FALSE(image.IsLoading());
  EXPECT_EQ(image.FileInfo(), "MADE IN A TEST");
  EXPECT_EQ(image.Converter()->ModelSpaceBlock()->Count(), 2000);

  // Progress is quiet when the image is not to process messages.
  events.clear();
  image.SetIsProcessMessages(false);
  image.LoadFromBuffer(dxf.data(), dxf.size());
  EXPECT_TRUE(events.empty());
}

// A binary DXF: one line, then a value cut off by the end of the file.
std::string BrokenBinaryDxf() {
  std::string b(cnstDXFBinarySignature, cnstDXFBinarySignatureSize);
  auto code = [&](int c) { b += static_cast<char>(c & 0xFF), b += static_cast<char>(c >> 8); };
  auto str = [&](int c, const std::string& v) { code(c), b += v, b += '\0'; };
  auto dbl = [&](int c, double d) { code(c), b.append(reinterpret_cast<const char*>(&d), 8); };
  str(0, "SECTION");
  str(2, "ENTITIES");
  str(0, "LINE");
  str(8, "0");
  for (auto [c, v] : {std::pair{10, 0.0}, {20, 0.0}, {30, 0.0}, {11, 100.0}, {21, 50.0}, {31, 0.0}}) dbl(c, v);
  str(0, "LINE");
  code(10);
  b += "1234567";  // a double needs 8 bytes
  return b;
}

TEST_F(ImageRegistryTest, ReadErrorKeepsAPartialDrawing) {
  const std::string dxf = BrokenBinaryDxf();
  TvxCADdxfImage image;
  EXPECT_THROW(image.LoadFromBuffer(dxf.data(), dxf.size()), EdxfReadError);
  EXPECT_EQ(TvxCADImage::LoadingImage(), nullptr);
  ASSERT_NE(image.CurrentLayout(), nullptr);
  EXPECT_GE(image.Converter()->ModelSpaceBlock()->Count(), 1);
  EXPECT_DOUBLE_EQ(image.PureExtents().Right, 100);
  QImage img = Blank(64, 48);
  QPainter p(&img);
  image.Draw(p, img.rect());
}

TEST_F(ImageRegistryTest, LoadingIsPerThreadAndRefusesToDraw) {
  std::vector<DxfLine> lines;
  for (int i = 0; i < 200; ++i) lines.push_back({0, double(i), 10, double(i), 1});
  const std::string dxf = DxfWithLines(lines);
  auto image = LoadedImage(dxf);
  int checks = 0;
  image->OnProgress = [&](TvxGraphic*, TvxProgressStage, int, const std::string&) {
    if (checks++) return;
    // A paint arriving while the drawing is half read draws nothing.
    QImage img = Blank(32, 32);
    QPainter p(&img);
    image->Draw(p, img.rect());
    p.end();
    EXPECT_EQ(CountOther(img, 0x0000FF), 0);
    // Another thread has no loading image.
    TvxCADImage* seen = image.get();
    std::thread([&] { seen = TvxCADImage::LoadingImage(); }).join();
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(TvxCADImage::LoadingImage(), image.get());
  };
  image->LoadFromBuffer(dxf.data(), dxf.size());
  EXPECT_GT(checks, 0);
}

TEST_F(ImageRegistryTest, ImageWithHandlesChecksHandles) {
  TvxCADdxfImage image;
  TvxConverterParams params;
  image.GetConverterParams(params);
  EXPECT_TRUE(params.CheckHandles);
  TvxVectorImage vector;
  vector.SetDefaultViewModePlotSettings();
  EXPECT_FALSE(vector.ShowPlotSetting());
  EXPECT_TRUE(vector.ShowPlotForModel());
  image.SetDefaultViewModePlotSettings();
  EXPECT_TRUE(image.ShowPlotSetting());
  EXPECT_FALSE(image.ShowPlotForModel());
}

}  // namespace
}  // namespace vx::test
