// The proxy-graphics decoder: one command stream in, entities and their property records out.
#include "readers/dxf/vxProxyGraphics.h"

#include "database/core/vxNames.h"
#include "database/entities/vxEntities.h"
#include "database/entities/vxEntPolylines.h"
#include "database/hatches/vxHatches.h"
#include "database/text/vxText.h"
#include "readers/dxf/vxCodePage.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace vx {

// ---- readers ----------------------------------------------------------------------------------

std::string TvxProxyDataReader::ReadPaddedString(size_t limit) {
  std::string s;
  const size_t start = Position();
  bool ended = false;
  while (Position() < limit && !Failed()) {
    const uint8_t c = ReadByte();
    if (c == 0) {
      ended = true;
      break;
    }
    s.push_back(static_cast<char>(c));
  }
  if (ended) {
    const size_t used = Position() - start;  // the string and its NUL
    const size_t pad = (4 - used % 4) % 4;
    Skip(std::min(pad, limit > Position() ? limit - Position() : 0));
  }
  return s;
}

bool TDXFProxyReader::Take(size_t n, const char*& at) {
  if (FFailed || n > FData.size() - FPos) {
    FFailed = true;
    FPos = FData.size();
    return false;
  }
  at = FData.data() + FPos;
  FPos += n;
  return true;
}

double TDXFProxyReader::ReadDouble() {
  const char* p;
  if (!Take(8, p)) return 0;
  double d;
  std::memcpy(&d, p, 8);  // the library runs on little-endian machines only
  return d;
}

