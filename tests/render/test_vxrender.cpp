// The vxrender tool: arguments, exit codes, the three output formats, the window; the binary
// itself is run when it sits beside this test program.
#include "test_image_fixture.h"

#include "render/vxCADImageRender.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vx::test {
namespace {

namespace fs = std::filesystem;

struct Scratch {
  fs::path Path;
  Scratch() {
    Path = fs::temp_directory_path() /
           ("vx_render_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Path);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  std::string File(const std::string& name) const { return (Path / name).string(); }
  std::string Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path / name, std::ios::binary) << data;
    return File(name);
  }
};

class VxRenderTest : public ImageTest {
 protected:
  int Run(const std::vector<std::string>& args) {
    out.str({});
    err.str({});
    return RunVxRender(args, out, err);
  }
  std::ostringstream out, err;
};

TEST_F(VxRenderTest, UsageErrors) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"a.dxf"},
           {"a.dxf", "-o"},
           {"a.dxf", "-o", "b.jpg"},
           {"a.dxf", "-o", "b.png", "--size", "0x10"},
           {"a.dxf", "-o", "b.png", "--size", "100"},
           {"a.dxf", "-o", "b.png", "--size", "40000x10"},
           {"a.dxf", "-o", "b.png", "--background", "#12345"},
           {"a.dxf", "-o", "b.png", "--background", "pink"},
           {"a.dxf", "-o", "b.png", "--window", "0,0,1"},
           {"a.dxf", "-o", "b.png", "--window", "0,0,1,1,1"},
           {"a.dxf", "-o", "b.png", "--window", "5,0,1,1"},
           {"a.dxf", "-o", "b.png", "--window", "0,0,nan,1"},
           {"a.dxf", "-o", "b.png", "--bogus"},
           {"a.dxf", "-o", "b.png", "--antialias"},
           {"a.dxf", "-o", "b.png", "--antialias", "yes"},
           {"a.dxf", "c.dxf", "-o", "b.png"}}) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(Run(args), 2) << joined;
    EXPECT_NE(err.str().find("usage:"), std::string::npos) << joined;
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out.str().find("--window"), std::string::npos);
}

TEST_F(VxRenderTest, OptionsParse) {
  TvxRenderOptions o;
  std::string error;
  bool help = false;
  ASSERT_TRUE(ParseRenderOptions({"in.dxf", "-o", "out.SVG", "--size", "300x200", "--background",
                                  "#102030", "--layout", "Layout1", "--window", "-1.5,2,3e1,4"},
                                 o, error, help))
      << error;
  EXPECT_EQ(o.Width, 300);
  EXPECT_EQ(o.Height, 200);
  EXPECT_EQ(o.Background, 0x302010u);
  EXPECT_EQ(o.Layout, "Layout1");
  ASSERT_TRUE(o.Window.has_value());
  EXPECT_DOUBLE_EQ(o.Window->Left, -1.5);
  EXPECT_DOUBLE_EQ(o.Window->Bottom, 2);
  EXPECT_DOUBLE_EQ(o.Window->Right, 30);
  EXPECT_DOUBLE_EQ(o.Window->Top, 4);
  EXPECT_TRUE(o.Antialias);  // on unless asked otherwise
  TvxRenderOptions plain;
  ASSERT_TRUE(ParseRenderOptions({"in.dxf", "-o", "o.png", "--antialias", "OFF"}, plain, error, help))
      << error;
  EXPECT_FALSE(plain.Antialias);
}

// A slanted line: antialiased, its edge pixels blend red into the white background; in whole
// pixels (--antialias off) every pixel is either pure red or pure white.
TEST_F(VxRenderTest, AntialiasSmoothsSlantedLines) {
  for (const bool antialias : {true, false}) {
    SCOPED_TRACE(antialias ? "antialiased" : "whole pixels");
    auto image = LoadedImage(DxfWithLines({{0, 0, 100, 37, 1}}));
    TvxRenderOptions o;
    o.Antialias = antialias;
    std::string error;
    ASSERT_TRUE(PrepareRenderImage(*image, o, error));
    const QImage img = RenderToImage(*image, 200, 100);
    int pure = 0, blended = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QRgb p = img.pixel(x, y) & 0xFFFFFF;
        if (p == 0xFF0000) ++pure;
        else if (p != 0xFFFFFF) ++blended;
      }
    EXPECT_GT(pure + blended, 100);  // the line is there
    if (antialias)
      EXPECT_GT(blended, pure);
    else
      EXPECT_EQ(blended, 0);
  }
}

