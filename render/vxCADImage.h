// vxCADImage: TvxCADImage, the graphic of a drawing. Owns (by reference count) one drawing
// database, knows which layout is shown, keeps the view matrix from drawing coordinates to
// device pixels (extents, border, zoom, fit, scale, translate, rotations and standard views),
// maps points both ways, resolves entity colours against the background, caches the pen,
// brush and font state while drawing, and draws the current layout onto a QPainter rectangle
// (Draw). The per-entity drawing of the walk lives in render/vxDrawWalk*.cpp.
#pragma once

#include "database/core/DXFConv.h"
#include "render/vxGraphic.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vx {

class TvxSelectionMatrix;  // render/vxSelectionMatrix.h; set by the editor, freed by the image
struct TvxDrawWalkState;   // render/vxDrawWalk.h; the walk's per-draw state
class TvxDrawTarget;       // render/output/vxDrawTarget.h; where the walk's primitives go

enum TvxDXFDrawMode { dmNormal, dmBlack, dmGray };
enum TvxColorTarget { ctPen, ctBrush, ctFont, ctBrushClear };
enum TvxSelectionMode { smDisabled, smEnabled, smMatrixOnly };
enum TvxPrintMode { pntNone, pntDirectColor, pntPrint };
enum TvxTTFMode { ttfAuto, ttfGDI, ttfPolyPolyline, ttfPolyPolygon };
enum TvxBorderType { btGlobal, btRatio };
enum TvxCachingRasterMode { crmNone, crmCache, crmDoubleCache };
enum TvxDXFViewDirection {
  vdDefault, vdTop, vdBottom, vdLeft, vdRight, vdFront, vdBack, vdSWIsometric, vdSEIsometric,
  vdNWIsometric, vdNEIsometric, vdDecard, vdGeodezik
};
enum TvxDistanceUnits { duNone, duInch, duMM };
enum TvxAngularUnits { auNone };

struct TvxExternalProps {
  uint8_t UseExternalPen = 0;  // 0 off, 1 for the entity of EntityHandle, 2 for all
  uint64_t EntityHandle = 0;
  TColor Color = 0;
  double LineWidth = 0;
};

struct TvxClipping {
  int32_t ClipMode = 0;
  TFRect ClipRect = BadBox;
};

// Export hooks: when one is set, the matching output goes to it instead of the canvas and the
// selection matrix (in whole pixels).
struct TvxExportHooks {
  std::function<void(QPoint, TColor)> ExpPixel;
  std::function<void(const QPoint*, int)> ExpPolyline, ExpPolygon;
  std::function<void(const QPoint*, const int* counts, int parts)> ExpPolyPolyline, ExpPolyPolygon;
  std::function<void(QPoint, const std::string&)> ExpText;
  std::function<void(const QRect& box, QPoint start, QPoint end)> ExpArc;
  std::function<void(const QRegion&)> ExpFillRgn, ExpClipRgn;
  std::function<void()> ExpCloseFigure, ExpSaveDC, ExpRestoreDC;
  std::function<void(const QImage&, const QRect&)> ExpImage;
  std::function<void(int)> ExpProgress;
  std::function<void(TColor, TvxColorTarget)> ExpSetColor;
  std::function<void(const QFont&)> ExpSetFont;
  std::function<void(Qt::PenStyle, TvxColorTarget)> ExpSetStyle;
  std::function<void(double)> ExpSetPenWidth, ExpSetPenMiterLimit;
  std::function<void(bool)> ExpSetPenGeometric;
};

using TvxImageEvent = std::function<void(class TvxCADImage*)>;

// Device coordinates are kept within +-2^24 before they reach the painter.
constexpr double cnstMaxDeviceCoord = 16777216.0;
// The nominal picture is never larger than this on either side.
constexpr int cnstMaxImageSize = 32767;

class TvxCADImage : public TvxGraphic {
 public:
  TvxCADImage();
  ~TvxCADImage() override;