int32_t TDXFProxyReader::ReadInt32() {
  const char* p;
  if (!Take(4, p)) return 0;
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint16_t TDXFProxyReader::ReadUInt16() {
  const char* p;
  if (!Take(2, p)) return 0;
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

uint8_t TDXFProxyReader::ReadByte() {
  const char* p;
  if (!Take(1, p)) return 0;
  return static_cast<uint8_t>(*p);
}

int64_t TDXFProxyReader::ReadInt64() {
  const char* p;
  if (!Take(8, p)) return 0;
  int64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

void TDXFProxyReader::ReadBytes(size_t n, std::string& out) {
  const size_t avail = std::min(n, FData.size() - FPos);
  const char* p;
  if (Take(avail, p)) out.append(p, avail);
  if (avail < n) FFailed = true;
}

void TDXFProxyReader::Skip(size_t n) {
  const char* p;
  Take(n, p);
}

bool AppendHexChunk(std::string_view hex, std::string& out) {
  auto val = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  while (!hex.empty() && (hex.back() == ' ' || hex.back() == '\r' || hex.back() == '\t')) hex.remove_suffix(1);
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    const int hi = val(hex[i]), lo = val(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<char>(hi * 16 + lo));
  }
  return hex.size() % 2 == 0;
}

TvxProxyOptions ProxyOptionsOf(const TvxDXFConverter* conv) {
  TvxProxyOptions o;
  if (!conv) return o;
  o.CodePage = conv->CodePage() > 0 ? conv->CodePage() : DefaultCodePage();
  o.CircleSegments = conv->NumberOfPartsInCircle();
  return o;
}

// ---- the decoder --------------------------------------------------------------------------------

namespace {

constexpr double cnstPi = std::numbers::pi;
constexpr double cnstEps = 1e-9;

bool Finite(const TFPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z); }
double Len(const TFPoint& p) { return std::sqrt(p.X * p.X + p.Y * p.Y + p.Z * p.Z); }
double Dot(const TFPoint& a, const TFPoint& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }

// A model transform with the scale texts take from it (the length of its X axis).
struct TTransform {
  TFMatrix M;
  double Scale = 1;
};

// The reads of one command: every read stays inside [position, End).
class TCommand {
 public:
  TCommand(TvxProxyDataReader& rd, size_t end, const std::vector<TTransform>& stack)
      : Rd(rd), End(end), Stack(stack) {}

  size_t Left() const { return Rd.Position() < End ? End - Rd.Position() : 0; }
  bool Has(size_t n) {
    if (Bad || n > Left()) Bad = true;
    return !Bad;
  }
  double D() { return Has(8) ? Rd.ReadDouble() : 0; }
  int32_t I() { return Has(4) ? Rd.ReadInt32() : 0; }
  void Skip(size_t n) {
    if (Has(n)) Rd.Skip(n);
  }
  TFPoint Vec() {
    TFPoint p;
    p.X = D();
    p.Y = D();
    p.Z = D();
    return p;
  }
  // A point of a geometric command, through the current model transform.
  TFPoint P() {
    const TFPoint p = Vec();
    return Stack.empty() ? p : TransformPoint(p, Stack.back().M);
  }
  // A count of items of itemSize bytes each that the command's rest can hold; -1 when it cannot.
  int64_t Count(size_t itemSize) {
    const int32_t n = I();
    if (Bad || n < 0 || static_cast<uint64_t>(n) * itemSize > Left()) {
      Bad = true;
      return -1;
    }
    return n;
  }
  std::string Str8() { return Bad ? std::string() : Rd.ReadPaddedString(End); }
  // 16-bit characters up to a NUL (or the command's end), as UTF-8; padded to 4 bytes when asked.
  std::string Str16(bool padded) {
    std::string out;
    const size_t start = Rd.Position();
    std::u16string u;
    while (!Bad && Left() >= 2) {
      const char16_t c = Rd.ReadChar16();
      if (c == 0) break;
      u.push_back(c);
    }
    for (size_t i = 0; i < u.size(); ++i) {
      char32_t c = u[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < u.size() && u[i + 1] >= 0xDC00 && u[i + 1] < 0xE000)
        c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
      AppendUTF8(out, c);
    }
    if (padded) {
      const size_t used = Rd.Position() - start;
      Skip(std::min((4 - used % 4) % 4, Left()));
    }
    return out;
  }

  TvxProxyDataReader& Rd;
  const size_t End;
  const std::vector<TTransform>& Stack;
  bool Bad = false;
};

// The circle segment count in use.
int Segments(const TvxProxyOptions& o) { return o.CircleSegments > 4 ? std::min(o.CircleSegments, 4096) : 48; }

TvxDXFPolyline* New3DPolyline(const std::vector<TFPoint>& pts, bool closed) {
  auto* p = new TvxDXFPolyline();
  p->SetPolyline3D(true);
  p->SetClosed(closed);
  for (const TFPoint& q : pts) p->AddVertex(q)->SetFlags(cnstVertex3D);
  return p;
}

// The vertices of an arc of sweep radians from the direction u about the axis n (both unit,
// perpendicular); empty when a value is not finite.
std::vector<TFPoint> ArcPoints(const TFPoint& c, double r, const TFPoint& n, const TFPoint& u, double sweep,
                               int segs) {
  std::vector<TFPoint> pts;
  const TFPoint v = Normalize(CrossFPoint(n, u));
  if (!Finite(c) || !std::isfinite(r) || !std::isfinite(sweep) || !Finite(v)) return pts;
  pts.reserve(static_cast<size_t>(segs) + 1);
  for (int k = 0; k <= segs; ++k) {
    const double t = sweep * k / segs;
    const double ct = std::cos(t), st = std::sin(t);
    pts.push_back({c.X + r * (ct * u.X + st * v.X), c.Y + r * (ct * u.Y + st * v.Y),
                   c.Z + r * (ct * u.Z + st * v.Z)});
  }
  return pts;
}

// The circle through three points: centre, radius and the plane's unit normal; false when the
// points are collinear (or not finite).
bool CircleOf3(const TFPoint& p1, const TFPoint& p2, const TFPoint& p3, TFPoint& c, double& r, TFPoint& n) {
  const TFPoint a = SubFPoint(p2, p1), b = SubFPoint(p3, p1);
  const TFPoint axb = CrossFPoint(a, b);
  const double l2 = Dot(axb, axb);
  const double scale = std::max(Dot(a, a), Dot(b, b));
  if (!(l2 > cnstEps * cnstEps * scale * scale) || !std::isfinite(l2)) return false;
  // centre = p1 + (|a|^2 (b x (a x b)) + |b|^2 ((a x b) x a)) / (2 |a x b|^2)
  const TFPoint t1 = PtXScalar(CrossFPoint(b, axb), Dot(a, a));
  const TFPoint t2 = PtXScalar(CrossFPoint(axb, a), Dot(b, b));
  c = AddFPoint(p1, PtXScalar(AddFPoint(t1, t2), 0.5 / l2));
  r = Len(SubFPoint(p1, c));
  n = PtXScalar(axb, 1 / std::sqrt(l2));
  return Finite(c) && std::isfinite(r) && r > 0;
}

class TDecoder {
 public:
  TDecoder(TvxProxyDataReader& rd, const TvxProxyOptions& o, std::vector<TvxEntityPtr<>>& ents,
           std::vector<TvxProxyProps>& props)
      : Rd(rd), Opt(o), Ents(ents), Props(props) {}

  void Run() {
    Rd.ReadInt32();  // the total size
    const int32_t count = Rd.ReadInt32();
    for (int32_t i = 0; i < count && !Rd.Failed(); ++i) {
      if (Rd.Size() - std::min(Rd.Size(), Rd.Position()) < 8) break;
      const int32_t size = Rd.ReadInt32();
      const int32_t type = Rd.ReadInt32();
      // A size below 8 would step back (or stand still); one past the data has nothing to read.
      if (Rd.Failed() || size < 8) break;
      Rd.Mark();
      const size_t data = static_cast<size_t>(size) - 8;
      if (data > Rd.Size() - Rd.Position()) break;
      TCommand cmd(Rd, Rd.Position() + data, Stack);
      Command(type, cmd);
      Rd.ReturnToMark();
      Rd.Skip(data);
    }
  }

 private:
  void Add(TvxDXFEntity* e) {
    Ents.emplace_back(e);
    Props.push_back(Cur);
    Cur.FontName.clear();
  }

  void Command(int32_t type, TCommand& c) {
    switch (type) {
      case 2: Circle(c); break;
      case 3: Circle3(c, false); break;
      case 4: Arc(c); break;
      case 5: Circle3(c, true); break;
      case 6: case 32: Polyline(c, false); break;
      case 7: Polyline(c, true); break;
      case 8: Mesh(c); break;
      case 9: Shell(c); break;
      case 11: Text8(c); break;
      case 36: Text16(c); break;
      case 38: Text16b(c); break;
      case 14: { const int32_t v = c.I(); if (!c.Bad) Cur.Color = v; break; }
      case 16: { const int32_t v = c.I(); if (!c.Bad) Cur.Layer = v; break; }
      case 18: {
        const int32_t v = c.I();
        if (!c.Bad) Cur.LineType = v == 32766 ? -2 : v == 32767 ? -1 : v;
        break;
      }
      case 19: { const int32_t v = c.I(); if (!c.Bad) Cur.Marker = v; break; }
      case 20: { const int32_t v = c.I(); if (!c.Bad) Fill = v == 1; break; }
      case 22: {
        if (!c.Has(4)) break;
        const uint8_t b = c.Rd.ReadByte();
        Cur.Color = b;
        break;
      }
      case 23: { const int32_t v = c.I(); if (!c.Bad) Cur.LineWeight = v; break; }
      case 24: { const double v = c.D(); if (!c.Bad) Cur.LineTypeScale = v; break; }
      case 26: {
        const int32_t a = c.I(), b = c.I();
        if (!c.Bad) Cur.PlotStyle[0] = a, Cur.PlotStyle[1] = b;
        break;
      }
      case 29: Push(c); break;
      case 31: Pop(); break;
      default: break;
    }
  }

  void Circle(TCommand& c) {
    const TFPoint centre = c.P();
    const double r = c.D();
    TFPoint n = c.Vec();
    if (c.Bad) return;
    const double ln = Len(n);
    if (!(ln > cnstEps) || !std::isfinite(ln)) return;  // no plane: the shape is dropped
    n = PtXScalar(n, 1 / ln);
    const TFPoint axis = std::abs(std::abs(n.Y) - 1) < cnstEps ? TFPoint{1, 0, 0} : TFPoint{0, 1, 0};
    const TFPoint u = Normalize(CrossFPoint(n, axis));
    AddCurve(ArcPoints(centre, r, n, u, 2 * cnstPi, Segments(Opt)), false);
  }

  void Arc(TCommand& c) {
    const TFPoint centre = c.P();
    const double r = c.D();
    TFPoint n = c.Vec();
    TFPoint u = c.Vec();
    const double sweep = c.D();
    if (c.Bad) return;
    const double ln = Len(n), lu = Len(u);
    if (!(ln > cnstEps) || !(lu > cnstEps) || !std::isfinite(ln) || !std::isfinite(lu)) return;
    n = PtXScalar(n, 1 / ln);
    // The start direction taken into the arc's plane.
    u = SubFPoint(PtXScalar(u, 1 / lu), PtXScalar(n, Dot(u, n) / lu));
    const double lp = Len(u);
    if (!(lp > cnstEps)) return;
    u = PtXScalar(u, 1 / lp);
    AddCurve(ArcPoints(centre, r, n, u, sweep, Segments(Opt)), false);
  }

  void Circle3(TCommand& c, bool arc) {
    const TFPoint p1 = c.P(), p2 = c.P(), p3 = c.P();
    if (c.Bad) return;
    TFPoint centre, n;
    double r = 0;
    if (!CircleOf3(p1, p2, p3, centre, r, n)) return;
    const TFPoint u = PtXScalar(SubFPoint(p1, centre), 1 / r);
    double sweep = 2 * cnstPi;
    if (arc) {
      const TFPoint e = SubFPoint(p3, centre);
      const TFPoint v = CrossFPoint(n, u);
      sweep = std::atan2(Dot(e, v), Dot(e, u));
      if (sweep <= 0) sweep += 2 * cnstPi;
    }
    AddCurve(ArcPoints(centre, r, n, u, sweep, Segments(Opt)), !arc);
  }

  void AddCurve(const std::vector<TFPoint>& pts, bool closed) {
    if (pts.size() < 2) return;
    for (const TFPoint& p : pts)
      if (!Finite(p)) return;
    Add(New3DPolyline(pts, closed));
  }

  void Polyline(TCommand& c, bool polygon) {
    const int64_t n = c.Count(24);
    if (n < 0) return;
    std::vector<TFPoint> pts;
    pts.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) pts.push_back(c.P());
    if (c.Bad || pts.empty()) return;
    if (polygon && Fill) {
      auto* pp = new TvxCADPolyPolygon();
      TF2DPointList loop;
      for (const TFPoint& p : pts) loop.Add({p.X, p.Y});
      pp->AddBoundary(loop);
      Add(pp);
      return;
    }
    if (pts.size() == 2) {
      auto* l = new TvxDXFLine();
      l->SetPoint(pts[0]);
      l->SetPoint1(pts[1]);
      Add(l);
      return;
    }
    Add(New3DPolyline(pts, polygon));
  }

  void Mesh(TCommand& c) {
    const int32_t m = c.I(), n = c.I();
    if (c.Bad || m <= 0 || n <= 0) return;
    const uint64_t cells = static_cast<uint64_t>(m) * static_cast<uint64_t>(n);
    if (cells * 24 > c.Left()) return;
    auto* p = new TvxDXFPolyline();
    p->SetFlags(cnstPolylineMesh);
    p->SetMeshM(m);
    p->SetMeshN(n);
    for (uint64_t i = 0; i < cells; ++i) p->AddVertex(c.P())->SetFlags(cnstVertex3D | cnstVertexPolyFaceMesh);
    Add(p);
  }

  void Shell(TCommand& c) {
    const int64_t nv = c.Count(24);
    if (nv < 0) return;
    std::vector<TFPoint> pts;
    pts.reserve(static_cast<size_t>(nv));
    for (int64_t i = 0; i < nv; ++i) pts.push_back(c.P());
    const int64_t nf = c.Count(4);
    if (c.Bad || nf < 0) return;
    std::vector<int32_t> list(static_cast<size_t>(nf));
    for (auto& v : list) v = c.I();
    if (c.Bad) return;
    auto* p = new TvxDXFPolyline();
    p->SetFlags(cnstPolylinePolyFace);
    for (const TFPoint& q : pts) p->AddVertex(q)->SetFlags(cnstVertexFaceRecord | cnstVertexPolyFaceMesh);
    int faces = 0;
    // Each entry is a count and that many vertex numbers; a negative count is a hole (its
    // numbers are read alike), a zero count ends the list.
    for (size_t i = 0; i < list.size();) {
      const int64_t cnt = std::abs(static_cast<int64_t>(list[i]));
      if (cnt == 0 || cnt > static_cast<int64_t>(list.size() - i - 1)) break;
      TvxDXFVertex* f = p->AddVertex({});
      f->SetFlags(cnstVertexFaceRecord);
      for (int k = 0; k < 4 && k < cnt; ++k) {
        const int32_t idx = list[i + 1 + static_cast<size_t>(k)];
        // Numbers outside the vertices name no corner.
        f->SetPolyFaceVertexIndex(k, idx >= 0 && idx < nv ? idx + 1 : 0);
      }
      ++faces;
      i += static_cast<size_t>(cnt) + 1;
    }
    p->SetMeshM(static_cast<int>(nv));
    p->SetMeshN(faces);
    Add(p);
  }

  // Degrees of a direction in the XY plane (0 for none).
  static double DirAngle(const TFPoint& d) {
    if (!std::isfinite(d.X) || !std::isfinite(d.Y) || (std::abs(d.X) < cnstEps && std::abs(d.Y) < cnstEps)) return 0;
    double a = std::atan2(d.Y, d.X) * 180 / cnstPi;
    if (a < 0) a += 360;
    return a;
  }

  struct TTextData {
    TFPoint Pos, Normal, Dir, Extra;
    std::string Text, Font;
    double Height = 0, Width = 1, Oblique = 0;
  };

  void AddText(const TTextData& t) {
    if (!Finite(t.Pos) || !std::isfinite(t.Height)) return;
    auto* e = new TvxDXFText();
    e->SetPoint(t.Pos);
    e->SetExtrusion(t.Normal);
    double rot = DirAngle(t.Dir);
    // The vector after the oblique angle turns the text further (only when it has a direction).
    if (std::abs(t.Extra.X) > cnstEps || std::abs(t.Extra.Y) > cnstEps) rot += DirAngle(t.Extra);
    e->SetRotation(std::fmod(rot, 360.0));
    e->SetText(t.Text);
    e->SetHeight(t.Height * (Stack.empty() ? 1.0 : Stack.back().Scale));
    if (std::isfinite(t.Width) && t.Width > 0) e->SetWidthFactor(t.Width);
    if (std::isfinite(t.Oblique)) e->SetObliqueAngle(t.Oblique * 180 / cnstPi);
    Cur.FontName = t.Font;
    Add(e);
  }

  void Text8(TCommand& c) {
    TTextData t;
    t.Pos = c.P();
    t.Normal = c.Vec();
    t.Dir = c.Vec();
    std::string raw = c.Str8();
    const int32_t len = c.I();
    if (len >= 0 && static_cast<size_t>(len) < raw.size()) raw.resize(static_cast<size_t>(len));
    c.Skip(4);
    t.Height = c.D();
    t.Width = c.D();
    t.Oblique = c.D();
    t.Extra = c.Vec();
    c.Skip(4);
    std::string font = c.Str8();
    if (c.Bad) return;
    t.Text = CodePageToUTF8(raw, Opt.CodePage);
    t.Font = CodePageToUTF8(font, Opt.CodePage);
    AddText(t);
  }

  void Text16(TCommand& c) {
    TTextData t;
    t.Pos = c.P();
    t.Normal = c.Vec();
    t.Dir = c.Vec();
    t.Height = c.D();
    t.Width = c.D();
    t.Oblique = c.D();
    t.Text = c.Str16(true);
    if (c.Bad) return;
    AddText(t);
  }

  void Text16b(TCommand& c) {
    TTextData t;
    t.Pos = c.P();
    t.Normal = c.Vec();
    t.Dir = c.Vec();
    t.Text = c.Str16(true);
    c.Skip(8);
    t.Height = c.D();
    t.Width = c.D();
    t.Oblique = c.D();
    t.Extra = c.Vec();
    c.Skip(24);
    if (c.Bad) return;
    // The font name: 16-bit characters up to one whose low byte is 0.
    std::string font;
    while (c.Left() >= 2) {
      const char16_t ch = c.Rd.ReadChar16();
      if ((ch & 0xFF) == 0) break;
      AppendUTF8(font, ch);
    }
    t.Font = font;
    AddText(t);
  }

  void Push(TCommand& c) {
    double a[3][4];
    for (auto& row : a)
      for (double& v : row) v = c.D();
    c.Skip(32);
    if (c.Bad) return;
    if (Stack.size() >= cnstMaxProxyTransforms) {
      ++Ignored;
      return;
    }
    // Row i of the file is column i of the library's row-vector matrix.
    TFMatrix m;
    for (int r = 0; r < 4; ++r)
      for (int k = 0; k < 3; ++k) m.M[static_cast<size_t>(r)][static_cast<size_t>(k)] = a[k][r];
    // The new transform applies first, the enclosing one after it.
    if (!Stack.empty()) m = MultiplyMatrix(m, Stack.back().M);
    TTransform t{m, Len(m.EX())};
    if (!std::isfinite(t.Scale)) t.Scale = 1;
    Stack.push_back(t);
  }

  void Pop() {
    if (Ignored > 0) {
      --Ignored;
      return;
    }
    if (!Stack.empty()) Stack.pop_back();
  }

  TvxProxyDataReader& Rd;
  const TvxProxyOptions& Opt;
  std::vector<TvxEntityPtr<>>& Ents;
  std::vector<TvxProxyProps>& Props;
  TvxProxyProps Cur;
  std::vector<TTransform> Stack;
  int Ignored = 0;  // pushes beyond the limit, matched by their pops
  bool Fill = false;
};

}  // namespace

void ReadProxyGraphics(TvxProxyDataReader& reader, const TvxProxyOptions& options,
                       std::vector<TvxEntityPtr<>>& entities, std::vector<TvxProxyProps>& props) {
  TDecoder(reader, options, entities, props).Run();
}

namespace {

// The name without a folder and an extension, for comparing font names.
std::string FontStem(const std::string& name) {
  std::string s = name;
  if (size_t slash = s.find_last_of("/\\"); slash != std::string::npos) s.erase(0, slash + 1);
  if (size_t dot = s.rfind('.'); dot != std::string::npos) s.erase(dot);
  return s;
}

}  // namespace

TvxDXFStyle* ProxyTextStyle(TvxDXFConverter* conv, const std::string& font) {
  if (font.empty()) return nullptr;
  TvxDXFEntity* styles = conv->Sections(csStyles);
  if (!styles) return nullptr;
  const std::string stem = FontStem(font);
  for (int i = 0; i < styles->Count(); ++i) {
    auto* s = dynamic_cast<TvxDXFStyle*>(styles->GetEntity(i));
    if (s && (SameName(s->PrimaryFont, font) || SameName(FontStem(s->PrimaryFont), stem))) return s;
  }
  return nullptr;
}

}  // namespace vx