TEST_F(VxRenderTest, WritesThreeFormats) {
  Scratch s;
  const std::string in = s.Write("line.dxf", DxfWithLines({{0, 0, 100, 50, 1}}));
  for (const char* name : {"o.png", "o.pdf", "o.svg"}) {
    EXPECT_EQ(Run({in, "-o", s.File(name), "--size", "64x48"}), 0) << err.str();
    EXPECT_GT(fs::file_size(s.File(name)), 0u) << name;
  }
  const QImage png(QString::fromStdString(s.File("o.png")));
  EXPECT_EQ(png.size(), QSize(64, 48));
  std::ifstream pdf(s.File("o.pdf"), std::ios::binary);
  std::string head(4, '\0');
  pdf.read(head.data(), 4);
  EXPECT_EQ(head, "%PDF");
  std::ifstream svg(s.File("o.svg"));
  const std::string text((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<svg"), std::string::npos);
}

TEST_F(VxRenderTest, ReadFailuresExitWithOne) {
  Scratch s;
  EXPECT_EQ(Run({s.File("missing.dxf"), "-o", s.File("o.png")}), 1);
  EXPECT_EQ(err.str().rfind(s.File("missing.dxf") + ": ", 0), 0u) << err.str();
  const std::string bad = s.Write("bad.dxf", std::string("AutoCAD Binary DXF\r\n\x1A\0", 22) + "\x0A");
  EXPECT_EQ(Run({bad, "-o", s.File("o.png")}), 1);
  EXPECT_EQ(err.str().rfind(bad + ": ", 0), 0u) << err.str();
  EXPECT_EQ(Run({s.Write("a.xyz", "x"), "-o", s.File("o.png")}), 1);
  EXPECT_NE(err.str().find("Extension de fichier image inconnue (.xyz)"), std::string::npos);
  const std::string in = s.Write("line.dxf", DxfWithLines({{0, 0, 100, 50, 1}}));
  EXPECT_EQ(Run({in, "-o", s.File("o.png"), "--layout", "no such layout"}), 2);
}

TEST_F(VxRenderTest, DrawingsUnderAnotherExtensionAreKnownByTheirContent) {
  // Binary DXF is often saved as ".dxfb"; a text DXF may carry any extension.
  Scratch s;
  const std::string text = s.Write("line.dxfx", DxfWithLines({{0, 0, 100, 50, 1}}));
  EXPECT_EQ(Run({text, "-o", s.File("t.png")}), 0) << err.str();
  EXPECT_EQ(Run({s.Write("notes.dxfb", "0\nLINE\n"), "-o", s.File("n.png")}), 1);
  EXPECT_NE(err.str().find("Extension de fichier image inconnue (.dxfb)"), std::string::npos);
}

TEST_F(VxRenderTest, WindowFillsThePicture) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}, {-500, 400, 500, 400, 1}}));
  TvxRenderOptions o;
  o.Window = TFRect{0, 50, 0, 100, 0, 0};
  o.Antialias = false;  // pure colours at the corners
  std::string error;
  ASSERT_TRUE(PrepareRenderImage(*image, o, error));
  const QImage img = RenderToImage(*image, 200, 100);
  // The window's corners are the picture's corners: (0,0) bottom left, (100,50) top right.
  image->FitToRect(QRect(0, 0, 200, 100));
  EXPECT_EQ(image->GetPoint({0, 0, 0}), QPoint(0, 100));
  EXPECT_EQ(image->GetPoint({100, 50, 0}), QPoint(200, 0));
  ASSERT_GT(CountOther(img, 0xFFFFFF), 0) << "nothing drawn";
  EXPECT_TRUE(HasColourNear(img, 100, 50, 0xFF0000));
  EXPECT_TRUE(HasColourNear(img, 2, 98, 0xFF0000, 2));
}

TEST_F(VxRenderTest, LayoutByNameOrIndexAndBackground) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
  TvxRenderOptions o;
  o.Background = 0x000000;
  std::string error;
  o.Layout = "0";
  ASSERT_TRUE(PrepareRenderImage(*image, o, error)) << error;
  EXPECT_EQ(image->CurrentLayout(), image->Layouts(0));
  EXPECT_EQ(image->DefaultColor(), 0xFFFFFFu);  // visible on black
  const QImage img = RenderToImage(*image, 32, 24);
  EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0u);
  o.Layout = image->Layouts(0)->GetName();
  ASSERT_TRUE(PrepareRenderImage(*image, o, error)) << error;
}

// The binary beside this test program, when built.
std::string VxRenderBinary() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const fs::path bin = self.parent_path() / "vxrender";
  return fs::exists(bin) ? bin.string() : std::string();
}

TEST_F(VxRenderTest, BinaryRunsHeadless) {
  const std::string bin = VxRenderBinary();
  if (bin.empty()) GTEST_SKIP() << "bin/vxrender is not built";
  Scratch s;
  const std::string in = s.Write("line.dxf", DxfWithLines({{0, 0, 100, 50, 1}}));
  const std::string outFile = s.File("o.png");
  auto run = [&](const std::string& args) {
    const std::string cmd = "env -u QT_QPA_PLATFORM '" + bin + "' " + args + " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run("--help"), 0);
  EXPECT_EQ(run("'" + in + "' -o '" + outFile + "' --size 80x60 --background black"), 0);
  EXPECT_EQ(QImage(QString::fromStdString(outFile)).size(), QSize(80, 60));
  EXPECT_EQ(run("'" + s.File("missing.dxf") + "' -o '" + outFile + "'"), 1);
  EXPECT_EQ(run("'" + in + "'"), 2);
}

}  // namespace
}  // namespace vx::test
