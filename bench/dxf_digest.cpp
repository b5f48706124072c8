// dxf_digest: a fingerprint of everything a DXF load computes, for checking that a change meant to
// make loading faster leaves every result as it was.
//
//   dxf_digest FILE...        one line per file: items, points, and a 64-bit hash of the whole tree
//   dxf_digest -v FILE        one line per item (class, kind, handle, name, flags, box, points)
//
// The walk visits the drawing's tree from its root (sections, tables, blocks, entities and their
// children) once per item, and hashes the exact bits of every box, point, outline point and point
// count, so a difference in the last bit of one coordinate shows.
#include "database/core/DXFConv.h"
#include "database/entities/vxEntPolylines.h"
#include "readers/dxf/vxDXFImport.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

using namespace vx;

namespace {

struct TDigest {
  uint64_t Hash = 1469598103934665603ull;
  uint64_t Items = 0, Points = 0;
  bool Verbose = false;
  std::unordered_set<const TvxDXFEntity*> Seen;

  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) Hash = (Hash ^ b[i]) * 1099511628211ull;
  }
  void Num(double v) { Bytes(&v, sizeof v); }
  void Int(int64_t v) { Bytes(&v, sizeof v); }
  void Str(const std::string& s) {
    Int(static_cast<int64_t>(s.size()));
    Bytes(s.data(), s.size());
  }
  void Point(const TFPoint& p) {
    Num(p.X);
    Num(p.Y);
    Num(p.Z);
  }

  void Walk(TvxDXFEntity* e, int depth) {
    if (!e || depth > 64 || !Seen.insert(e).second) return;
    ++Items;
    Str(e->ClassName());
    Int(static_cast<int>(e->EntType()));
    Int(static_cast<int64_t>(e->GetHandle()));
    Str(e->GetName());
    Int(e->GetFlags());
    const TFRect box = e->GetBox();
    for (double v : {box.Left, box.Top, box.Z1, box.Right, box.Bottom, box.Z2}) Num(v);
    const TvxColorCAD c = e->GetColorCAD();
    Int(static_cast<int>(c.Active));
    Int(c.Color);
    Num(e->GetLineWeight());
    Int(e->GetVisibility());
    uint64_t points = 0;
    if (auto* poly = dynamic_cast<TvxCADBasePolyline*>(e)) {
      for (const TFPoint& p : poly->PolyPoints()) Point(p);
      points += static_cast<uint64_t>(poly->PointCount());
    }
    if (auto* pl = dynamic_cast<TvxDXFPolyline*>(e)) {
      for (int n : pl->PointsCounts()) Int(n);
      if (const TFPointList* a = pl->Arrows()) {
        for (const TFPoint& p : *a) Point(p);
        points += static_cast<uint64_t>(a->Count());
      }
      if (const TvxIntegerList* f = pl->PolyFaceVertexIndexes())
        for (int n : *f) Int(n);
      Int(pl->PolyLineEntitiesCount());
    }
    Points += points;
    if (Verbose)
      std::printf("%*s%s kind=%d h=%llx name=%s flags=%d box=[%.17g %.17g %.17g %.17g] pts=%llu "
                  "hash=%016llx\n",
                  depth, "", e->ClassName(), static_cast<int>(e->EntType()),
                  static_cast<unsigned long long>(e->GetHandle()), e->GetName().c_str(),
                  e->GetFlags(), box.Left, box.Bottom, box.Right, box.Top,
                  static_cast<unsigned long long>(points), static_cast<unsigned long long>(Hash));
    const int n = e->Count();
    for (int i = 0; i < n; ++i) Walk(e->GetEntity(i), depth + 1);
  }
};

}  // namespace

int main(int argc, char** argv) {
  bool verbose = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-v") == 0) verbose = true;
    else files.emplace_back(argv[i]);
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: dxf_digest [-v] FILE...\n");
    return 2;
  }
  int status = 0;
  for (const std::string& f : files) {
    TvxDXFLoader image;
    std::string error;
    try {
      image.LoadFromFile(f);
    } catch (const std::exception& e) {
      error = e.what();
      status = 1;
    }
    TDigest d;
    d.Verbose = verbose;
    d.Walk(image.Converter()->Main(), 0);
    for (int i = 0; i < image.Converter()->LayoutsCount(); ++i)
      d.Walk(image.Converter()->Layouts(i), 0);
    const TFRect ext = image.Converter()->Extents();
    for (double v : {ext.Left, ext.Top, ext.Z1, ext.Right, ext.Bottom, ext.Z2}) d.Num(v);
    d.Str(error);
    std::printf("%s items=%llu points=%llu hash=%016llx%s%s\n", f.c_str(),
                static_cast<unsigned long long>(d.Items), static_cast<unsigned long long>(d.Points),
                static_cast<unsigned long long>(d.Hash), error.empty() ? "" : " error=",
                error.c_str());
  }
  return status;
}
