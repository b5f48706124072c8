// The vxrender tool's work: arguments, loading, and drawing into PNG, PDF or SVG.
#include "render/vxCADImageRender.h"

#include "readers/dxf/DXF.h"
#include "render/vxCADdxfImage.h"

#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <charconv>
#include <cmath>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string_view>
#include <memory>
#include <ostream>

namespace vx {

const char* const cnstVxRenderUsage =
    "usage: vxrender FILE -o OUT [--size WxH] [--background white|black|#RRGGBB]\n"
    "                [--layout NAME|INDEX] [--window L,B,R,T] [--antialias on|off]\n"
    "Draws the drawing FILE into OUT; OUT's extension picks the format: .png, .pdf or .svg.\n"
    "  --size WxH          picture size in pixels (default 1024x768)\n"
    "  --background COLOR  white (default), black or #RRGGBB\n"
    "  --layout NAME|INDEX the layout to draw (default: the model layout)\n"
    "  --window L,B,R,T    the drawing rectangle that fills the picture (default: the whole drawing)\n"
    "  --antialias on|off  smooth lines and curves (default on; off draws whole pixels)\n";

namespace {

// The start of a DXF file: the binary sentinel, or a first pair "0 SECTION" or a "999" comment.
bool LooksLikeDXF(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[512] = {};
  in.read(head, sizeof head - 1);
  const std::string_view s(head, static_cast<size_t>(in.gcount()));
  if (DetectDXFFormat(reinterpret_cast<const uint8_t*>(s.data()), s.size()).GroupCodeSize != 0) return true;
  std::istringstream lines{std::string(s)};
  std::string code, value;
  if (!std::getline(lines, code) || !std::getline(lines, value)) return false;
  auto trim = [](std::string t) {
    const auto b = t.find_first_not_of(" \t\r");
    const auto e = t.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : t.substr(b, e - b + 1);
  };
  code = trim(code);
  value = trim(value);
  return code == "999" || (code == "0" && value == "SECTION");
}

// Numbers read with '.' as the decimal point whatever the locale.
bool ParseDouble(std::string_view s, double& v) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

bool ParseInt(std::string_view s, int& v) {
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseColor(const std::string& s, TColor& c) {
  std::string l;
  for (char ch : s) l += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (l == "white") return c = 0xFFFFFF, true;
  if (l == "black") return c = 0x000000, true;
  if (l.size() != 7 || l[0] != '#') return false;
  unsigned rgb = 0;
  const auto r = std::from_chars(l.data() + 1, l.data() + 7, rgb, 16);
  if (r.ec != std::errc() || r.ptr != l.data() + 7) return false;
  // #RRGGBB to 0x00BBGGRR.
  c = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  return true;
}

std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

}  // namespace

bool ParseRenderOptions(const std::vector<std::string>& args, TvxRenderOptions& o,
                        std::string& error, bool& help) {
  help = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& v) {
      if (i + 1 >= args.size()) {
        error = "missing value after " + a;
        return false;
      }
      v = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      help = true;
      return true;
    } else if (a == "-o" || a == "--output") {
      if (!value(o.Output)) return false;
    } else if (a == "--size") {
      if (!value(v)) return false;
      const size_t x = Lower(v).find('x');
      if (x == std::string::npos || !ParseInt(std::string_view(v).substr(0, x), o.Width) ||
          !ParseInt(std::string_view(v).substr(x + 1), o.Height) || o.Width < 1 || o.Height < 1 ||
          o.Width > cnstMaxImageSize || o.Height > cnstMaxImageSize) {
        error = "bad --size '" + v + "' (expected WxH, 1 to 32767 each)";
        return false;
      }
    } else if (a == "--background") {
      if (!value(v)) return false;
      if (!ParseColor(v, o.Background)) {
        error = "bad --background '" + v + "' (expected white, black or #RRGGBB)";
        return false;
      }
    } else if (a == "--layout") {
      if (!value(o.Layout)) return false;
    } else if (a == "--antialias") {
      if (!value(v)) return false;
      const std::string l = Lower(v);
      if (l != "on" && l != "off") {
        error = "bad --antialias '" + v + "' (expected on or off)";
        return false;
      }
      o.Antialias = l == "on";
    } else if (a == "--window") {
      if (!value(v)) return false;
      std::vector<std::string_view> parts;
      for (size_t start = 0;;) {
        const size_t comma = v.find(',', start);
        parts.push_back(std::string_view(v).substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      double n[4] = {};
      bool ok = parts.size() == 4;
      for (size_t k = 0; ok && k < 4; ++k) ok = ParseDouble(parts[k], n[k]);
      if (!ok || !(n[2] > n[0]) || !(n[3] > n[1])) {
        error = "bad --window '" + v + "' (expected L,B,R,T with L < R and B < T)";
        return false;
      }
      o.Window = TFRect{n[0], n[3], 0, n[2], n[1], 0};
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      error = "unknown option " + a;
      return false;
    } else if (o.Input.empty()) {
      o.Input = a;
    } else {
      error = "more than one input file";
      return false;
    }
  }
  if (o.Input.empty()) return error = "no input file", false;
  if (o.Output.empty()) return error = "no output file (-o OUT)", false;
  const std::string ext = FileExtension(o.Output);
  if (ext != "png" && ext != "pdf" && ext != "svg") {
    error = "unknown output format '" + ext + "' (use .png, .pdf or .svg)";
    return false;
  }
  return true;
}

bool PrepareRenderImage(TvxCADImage& image, const TvxRenderOptions& o, std::string& error) {
  image.SetBackgroundColor(o.Background);
  image.SetAntialias(o.Antialias);
  image.SetDefaultColor((o.Background & 0xFFFFFF) == 0 ? 0xFFFFFF : 0x000000);
  if (!o.Layout.empty()) {
    TvxDXFLayout* found = nullptr;
    for (int i = 0; i < image.LayoutsCount() && !found; ++i)
      if (Lower(image.Layouts(i)->GetName()) == Lower(o.Layout)) found = image.Layouts(i);
    int index = -1;
    if (!found && ParseInt(o.Layout, index)) found = image.Layouts(index);
    if (!found) {
      error = "no layout '" + o.Layout + "'";
      return false;
    }
    image.SetCurrentLayout(found);
  }
  if (o.Window) {
    // The window alone fills the picture: no border, both axes stretched to it.
    image.SetIsWithoutBorder(true);
    image.SetStretch(true);
    // The window's left and top sides fall on the first pixel column and row, its right and
    // bottom sides on the last ones: mapped onto the picture's far edges they would land just
    // outside it and vanish.
    TFRect w = *o.Window;
    if (o.Width > 1) w.Right += (w.Right - w.Left) / (o.Width - 1);
    if (o.Height > 1) w.Bottom -= (w.Top - w.Bottom) / (o.Height - 1);
    image.SetDrawingBox(w);
  }
  return true;
}

QImage RenderToImage(TvxCADImage& image, int width, int height) {
  QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
  picture.fill(TvxCADImage::ToColor(image.BackgroundColor()));
  QPainter painter(&picture);
  image.Draw(painter, QRect(0, 0, width, height));
  painter.end();
  return picture;
}

int RunVxRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TvxRenderOptions o;
  std::string error;
  bool help = false;
  if (!ParseRenderOptions(args, o, error, help)) {
    err << "vxrender: " << error << "\n" << cnstVxRenderUsage;
    return 2;
  }
  if (help) {
    out << cnstVxRenderUsage;
    return 0;
  }

