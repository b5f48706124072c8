// Texts, attribute definitions, attributes and shapes. Which of them show is decided before
// this step (TextVisible, the drawing's attribute mode, invisible attributes). The database has
// laid each text out (database/text/vxTextLayout.h): this step maps the face's glyph geometry
// through the text's matrix and the walk's matrix and hands it to the draw targets, TrueType
// contours as winding-rule fills and SHX glyphs as strokes, so that the selection matrix picks
// texts as it picks every other entity.
#include "render/vxDrawWalk.h"

#include "database/text/vxText.h"
#include "render/vxCADImage.h"

#include <cmath>
#include <utility>

namespace vx {

namespace {

// Below this height on the screen (pixels) a text is drawn as its box.
constexpr double cnstTextMinPixels = 2.0;

TColor TextColor(const TvxCADImage& img) {
  switch (img.DrawMode()) {
    case dmBlack: return img.DrawingDefaultColor();
    case dmGray: return 0x808080;
    default: return img.FDraw.Color;
  }
}

}  // namespace

int DrawTextEntity(TvxCADImage& img, TvxDXFEntity* e) {
  auto* t = dynamic_cast<TvxDXFText*>(e);
  if (!t) return 0;
  const TvxTextLayout& layout = t->Layout();
  if (!layout.Usable() || !layout.HasBox) return 0;
  TvxDrawWalkState& w = *img.FWalk;
  // font units -> device through the text's matrix and the walk's
  const TFMatrix m = MultiplyMatrix(t->GlyphMatrix(), img.FDraw.Matrix);
  const TFPoint o = TransformPoint(TFPoint{0, 0, 0}, m);
  const TFPoint up = TransformPoint(TFPoint{0, layout.CapHeight, 0}, m);
  const double pixels = std::hypot(up.X - o.X, up.Y - o.Y);
  if (!std::isfinite(pixels)) return 0;
  const TColor color = TextColor(img);
  img.SetColor(color, ctPen, true);
  const TFMatrix& toDrawing = t->GlyphMatrix();
  auto device = [&](double x, double y) {
    return img.DevicePoint(TransformPoint(TFPoint{x, y, 0}, toDrawing));
  };
  std::vector<QPointF>& pts = w.Points;
  std::vector<int>& counts = w.Counts;
  pts.clear();
  counts.clear();

  if (pixels < cnstTextMinPixels) {
    // Unreadable: the box shows where the text is.
    for (const auto& [x, y] : {std::pair{layout.Left, layout.Bottom}, {layout.Right, layout.Bottom},
                               {layout.Right, layout.Top}, {layout.Left, layout.Top}})
      pts.push_back(device(x, y));
    pts.push_back(pts.front());
    img.SetColor(color, ctBrush, true);
    WalkPolygon(img, pts.data(), static_cast<int>(pts.size()));
    return 0;
  }

  for (const TvxPlacedGlyph& g : layout.Glyphs) {
    const TvxGlyph& glyph = *g.Glyph;
    size_t at = 0;
    for (const int n : glyph.Counts) {
      if (n <= 0 || at + static_cast<size_t>(n) > glyph.Points.size()) break;
      for (int i = 0; i < n; ++i) {
        const TF2DPoint& p = glyph.Points[at + static_cast<size_t>(i)];
        pts.push_back(device(g.X + p.X, g.Y + p.Y));
      }
      counts.push_back(n);
      at += static_cast<size_t>(n);
    }
  }
  if (!counts.empty()) {
    if (layout.Filled) {
      WalkFillPath(img, pts.data(), counts.data(), static_cast<int>(counts.size()), frWinding,
                   TvxFill::Solid(color));
    } else {
      WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
    }
  }
  if (!layout.Lines.empty()) {
    pts.clear();
    counts.clear();
    for (size_t i = 0; i + 1 < layout.Lines.size(); i += 2) {
      pts.push_back(device(layout.Lines[i].X, layout.Lines[i].Y));
      pts.push_back(device(layout.Lines[i + 1].X, layout.Lines[i + 1].Y));
      counts.push_back(2);
    }
    WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
  }
  return 0;
}

}  // namespace vx
