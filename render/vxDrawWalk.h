// vxDrawWalk: the per-draw state of the entity drawing walk and the pieces the walk's units share.
//
// A TvxCADImage owns one TvxDrawWalkState; Draw calls BeginDraw before the walk and EndDraw after
// it (also when the walk throws). The state holds the screen measure of the entity being drawn
// (its screen box, first eight screen points and the "ready" flag), the one-pixel cache, point
// buffers, the region stack, the complex-entity marker, the in-place reference, and the records
// of what viewports and clipped references saved or pushed, so that each restore is paired with
// its save.
//
// The image's members DrawEntity, DrawEntityByType, FinishEntity and ApplyLineWeight are defined
// in render/vxDrawWalk*.cpp:
//   vxDrawWalk.cpp         DrawEntity, FinishEntity, BeginDraw/EndDraw
//   vxDrawWalkMeasure.cpp  visibility, screen measure, on-screen test, line weight
//   vxDrawWalkOutput.cpp   output primitives, handed to the draw targets (render/output/)
//   vxDrawWalkLines.cpp    kind dispatch, points, lines, rays, line-type pieces
//   vxDrawWalkSolids.cpp   solids, traces, 3D faces
//   vxDrawWalkCurves.cpp   circles, arcs, ellipses, polylines, meshes, splines
//   vxDrawWalkRefs.cpp     references, viewports, complex entities
//   vxDrawWalkText.cpp     texts (DrawTextEntity)
#pragma once

#include "database/core/DXFConv.h"
#include "database/entities/vxEntGeometry.h"
#include "database/linetypes/vxLines.h"
#include "render/output/vxDrawTargets.h"
#include "render/vxRegion.h"

#include <QBrush>
#include <QFont>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <array>
#include <cstdint>
#include <vector>

namespace vx {

class TvxCADImage;

// An entity box on the screen that nothing has grown yet.
constexpr int cnstEmptyScreenLeft = 2147483647;
constexpr int cnstEmptyScreenRight = -2147483647;
// Poly-polylines with more points than this go out as one polyline per part.
constexpr int cnstMaxPolyPolylinePoints = 3999;

// What a viewport or a clipped reference changed, so that FinishEntity restores exactly that.
struct TvxWalkSaved {
  TvxDXFEntity* Entity = nullptr;
  bool CanvasSaved = false;     // pen, brush, font, clip and the image's colour caches
  bool MatrixClipSaved = false; // the selection matrix's clip region
  bool RegionPushed = false;    // a region on the region stack
  bool Viewport = false;
  QPen Pen;
  QBrush Brush;
  QFont Font;
  bool HadClip = false;
  QRegion Clip;
  uint32_t ColorPen = 0, ColorBrush = 0, ColorFont = 0;
  int PenWidth = 0;
};

struct TvxDrawWalkState {
  explicit TvxDrawWalkState(TvxCADImage& image)
      : HookTarget(image), MatrixTarget(image), CanvasTarget(image) {
    Output.Add(&HookTarget);
    Output.Add(&MatrixTarget);
    Output.Add(&CanvasTarget);
  }
  TvxDrawWalkState(const TvxDrawWalkState&) = delete;
  TvxDrawWalkState& operator=(const TvxDrawWalkState&) = delete;

  // ---- where primitives go: targets added by the image's owner, the export hooks, the
  // selection matrix, the canvas (in this order; a hook that exports a primitive takes it) ----
  TvxHookTarget HookTarget;
  TvxMatrixTarget MatrixTarget;
  TvxCanvasTarget CanvasTarget;
  TvxDrawFanOut Output;
  int OwnTargets = 0;  // targets added before the built-in three

  // ---- per draw ----
  void BeginDraw(TvxCADImage& image);
  // Unwinds whatever the walk left (an exception can skip FinishEntity) and drops the caches.
  void EndDraw(TvxCADImage& image);

