// vxdump: reads drawings with the library and prints a summary of each.
//
//   vxdump [--json] FILE...    one summary per file (with --json one JSON object per line)
//   vxdump [--json] --sample   the same for a small drawing built in code
//
// Exit status: 0 when every file loaded, 1 when one failed, 2 on a usage error.
#include "foundation/vxProcess.h"
#include "database/core/DXFConv.h"
#include "readers/dxf/vxCodePage.h"
#include "readers/dxf/vxDXFImport.h"
#include "readers/dwg/DWG.h"
#include "text/vxTextFonts.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace vx;

namespace {

constexpr const char* cnstKindNames[] = {
    "Entity",     "Point",        "Line",          "Solid",        "Trace",      "Circle",
    "Arc",        "Ellipse",      "Polyline",      "LWPolyline",   "Spline",     "Helix",
    "Leader",     "Insert",       "Dimension",     "Tolerance",    "MText",      "Shape",
    "Text",       "Attdef",       "Attrib",        "3dFace",       "ImageEnt",   "Viewport",
    "Region",     "Body",         "3DSolid",       "Pattern",      "Gradient",   "Ole2Frame",
    "PolyPolygon", "GradientPolygon", "CurvePolygon", "Hatch",     "ACADTable",  "FlatPoly",
    "FlatHatch",  "XRef",         "Proxy",         "Path",         "WipeOut",    "MLine",
    "MPolygon",   "Surface",      "SeqEnd",        "SolidObject",  "Iges",       "Step",
    "Brep",       "FlatPoly3D",   "Ray",           "Xline"};

std::string KindName(TvxCADEntities kind) {
  const auto i = static_cast<size_t>(kind);
  return i < std::size(cnstKindNames) ? cnstKindNames[i] : "Entity";
}

std::string JsonString(const std::string& s) {
  const std::string v = ValidUTF8(s);
  std::string out = "\"";
  for (unsigned char c : v) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

bool IsBad(const TFRect& r) { return !(r.Left <= r.Right && r.Bottom <= r.Top); }

std::string JsonBox(const TFRect& r) {
  if (IsBad(r)) return "null";
  std::string s = "[";
  for (double v : {r.Left, r.Bottom, r.Z1, r.Right, r.Top, r.Z2}) {
    if (s.size() > 1) s += ",";
    s += JsonNumber(v);
  }
  return s + "]";
}

struct TLayoutSummary {
  std::string Name;
  int Entities = 0;
  std::map<std::string, int> Types;
  TFRect Box = BadBox;
};

struct TSummary {
  std::string File;
  std::string Format = "DXF";
  std::string Version;
  bool HasVersion = false;
  std::vector<TLayoutSummary> Layouts;
  int Layers = 0;
  int Blocks = 0;
  int LTypes = 0;
  int Styles = 0;
  TFRect Extents = BadBox;
  TvxHeadVarStruct Header;
  std::string Error;
  double ReadMs = 0, LoadMs = 0;
};

void Summarize(TvxDXFConverter* conv, TSummary& s) {
  for (int i = 0; i < conv->LayoutsCount(); ++i) {
    TvxDXFLayout* layout = conv->Layouts(i);
    if (!layout) continue;
    TLayoutSummary l;
    l.Name = layout->GetName();
    l.Entities = layout->Count();
    for (int k = 0; k < l.Entities; ++k)
      if (TvxDXFEntity* e = layout->GetEntity(k)) ++l.Types[KindName(e->EntType())];
    l.Box = layout->GetBox();
    s.Layouts.push_back(std::move(l));
  }
  s.Layers = conv->Counts(csLayers);
  s.Blocks = conv->Counts(csBlocks);
  s.LTypes = conv->Counts(csLTypes);
  s.Styles = conv->Counts(csStyles);
  s.Extents = conv->Extents();
  s.Header = conv->HeadVarStruct();
}

bool StartsLikeDWG(const std::string& file) {
  std::ifstream f(file, std::ios::binary);
  uint8_t head[6] = {};
  f.read(reinterpret_cast<char*>(head), 6);
  return f.gcount() == 6 && LooksLikeDWG(head, 6);
}

void LoadDWGFile(const std::string& file, TSummary& s) {
  s.File = file;
  s.Format = "DWG";
  TvxDWGLoader image;
  try {
    image.LoadFromFile(file);
  } catch (const std::exception& e) {
    s.Error = e.what();
  }
  const TvxDWGLoadResult& r = image.LastLoad();
  s.Version = r.VersionText;
  s.HasVersion = !r.VersionText.empty();
  s.ReadMs = r.ReadMs;
  s.LoadMs = r.LoadMs;
  try {
    Summarize(image.Converter(), s);
  } catch (const std::exception& e) {
    if (s.Error.empty()) s.Error = e.what();
  }
}

void Load(TvxDXFLoader& image, const std::string& file, const std::string* buffer, TSummary& s) {
  s.File = file;
  try {
    if (buffer) image.LoadFromBuffer(buffer->data(), buffer->size());
    else image.LoadFromFile(file);
  } catch (const std::exception& e) {
    s.Error = e.what();
  } catch (...) {
    s.Error = "unknown error";
  }
  const TvxDXFLoadResult& r = image.LastLoad();
  s.Version = r.VersionText;
  s.HasVersion = !r.VersionText.empty();
  s.ReadMs = r.ReadMs;
  s.LoadMs = r.LoadMs;
  try {
    Summarize(image.Converter(), s);
  } catch (const std::exception& e) {
    if (s.Error.empty()) s.Error = e.what();
  }
}

// The header variables the drawing keeps, by their lower-case names.
std::string JsonHeader(const TvxHeadVarStruct& h) {
  std::ostringstream o;
  bool first = true;
  auto key = [&](const char* name) -> std::ostringstream& {
    o << (first ? "{" : ",") << "\"" << name << "\":";
    first = false;
    return o;
  };
  auto point = [&](const char* name, const TFPoint& p) {
    key(name) << "[" << JsonNumber(p.X) << "," << JsonNumber(p.Y) << "," << JsonNumber(p.Z) << "]";
  };
  // An index colour as its number, a true colour as {"rgb": 0xBBGGRR}.
  auto color = [&](const char* name, const TvxColorCAD& c) {
    if (c.Active == acRGBColor) key(name) << "{\"rgb\":" << c.Color << "}";
    else key(name) << c.Color;
  };
  const TvxDimStyle& d = h.DimProps;
  key("ltscale") << JsonNumber(h.LTScale);
  key("textsize") << JsonNumber(h.TextSize);
  key("pdmode") << h.PointDisplayMode;
  key("pdsize") << JsonNumber(h.PointDisplaySize);
  key("tilemode") << h.TileMode;
  key("insunits") << h.InsUnits;
  key("measurement") << (h.Measurement ? 1 : 0);
  key("attmode") << int(h.AttMode);
  key("lwdisplay") << (h.LwDisplay ? 1 : 0);
  key("xclipframe") << int(h.XClipFrame);
  key("codepage") << h.CodePage;
  key("clayer") << JsonString(h.CLayer);
  key("celtype") << JsonString(h.CELType);
  key("celtscale") << JsonNumber(h.CELTScale);
  key("celweight") << JsonNumber(h.CELWeight);
  color("cecolor", h.CEColor);
  key("textstyle") << JsonString(h.TextStyle);
  key("dimstyle") << JsonString(h.DimStyle);
  key("dimtxsty") << JsonString(h.DimTextStyle);
  key("filletrad") << JsonNumber(h.FilletRadius);
  point("extmin", h.ExtMin);
  point("extmax", h.ExtMax);
  point("insbase", h.InsBase);
  point("ucsorg", h.UCSORG);
  point("ucsxdir", h.UCSXDir);
  point("ucsydir", h.UCSYDir);
  key("dimscale") << JsonNumber(d.Scale);
  key("dimasz") << JsonNumber(d.Asz);
  key("dimtxt") << JsonNumber(d.Txt);
  key("dimgap") << JsonNumber(d.Gap);
  key("dimexe") << JsonNumber(d.Exe);
  key("dimexo") << JsonNumber(d.Exo);
  key("dimcen") << JsonNumber(d.Cen);
  key("dimlfac") << JsonNumber(d.LFac);
  key("dimaltf") << JsonNumber(d.AltF);
  key("dimalt") << (d.Alt ? 1 : 0);
  key("dimdec") << d.Dec;
  key("dimtad") << d.Tad;
  key("dimtih") << (d.Tih ? 1 : 0);
  key("dimtoh") << (d.Toh ? 1 : 0);
  key("dimtix") << d.Tix;
  key("dimsah") << (d.Sah ? 1 : 0);
  key("dimse1") << (d.SE1 ? 1 : 0);
  key("dimse2") << (d.SE2 ? 1 : 0);
  key("dimsd1") << (d.SD1 ? 1 : 0);
  key("dimsd2") << (d.SD2 ? 1 : 0);
  color("dimclrd", d.ClrD);
  color("dimclre", d.ClrE);
  color("dimclrt", d.ClrT);
  key("dimlwd") << JsonNumber(d.LwD);
  key("dimlwe") << JsonNumber(d.LwE);
  key("dimpost") << JsonString(d.Post);
  key("dimapost") << JsonString(d.APost);
  key("dimarrows") << "[" << int(d.Arrows[0]) << "," << int(d.Arrows[1]) << "," << int(d.Arrows[2]) << ","
                   << int(d.Arrows[3]) << "]";
  o << "}";
  return o.str();
}

void PrintJson(const TSummary& s) {
  std::ostringstream o;
  o << "{\"file\":" << JsonString(s.File) << ",\"format\":" << JsonString(s.Format) << ",\"version\":"
    << (s.HasVersion ? JsonString(s.Version) : "null") << ",\"layouts\":[";
  for (size_t i = 0; i < s.Layouts.size(); ++i) {
    const TLayoutSummary& l = s.Layouts[i];
    o << (i ? "," : "") << "{\"name\":" << JsonString(l.Name) << ",\"entities\":" << l.Entities
      << ",\"types\":{";
    bool first = true;
    for (const auto& [kind, n] : l.Types) {
      o << (first ? "" : ",") << JsonString(kind) << ":" << n;
      first = false;
    }
    o << "},\"box\":" << JsonBox(l.Box) << "}";
  }
  const TvxHeadVarStruct& h = s.Header;
  o << "],\"layers\":" << s.Layers << ",\"blocks\":" << s.Blocks << ",\"ltypes\":" << s.LTypes
    << ",\"styles\":" << s.Styles << ",\"header\":" << JsonHeader(h)
    << ",\"extents\":" << JsonBox(s.Extents)
    << ",\"error\":" << (s.Error.empty() ? "null" : JsonString(s.Error)) << ",\"ms\":{\"read\":"
    << JsonNumber(s.ReadMs) << ",\"load\":" << JsonNumber(s.LoadMs) << "}}";
  std::cout << o.str() << "\n";
}

void PrintText(const TSummary& s) {
  std::cout << s.File << ": " << s.Format << " " << (s.HasVersion ? s.Version : "(no version)") << "\n";
  for (const TLayoutSummary& l : s.Layouts) {
    std::cout << "  layout " << l.Name << ": " << l.Entities << " entities";
    for (const auto& [kind, n] : l.Types) std::cout << ", " << kind << " " << n;
    std::cout << "\n";
  }
  std::cout << "  layers " << s.Layers << ", blocks " << s.Blocks << "\n";
  if (IsBad(s.Extents)) {
    std::cout << "  extents: none\n";
  } else {
    std::cout << "  extents: (" << s.Extents.Left << ", " << s.Extents.Bottom << ", " << s.Extents.Z1
              << ") - (" << s.Extents.Right << ", " << s.Extents.Top << ", " << s.Extents.Z2 << ")\n";
  }
  std::cout << "  read " << s.ReadMs << " ms, load " << s.LoadMs << " ms\n";
}

// A small drawing written as DXF text and read back through the library.
std::string SampleDrawing() {
  std::ostringstream o;
  auto pair = [&o](int code, const std::string& value) { o << code << "\n" << value << "\n"; };
  auto num = [&pair](int code, double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    pair(code, buf);
  };
  pair(999, "vxdump sample");
  pair(0, "SECTION"); pair(2, "HEADER");
  pair(9, "$ACADVER"); pair(1, "AC1009");
  pair(0, "ENDSEC");
  pair(0, "SECTION"); pair(2, "TABLES");
  pair(0, "TABLE"); pair(2, "LAYER"); pair(70, "3");
  const struct { const char* Name; int Color; } layers[] = {{"0", 7}, {"Walls", 1}, {"Doors", 3}};
  for (const auto& l : layers) {
    pair(0, "LAYER"); pair(2, l.Name); pair(70, "0"); pair(62, std::to_string(l.Color)); pair(6, "CONTINUOUS");
  }
  pair(0, "ENDTAB");
  pair(0, "ENDSEC");
  pair(0, "SECTION"); pair(2, "ENTITIES");
  // A room of four walls with two doors.
  const double walls[4][4] = {{0, 0, 10, 0}, {10, 0, 10, 8}, {10, 8, 0, 8}, {0, 8, 0, 0}};
  for (const auto& w : walls) {
    pair(0, "LINE"); pair(8, "Walls");
    num(10, w[0]); num(20, w[1]); num(30, 0); num(11, w[2]); num(21, w[3]); num(31, 0);
  }
  for (double x : {2.0, 6.0}) {
    pair(0, "ARC"); pair(8, "Doors");
    num(10, x); num(20, 0); num(30, 0); num(40, 1); num(50, 0); num(51, 90);
  }
  pair(0, "CIRCLE"); pair(8, "0"); num(10, 5); num(20, 4); num(30, 0); num(40, 1.5);
  pair(0, "LWPOLYLINE"); pair(8, "Doors"); pair(90, "3"); pair(70, "1");
  for (const auto& p : {std::pair{1.0, 1.0}, std::pair{3.0, 1.0}, std::pair{2.0, 2.5}}) {
    num(10, p.first); num(20, p.second);
  }
  pair(0, "ENDSEC");
  pair(0, "EOF");
  return o.str();
}

void Usage(std::ostream& o) {
  o << "usage: vxdump [--json] FILE...\n"
       "       vxdump [--json] --sample\n"
       "Reads each drawing and prints a summary (with --json, one JSON object per file).\n";
}

}  // namespace

int main(int argc, char** argv) {
  vx::UseHugePageHeap(argv);
  // Text boxes (and so the extents) come from the installed fonts.
  vx::InstallTextFonts();
  bool json = false, sample = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--json") json = true;
    else if (a == "--sample") sample = true;
    else if (a == "--help" || a == "-h") {
      Usage(std::cout);
      return 0;
    } else if (a.size() > 1 && a[0] == '-' && a != "--") {
      std::cerr << "vxdump: unknown option " << a << "\n";
      Usage(std::cerr);
      return 2;
    } else if (a != "--") {
      files.push_back(a);
    }
  }
  if (files.empty() && !sample) {
    Usage(std::cerr);
    return 2;
  }
  int status = 0;
  auto report = [&](TSummary& s) {
    if (!s.Error.empty()) {
      std::cerr << "vxdump: " << s.File << ": " << s.Error << "\n";
      status = 1;
    }
    if (json) PrintJson(s);
    else PrintText(s);
  };
  try {
    if (sample) {
      const std::string text = SampleDrawing();
      TvxDXFLoader image;
      TSummary s;
      Load(image, "<sample>", &text, s);
      report(s);
    }
    for (const std::string& f : files) {
      TSummary s;
      if (StartsLikeDWG(f)) {
        LoadDWGFile(f, s);
      } else {
        TvxDXFLoader image;
        Load(image, f, nullptr, s);
      }
      report(s);
    }
  } catch (const std::exception& e) {
    std::cerr << "vxdump: " << e.what() << "\n";
    return 1;
  }
  return status;
}