  // ---- TvxGraphic ----
  void Draw(QPainter& canvas, const QRect& rect) override;
  int Width() const override;
  int Height() const override;
  bool Empty() const override { return false; }
  void LoadFromStream(std::istream& stream) override;
  // Loads the file; the process's current directory is left alone (references resolve
  // relative to the file in the database).
  void LoadFromFile(const std::string& fileName) override;
  // Writes the copy of the source kept by the last load (KeepSourceCopy), else the database's
  // source bytes.
  virtual void SaveToStream(std::ostream& stream) const;
  void SaveToFile(const std::string& fileName) const;
  // Process-wide: loads keep a copy of the bytes they read (off by default).
  static inline bool KeepSourceCopy = false;
  // The process-wide 216-colour palette: entry i is red (i mod 6) x 51, green ((i div 6) mod 6)
  // x 51, blue (i div 36) x 51.
  static const std::vector<TColor>& Palette();
  // Progress by counts: count x 100 / total through the progress event.
  virtual void ProgressByCount(int64_t count, int64_t total);
  // From another CAD image: shares its database (reference counted) and copies its view.
  bool Assign(const TvxGraphic& source) override;

  // ---- database ----
  TvxDXFConverter* Converter() const { return FConverter; }
  TvxDXFLayout* CurrentLayout() const { return FCurrentLayout; }
  virtual void SetCurrentLayout(TvxDXFLayout* layout);
  int LayoutsCount() const;
  TvxDXFLayout* Layouts(int i) const;
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& f) { FFileName = f; }
  virtual void StopLoading();
  virtual void GetConverterParams(TvxConverterParams& params);
  bool IsLoading() const;
  static TvxCADImage* LoadingImage();  // the image this thread is loading, or nil
  static TvxCADImage* CurrentDrawingImage();  // the image last (or now) drawing
  static void SetCurrentDrawingImage(TvxCADImage* image);
  // The file name without its folder: the part after the last '/', '\\' or ':'.
  static std::string BareFileName(const std::string& path);
  // Information the reader found in the file (the DXF image: the last 999 comment).
  const std::string& FileInfo() const { return FFileInfo; }
  // The progress message of the load in progress ("Loading file...", "Loading entities...").
  const std::string& Message() const { return FMessage; }

  // ---- extents and view ----
  // Extents from box: the drawing box instead when one is set, turned by the current layout's
  // rotation, plus the border; an unset box gives the unit box. Zoom and nominal size follow.
  // recalculate is passed on by layout changes (false for layouts of undefined space).
  virtual void SetExtentsParameters(const TFRect& box, bool recalculate);
  // Asked when the extents box is unset (may supply one: return true) and before a set box is
  // used (may change it).
  std::function<bool(TvxCADImage*, TFRect&)> OnGetBox;
  void RefreshCurrentLayout();
  TFRect Extents() const { return FExtents; }
  TFRect PureExtents() const { return FPureExtents; }
  TFRect GetDrawingExtents() const;
  TFPoint Center() const { return FCenter; }
  TFPoint Offset() const { return FOffset; }
  void SetOffset(const TFPoint& p) { FOffset = p; }
  // The shown size in drawing units: the clip box's when one is set, the plot paper's when
  // UsePlotSetting is on, else the extents'.
  double AbsWidth() const;
  double AbsHeight() const;
  // Recomputes every layout's extents and sets the current layout again (layout 0 when none).
  void GetExtents();
  // Drawing units to nominal pixels: 10 for drawings under 10 units, else at most 1 and small
  // enough that the nominal picture stays within 32767 pixels.
  double Zoom() const;
  TFRect DrawingBox() const { return FDrawingBox; }
  void SetDrawingBox(const TFRect& box);
  void ResetDrawingBox() { SetDrawingBox(BadBox); }
  TFRect ViewRectangle() const { return FViewRectangle; }
  void SetViewRectangle(const TFRect& r) { FViewRectangle = r; }
  const TFRect* ClippingRect() const { return FClippingRect.get(); }
  // The clip box: a part of the drawing (drawing units) that Draw makes fill its rectangle.
  void SetClippingRect(const TFRect* r);
  // Fits the view to the extents first, then takes box as the clip box.
  void SetClippingRectExt(const TFRect& box);
  const TvxClipping& Clipping() const { return FClipping; }
  // Mode 1: the clip box as given; modes 2 and 3: through SetClippingRectExt; others clear it.
  void SetClipping(const TvxClipping& c);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool v) { FStretch = v; }
  bool CustomDraw() const { return FCustomDraw; }
  void SetCustomDraw(bool v) { FCustomDraw = v; }
  double BorderSize() const { return FBorderSize; }
  void SetBorderSize(double v) { FBorderSize = v; }
  TvxBorderType BorderType() const { return FBorderType; }
  void SetBorderType(TvxBorderType t) { FBorderType = t; }
  bool IsWithoutBorder() const { return FIsWithoutBorder; }
  void SetIsWithoutBorder(bool v) { FIsWithoutBorder = v; }
  bool ResizeDisproportionateDrawing() const { return FResizeDisproportionateDrawing; }
  void SetResizeDisproportionateDrawing(bool v) { FResizeDisproportionateDrawing = v; }
  static inline double DefaultBorderSize = 0.125;
  static inline TvxBorderType DefaultBorderType = btRatio;

  // ---- the view matrix ----
  TFMatrix DrawMatrix() const { return FDraw.DrawMatrix; }
  void SetDrawMatrix(const TFMatrix& m);
  // Scales about the device point (x, y); factor 1 / not finite / zero does nothing.
  void ScaleDrawMatrix(double sx, double sy, double sz = 1.0);
  void ScaleDrawMatrixAt(double factor, const TFPoint& devicePoint);
  void TranslateDrawMatrix(double dx, double dy, double dz = 0.0);
  // Fits the view to the rectangle (what Draw does when CustomDraw is on).
  void FitToRect(const QRect& rect);
  // The view matrix FitToRect would set for rect.
  TFMatrix FitMatrix(const QRect& rect) const;
  TFPoint Scale() const;
  void Rotate(TvxAxis axis, double angleDeg);
  void RotToView(TvxDXFViewDirection view);
  void BeginRotate();
  void EndRotate();
  bool IsBadRotated() const { return FIsBadRotated; }
  double RotZAngle() const { return FRotZAngle; }

  // ---- pixel mapping ----
  QPoint GetPoint(const TFPoint& p) const;   // through FDraw.Matrix, clamped to +-2^24
  TFPoint GetPointF(const TFPoint& p) const;  // unrounded, through FDraw.Matrix
  // The device point the walk draws: GetPoint's whole pixel, or with Antialias on the unrounded
  // point (clamped to +-2^24; NaN gives 0).
  QPointF DevicePoint(const TFPoint& p) const;
  // The drawing point under a device point (plan and principal-axis views: Z of the result 0).
  TFPoint GetCADCoords(double x, double y) const;
  // The device rectangle of a drawing box through the view matrix.
  QRect GetRect(const TFRect& box) const;

  // ---- colours and canvas state ----
  TColor GetEntityColor(TvxDXFEntity* entity, TvxDXFEntity* insert);
  void SetColor(TColor color, TvxColorTarget target, bool allowExternal);
  void SetStyle(Qt::PenStyle style, TvxColorTarget target);
  void SetPenWidth(double width);
  void ApplyDrawModeColors();
  // Whether the external properties are in force for the entity being drawn.
  bool ExternalInForce() const;
  // The contrast grey for a background: 178 on white, 255 on black.
  static TColor ContrastColor(TColor background);
  // The colour of unresolved colours and of dmBlack (the print foreground when printing), and
  // the background of the plot paper (the print background when printing).
  TColor DrawingDefaultColor() const;
  TColor DrawingBackgroundColor() const;
  // 0x00BBGGRR to a Qt colour.
  static QColor ToColor(TColor c);

  // ---- draw targets ----
  // Adds a target that sees every primitive the walk draws, in device points, before the export
  // hooks, the selection matrix and the canvas (targets added earlier come first). The image
  // does not own it: remove it before freeing it.
  void AddDrawTarget(TvxDrawTarget* target);
  void RemoveDrawTarget(TvxDrawTarget* target);

  // ---- the walk (render/vxDrawWalk*.cpp) ----
  virtual int DrawEntity(TvxDXFEntity* entity);        // the per-entity callback of the layout walk
  virtual int DrawEntityByType(TvxDXFEntity* entity);  // per-kind dispatch
  virtual int FinishEntity(TvxDXFEntity* entity);      // after a complex entity's parts
  virtual void ApplyLineWeight(TvxDXFEntity* entity);

  // ---- units ----
  virtual bool GetMillimetres();
  void SetMillimetres(bool v) { FMillimetres = v ? 1 : 0; }
  virtual TFPoint CommonToInternalUnits(const TFPoint& p) const { return p; }
  virtual TFPoint InternalToCommonUnits(const TFPoint& p) const { return p; }
  virtual void Measurement(TvxDistanceUnits& du, TvxAngularUnits& au) const;
  virtual void SetDefaultViewModePlotSettings();

  // ---- appearance ----
  TvxDXFDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TvxDXFDrawMode m);
  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor c);
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor c);
  TColor ChangeBackgroundColor() const { return FChangeBackgroundColor; }
  bool IsShowBackground() const { return FIsShowBackground; }
  void SetIsShowBackground(bool v) { FIsShowBackground = v; }
  bool IsShowLineWeight() const { return FIsShowLineWeight; }
  void SetIsShowLineWeight(bool v) { FIsShowLineWeight = v; }
  bool LineScaled() const { return FIsShowLineWeight; }
  double LineWeightScale() const { return FLineWeightScale; }
  void SetLineWeightScale(double v) { FLineWeightScale = v; }
  const std::vector<std::string>& ColorToLineWeight() const { return FColorToLineWeight; }
  void SetColorToLineWeight(const std::vector<std::string>& v) { FColorToLineWeight = v; }
  int NullWidth() const { return FNullWidth; }
  void SetNullWidth(int v) { FNullWidth = v; }
  double NullWidthExt() const { return FNullWidthExt; }
  void SetNullWidthExt(double v) { FNullWidthExt = v; }
  bool ShowImages() const { return FShowImages; }
  void SetShowImages(bool v) { FShowImages = v; }
  bool DimensionsVisible() const { return FDimensionsVisible; }
  void SetDimensionsVisible(bool v) { FDimensionsVisible = v; }
  bool TextVisible() const { return FTextVisible; }
  void SetTextVisible(bool v) { FTextVisible = v; }
  bool UseWinEllipse() const { return FUseWinEllipse; }
  void SetUseWinEllipse(bool v) { FUseWinEllipse = v; }
  TvxTTFMode TTFMode() const { return FTTFMode; }
  void SetTTFMode(TvxTTFMode m) { FTTFMode = m; }
  TvxCachingRasterMode CachingRasterMode() const { return FCachingRasterMode; }
  void SetCachingRasterMode(TvxCachingRasterMode m) { FCachingRasterMode = m; }
  static inline TvxCachingRasterMode DefaultCachingRasterMode = crmCache;
  // The canvas paints antialiased, with the walk's points unrounded (off by default: whole pixels,
  // the look of the platform this drawing model comes from). The selection matrix never
  // antialiases.
  bool Antialias() const { return FAntialias; }
  void SetAntialias(bool v) { FAntialias = v; }
  bool IsDraw3DAxes() const { return FIsDraw3DAxes; }
  void SetIsDraw3DAxes(bool v) { FIsDraw3DAxes = v; }

  // ---- plot ----
  bool UsePlotSetting() const { return FUsePlotSetting; }
  void SetUsePlotSetting(bool v) { FUsePlotSetting = v; }
  bool ShowPlotSetting() const { return FShowPlotSetting; }
  void SetShowPlotSetting(bool v) { FShowPlotSetting = v; }
  bool ShowPlotMargins() const { return FShowPlotMargins; }
  void SetShowPlotMargins(bool v) { FShowPlotMargins = v; }
  bool ShowPlotFrame() const { return FShowPlotFrame; }
  void SetShowPlotFrame(bool v) { FShowPlotFrame = v; }
  bool ShowPlotForModel() const { return FShowPlotForModel; }
  void SetShowPlotForModel(bool v) { FShowPlotForModel = v; }
  TColor PlotWindowAreaColor() const { return FPlotWindowAreaColor; }
  void SetPlotWindowAreaColor(TColor c) { FPlotWindowAreaColor = c; }
  TvxPrintMode Printing() const { return FPrinting; }
  void SetPrinting(TvxPrintMode m) { FPrinting = m; }
  bool IsCurLayoutShowPlot() const;
  // Colours used for printing (pntPrint) in place of a light foreground / the background.
  static inline TColor PrintForegroundColor = 0x000000;
  static inline TColor PrintBackgroundColor = 0xFFFFFF;

  // ---- device ----
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
  double mmToPixelX() const { return FmmToPixelX; }
  void SetmmToPixelX(double v) { FmmToPixelX = v; }
  QPoint DeviceDPI() const { return FDeviceDPI; }
  void SetDeviceDPI(QPoint p) { FDeviceDPI = p; }

  // ---- state ----
  bool IsPlotting() const { return FIsPlotting; }
  void SetIsPlotting(bool v) { FIsPlotting = v; }
  bool IsProcessMessages() const { return FIsProcessMessages; }
  void SetIsProcessMessages(bool v) { FIsProcessMessages = v; }
  bool IsIterator() const { return FIsIterator; }
  void SetIsIterator(bool v) { FIsIterator = v; }
  const std::string& Guid() const { return FGuid; }

  // ---- picking ----
  TvxSelectionMatrix* SelectionMatrix() const { return FSelectionMatrix; }
  // Takes ownership of the matrix (frees the previous one).
  void SetSelectionMatrix(TvxSelectionMatrix* m);
  TvxSelectionMode GetMatrixMode() const { return FSelectionMode; }
  void SetMatrixMode(TvxSelectionMode m) { FSelectionMode = m; }
  QSize VisibleArea() const { return FVisibleArea; }
  void SetVisibleArea(QSize s) { FVisibleArea = s; }
  TvxExternalProps* ExternalProps() const { return FExternalProps; }
  void SetExternalProps(TvxExternalProps* p) { FExternalProps = p; }

  // ---- events ----
  TvxImageEvent OnBeforeRotate, OnAfterRotate, OnLayoutChange, OnLayoutBeforeChange,
      OnAfterDraw, OnMatrixChanged;

  // ---- public state the walk reads and writes ----
  QPainter* FCanvas = nullptr;
  TvxCADIterate FDraw, FDrawSaved;
  TvxExportHooks Hooks;
  TColor FColorPen = 0, FColorBrush = 0, FColorFont = 0;
  int FPenWidth = 0;
  QRect FDrawRect;                        // device clip rectangle of this draw
  std::unique_ptr<TvxDrawWalkState> FWalk;
  TvxSelectionMatrix* FSelectionMatrix = nullptr;
  TvxSelectionMode FSelectionMode = smDisabled;
  TvxExternalProps* FExternalProps = nullptr;
  TvxDXFEntity* FCurrentEntity = nullptr;   // the entity being drawn (for external properties)
  std::vector<TvxDXFEntity*> FXRefsDrawing;  // references being drawn (guard against self-nesting)

 protected:
  // Makes the database; the base asks GetConverterParams first.
  virtual TvxDXFConverter* CreateConverter();
  // Replaces the database reference (releasing the old one).
  void SetConverter(TvxDXFConverter* conv);
  void ReportProgress(TvxProgressStage stage, int percent, const std::string& msg);
  // Marks the image as this thread's loading image and routes the database's reading
  // callbacks to the progress event, for the duration of one load.
  class TvxLoadingScope {
   public:
    TvxLoadingScope(TvxCADImage* image, size_t size);
    ~TvxLoadingScope();
    TvxLoadingScope(const TvxLoadingScope&) = delete;
    TvxLoadingScope& operator=(const TvxLoadingScope&) = delete;

   private:
    TvxCADImage* FImage;
    TvxCADImage* FPrev;
    TvxConverterEvent FBefore, FRead, FAfter;
  };
  // After a reader filled the database: extents, current layout (layout 0), zoom, size.
  void AfterLoad();
  // The steps of Draw (render/vxCADImageDraw.cpp).
  void ResetCanvasState(QPainter& canvas);
  void PaintBackground(QPainter& canvas, const QRect& target);
  void ClipToShownArea(QPainter& canvas);
  void MeasureDrawRect(QPainter& canvas, const QRect& target);
  void ClearSelectionMatrix();
  void RefillOverflowedMatrix(const std::function<void()>& walk);
  void DrawPlotPaper(QPainter& canvas);
  void Draw3DAxes(QPainter& canvas);
  void ClipBoxRect(const QRect& rect, QRect& target) const;

  TvxDXFConverter* FConverter = nullptr;  // one counted reference
  TvxDXFLayout* FCurrentLayout = nullptr;
  std::string FFileName;
  std::string FFileInfo;
  std::string FMessage;
  size_t FLoadSize = 0;
  std::string FSourceCopy;  // KeepSourceCopy
  std::string FGuid;

  TFRect FExtents = BadBox, FPureExtents = BadBox;
  TFPoint FCenter, FOffset;
  TFRect FDrawingBox = BadBox;
  TFRect FViewRectangle = BadBox;
  std::unique_ptr<TFRect> FClippingRect;
  TvxClipping FClipping;
  bool FStretch = false;
  bool FCustomDraw = true;
  double FBorderSize = DefaultBorderSize;
  TvxBorderType FBorderType = DefaultBorderType;
  bool FIsWithoutBorder = false;
  bool FResizeDisproportionateDrawing = false;
  int FRotateNesting = 0;
  bool FIsBadRotated = false;
  bool FRotatingToView = false;
  double FRotZAngle = 0;

  TvxDXFDrawMode FDrawMode = dmNormal;
  TColor FDefaultColor = 0;
  TColor FBackgroundColor = 0xFFFFFF;
  TColor FChangeBackgroundColor = 0;
  bool FIsShowBackground = true;
  bool FIsShowLineWeight = true;
  double FLineWeightScale = 1.0;
  std::vector<std::string> FColorToLineWeight;
  int FNullWidth = 0;
  double FNullWidthExt = 0;
  bool FShowImages = true, FDimensionsVisible = true, FTextVisible = true;
  bool FUseWinEllipse = false;
  TvxTTFMode FTTFMode = ttfAuto;
  TvxCachingRasterMode FCachingRasterMode = DefaultCachingRasterMode;
  bool FIsDraw3DAxes = false;
  bool FAntialias = false;

  bool FUsePlotSetting = false, FShowPlotSetting = false, FShowPlotMargins = false,
       FShowPlotFrame = false, FShowPlotForModel = false;
  TColor FPlotWindowAreaColor = 0xE1E1E1;
  TvxPrintMode FPrinting = pntNone;

  int FPixelsPerInch = 96;
  double FmmToPixelX = 25.4 / 96;
  QPoint FDeviceDPI{0, 0};

  bool FIsPlotting = false, FIsProcessMessages = true, FIsIterator = false;
  int FMillimetres = -1;
  QSize FVisibleArea;
  int64_t FLastProgressBucket = -1;
};

// An unset box: NaN or non-finite bounds, magnitudes of the unset box (1e19 and beyond),
// inverted sides, or a size that overflows.
bool IsUnsetBox(const TFRect& b);

// The image class to make for an external reference's file extension ("dxf" / ".DXF"); nil
// when none is registered.
TvxCADImage* NewImageForExtension(const std::string& extension);

}  // namespace vx