  std::unique_ptr<TvxCADImage> image;
  try {
    const std::string ext = FileExtension(o.Input);
    image.reset(NewImageForExtension(ext));
    // Drawings saved under another extension (".dxfb" for binary DXF is common) are known by
    // their first bytes.
    if (!image && LooksLikeDXF(o.Input)) image.reset(NewImageForExtension("dxf"));
    if (!image) throw EvxInvalidGraphic("Extension de fichier image inconnue (." + ext + ")");
    image->LoadFromFile(o.Input);
  } catch (const std::exception& e) {
    err << o.Input << ": " << e.what() << "\n";
    return 1;
  }
  if (!PrepareRenderImage(*image, o, error)) {
    err << "vxrender: " << error << "\n";
    return 2;
  }

  const QRect rect(0, 0, o.Width, o.Height);
  const std::string ext = FileExtension(o.Output);
  const QString outName = QString::fromStdString(o.Output);
  try {
    if (ext == "png") {
      if (!RenderToImage(*image, o.Width, o.Height).save(outName, "PNG")) {
        err << o.Output << ": cannot write the picture\n";
        return 1;
      }
    } else if (ext == "pdf") {
      QPdfWriter pdf(outName);
      pdf.setResolution(72);
      pdf.setPageSize(QPageSize(QSizeF(o.Width, o.Height), QPageSize::Point));
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      QPainter painter;
      if (!painter.begin(&pdf)) {
        err << o.Output << ": cannot write the picture\n";
        return 1;
      }
      image->Draw(painter, rect);
      painter.end();
    } else {
      QSvgGenerator svg;
      svg.setFileName(outName);
      svg.setSize(QSize(o.Width, o.Height));
      svg.setViewBox(rect);
      QPainter painter;
      if (!painter.begin(&svg)) {
        err << o.Output << ": cannot write the picture\n";
        return 1;
      }
      image->Draw(painter, rect);
      painter.end();
    }
  } catch (const std::exception& e) {
    err << o.Input << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace vx