  // ---- the entity being drawn ----
  TvxDXFEntity* Entity = nullptr;
  uint64_t Handle = 0;
  const TvxLines* Pattern = nullptr;  // nil: continuous
  TvxLinesParams PatternParams;
  // Screen measure: box (Y down) and the first eight mapped points.
  TvxIntRect IRect{cnstEmptyScreenLeft, cnstEmptyScreenLeft, cnstEmptyScreenRight,
                   cnstEmptyScreenRight};
  std::array<QPoint, 8> IPoints{};
  int Index = 0;       // points measured (the first eight are kept)
  bool Ready = false;  // IPoints are the exact vertices to draw

  // ---- the one-pixel cache (reset every draw and after any other primitive) ----
  bool PixelValid = false;
  QPoint Pixel;
  uint32_t PixelColor = 0;

  // ---- picking ----
  TvxDXFEntity* ComplexEntity = nullptr;     // parts are credited to it
  TvxDXFEntity* InPlaceReference = nullptr;  // set by the editor
  bool InPlaceMode = false;
  TvxDXFEntity* Registered = nullptr;        // the entity last registered with the matrix

  // ---- clipping ----
  TvxRegionStack Regions;
  std::vector<TvxWalkSaved> Saved;

  // ---- options and buffers ----
  bool AddOnePixel = false;  // draw the last pixel of two-point lines
  bool XorPen = false;       // the pen mixes by (not-)XOR: no pixel shortcut
  std::vector<QPointF> Points;  // device points (whole pixels unless antialiasing)
  std::vector<int> Counts;
};

// ---- shared by the walk's units -------------------------------------------------------------

// Visibility (step 3 of DrawEntity); rays are clipped to the view on the way.
bool WalkIsDrawable(TvxCADImage& img, TvxDXFEntity* e);
// The layer an entity takes in the reference being walked.
TvxDXFLayer* WalkEffectiveLayer(TvxCADImage& img, const TvxDXFEntity* e);
// Layer test alone (off, frozen, frozen in the viewport, non-plotting).
bool WalkLayerPasses(TvxCADImage& img, const TvxDXFEntity* e, bool isReference);
// Measures the entity's screen box and first eight points (step 4).
void WalkMeasure(TvxCADImage& img, TvxDXFEntity* e);
// Adds one drawing point to the measure.
void WalkMeasurePoint(TvxCADImage& img, const TFPoint& p);
// The on-screen test (step 5).
bool WalkIsOnScreen(TvxCADImage& img);
// The entity's pattern for the current walk state, and whether it shows at this zoom.
void WalkResolvePattern(TvxCADImage& img, TvxDXFEntity* e);
bool WalkPatternShows(const TvxCADImage& img);
// Parses one ColorToLineWeight colour name or number (0 when it is neither).
uint32_t WalkParseColorName(const std::string& text);
// Parses millimetres with '.' whatever the locale; false when it is not a number.
bool WalkParseMillimetres(const std::string& text, double& mm);

// ---- output primitives (vxDrawWalkOutput.cpp) -------------------------------------------------
// Each is handed to the walk state's Output (render/output/vxDrawTarget.h): to its export hook
// when set, else to the selection matrix when picking is active and to the canvas unless the mode
// is matrix-only. Every primitive resets the one-pixel cache (the shortcut marks its own pixel
// again right after drawing it).

bool WalkPickingActive(const TvxCADImage& img);
// Registers the current entity (or credits the last element) before a matrix primitive.
void WalkRegister(TvxCADImage& img);
// Registers an entity explicitly (references, complex entities, texts) when picking is set.
void WalkRegisterEntity(TvxCADImage& img, TvxDXFEntity* e);
// Points are device points: whole pixels, or unrounded when the image antialiases
// (TvxCADImage::DevicePoint). The QPoint forms take whole pixels.
void WalkPolyline(TvxCADImage& img, const QPointF* pts, int n);
void WalkPolyline(TvxCADImage& img, const QPoint* pts, int n);
void WalkPolyPolyline(TvxCADImage& img, const QPointF* pts, const int* counts, int parts);
void WalkPolyPolyline(TvxCADImage& img, const QPoint* pts, const int* counts, int parts);
void WalkPolygon(TvxCADImage& img, const QPointF* pts, int n);
void WalkPolyPolygon(TvxCADImage& img, const QPointF* pts, const int* counts, int parts);
// Parts filled one by one (pieces that may overlap, such as the quads of a wide outline, must not
// cancel each other out as the alternate rule would make them); one poly-polygon for a hook.
void WalkPolygons(TvxCADImage& img, const QPointF* pts, const int* counts, int parts);
// A closed outline stroked as one figure (joins at every corner, the closing one included).
void WalkClosedPath(TvxCADImage& img, const QPointF* pts, int n);
void WalkPixel(TvxCADImage& img, QPoint p, uint32_t color);
// Counter-clockwise on the screen from the direction of start to the direction of end, on the
// ellipse whose extreme points are box's corners.
void WalkArc(TvxCADImage& img, const QRectF& box, QPointF start, QPointF end);
void WalkEllipse(TvxCADImage& img, const QRectF& box);
void WalkFillRegion(TvxCADImage& img, const QRegion& region, uint32_t color);
// A fill without outline in device points: hatch and solid fills with islands, gradients, glyph
// outlines. Unresolved colours take the default colour.
void WalkFillPath(TvxCADImage& img, const QPointF* pts, const int* counts, int parts,
                  TvxFillRule rule, const TvxFill& fill);
// A raster picture onto its device parallelogram.
void WalkImage(TvxCADImage& img, const TvxImagePlacement& image);
// The opacity of what the walk draws next (255 opaque).
void WalkSetAlpha(TvxCADImage& img, uint8_t alpha);

// ---- drawing helpers over drawing points ----------------------------------------------------

// Maps drawing points through the walk's matrix into the point buffer (consecutive duplicates
// kept) and draws them as one polyline.
void WalkDrawPoints(TvxCADImage& img, const TFPoint* pts, int n, bool closed);
// Draws dash pieces (pairs of drawing points): joining pieces merge, dots become pixels.
void WalkDrawPieces(TvxCADImage& img, const TFPointList& pieces);
// How a point list is cut by a pattern: segment by segment, as one curve, or as polyline
// vertices with their segment counts.
enum class TvxCutKind : uint8_t { ckPoly, ckCurve, ckVertexes };
using enum TvxCutKind;
// A point list with the entity's pattern: dashes when it shows, the plain list otherwise.
void WalkDrawPatterned(TvxCADImage& img, const TFPoint* pts, int n, bool closed, TvxCutKind kind,
                       const TvxIntegerList* counts = nullptr, bool plineGen = false);
// The pieces of a point list cut by the entity's pattern (in the walk's coordinates).
void WalkCutPattern(TvxCADImage& img, const TFPoint* pts, int n, bool closed, TvxCutKind kind,
                    const TvxIntegerList* counts, bool plineGen, TFPointList& pieces);
// The colour a single pixel of the current entity takes.
uint32_t WalkPixelColor(const TvxCADImage& img);

// ---- per-kind steps -------------------------------------------------------------------------

int WalkDrawPoint(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawLine(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawSolid(TvxCADImage& img, TvxDXFEntity* e);
int WalkDraw3dFace(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawCircle(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawArc(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawPolyline(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawSpline(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawReference(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawViewport(TvxCADImage& img, TvxDXFEntity* e);
int WalkDrawComplex(TvxCADImage& img, TvxDXFEntity* e);
// Hatches, curve, gradient and poly-polygons, multi-polygons (vxDrawWalkFills.cpp).
int WalkDrawFill(TvxCADImage& img, TvxDXFEntity* e);
// Wipeouts: their polygon in the background colour, then their frame.
int WalkDrawWipeout(TvxCADImage& img, TvxDXFEntity* e);
// Texts, attribute definitions and attributes (only called when TextVisible is on).
int DrawTextEntity(TvxCADImage& img, TvxDXFEntity* e);

// FinishEntity's restores.
void WalkFinishReference(TvxCADImage& img, TvxDXFEntity* e);
void WalkFinishViewport(TvxCADImage& img, TvxDXFEntity* e);
// Restores one saved record (canvas, matrix clip, region).
void WalkRestore(TvxCADImage& img, const TvxWalkSaved& s);

}  // namespace vx
