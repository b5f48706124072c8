// vxDrawingNavigator: TvxDrawingNavigator, the widget in which a drawing is seen. It holds a
// picture (a CAD image or any registered graphic) and stretch-draws it into a floating-point
// picture rectangle of client coordinates. Zoom (wheel about the cursor, keys, rubber band,
// mouse scaling), pan (right or middle drag, scroll bars, keys) and fitting change that
// rectangle; a stack of previous views lives with each layout of the drawing. Client points
// convert to drawing coordinates. Mouse, key, focus and paint events, and the messages 1056-1060,
// are broadcast to registered clients (TvxNavigatorClient).
//
// Painting: the drawing is drawn into an off-screen picture only when the picture or its
// rectangle changed (or the size did); every other paint (rubber bands, highlights drawn in
// OnPaint, an uncovered window) copies that picture and draws the overlays over it.
//
// Picture-rectangle mode only (the CAD image fits the drawing into the rectangle at every draw).
#pragma once

#include "render/vxCADImage.h"
#include "render/vxGraphic.h"
#include "viewer/vxNavigatorMath.h"

#include <QCursor>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QScrollBar;

namespace vx {

class TvxDrawingNavigator;

enum TvxDrawingNavigatorState : uint8_t {
  dnsLoading, dnsZooming, dnsMoving, dnsDrawing, dnsSclollChanging, dnsSetView, dnsWheel,
  dnsAfterRotate, dnsPictureChanging
};

// The navigator's own messages to its clients.
constexpr int cnstMsgChangeScale = 1056;
constexpr int cnstMsgPictureMove = 1057;
constexpr int cnstMsgPictureChange = 1058;
constexpr int cnstMsgGetExtents = 1059;        // the graphic's extents were read
constexpr int cnstMsgGetLayoutExtents = 1060;  // the current layout's extents were read

// One broadcast message: a navigator message (1056-1060), or a Qt event (mouse, key, focus,
// paint; Msg is then 0 and Event is set).
struct TvxNavigatorMessage {
  int Msg = 0;
  QEvent* Event = nullptr;
  const TFRect* Box = nullptr;     // 1059, 1060
  TvxGraphic* Graphic = nullptr;   // 1059, 1060
  intptr_t Result = 0;             // a client that sets it stops the broadcast
};

class TvxNavigatorClient {
 public:
  virtual ~TvxNavigatorClient() = default;
  virtual void NavigatorMessage(TvxDrawingNavigator& sender, TvxNavigatorMessage& message) = 0;
};

// Cursor numbers of the program's own cursors.
constexpr int cnstCursorHandFlat = 5;
constexpr int cnstCursorCross = 6;

using TvxNavigatorEvent = std::function<void(TvxDrawingNavigator*)>;
using TvxNavigatorMouseEvent =
    std::function<void(TvxDrawingNavigator*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)>;
using TvxNavigatorMoveEvent =
    std::function<void(TvxDrawingNavigator*, Qt::MouseButtons, Qt::KeyboardModifiers, QPoint)>;
using TvxNavigatorPaintEvent = std::function<void(TvxDrawingNavigator*, QPainter&)>;

class TvxDrawingNavigator : public QWidget {
 public:
  explicit TvxDrawingNavigator(QWidget* parent = nullptr);
  ~TvxDrawingNavigator() override;

  // ---- the picture ----
  TvxPicture& Picture() { return FPicture; }
  // Replaces the graphic (none closes the file): a picture change for a new graphic.
  void SetGraphic(std::unique_ptr<TvxGraphic> g);
  TvxGraphic* Graphic() const { return FPicture.Graphic(); }
  // The graphic when it is a CAD image.
  TvxCADImage* Image() const;
  // BeginUpdate, Clear, load by extension (a picture change), EndUpdate (also when loading
  // raises; the exception goes on).
  void LoadFromFile(const std::string& fileName);
  // Forgets that the content came from a database.
  void Clear() { FLoadedFromConverter = false; }
  bool Empty() const { return !Graphic() || Graphic()->Empty(); }
  bool IsLoading() const { return HasState(dnsLoading); }

  // ---- repainting ----
  void BeginUpdate() { ++FUpdateCount; }
  // At 0 the control repaints at once (never below 0).
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  // Schedules a paint from the drawn picture (nothing while updating).
  void Invalidate();
  // The overlays of a client rectangle change (highlights): a paint from the drawn picture.
  void InvalidateOverlay(const QRect& area);
  // The drawing changed: drawn again at the next paint, which happens now.
  void RepaintPicture();
  // How many times the graphic was drawn (not counting paints from the drawn picture).
  int FullPaintCount() const { return FFullPaints; }

  // ---- the view ----
  TF2DRect PictureRect2D() const { return FPictureRect2D; }
  QRect PictureRect() const { return ToIntRect(FPictureRect2D); }
  void SetPictureRect2D(const TF2DRect& r);
  // The client area: the widget less the scroll bars shown.
  QSize ClientSize() const;
  QPoint Center() const;
  void FitToSize();
  // Zooms about a client point; with isAbsolute the factor is the new Scale. True when the
  // picture rectangle changed.
  bool AlterScale(bool isAbsolute, QPointF position, double factor);
  double Scale() const;
  void SetScale(double v) { AlterScale(true, QPointF(Center()), v); }
  bool MovePictureRect(int dx, int dy) { return MovePictureRect2D(dx, dy); }
  bool MovePictureRect2D(double dx, double dy);
  // Zooms so that a drawing box (drawing units) fills the client area.
  void ShowRect(const TFRect& box);
  // The previous view of the current layout (its stack keeps the base view).
  void CallPreviousView();
  // Pushes r (or the picture rectangle) on the current layout's view stack unless it is
  // degenerate or equal to the top.
  void PushView();
  void PushView(const QRect& r);
  double MaxDim() const { return FMaxDim; }
  TFRect Extents() const { return FExtents; }
  // The width of the drawing at real size in screen pixels.
  double WidthInPixels() const { return FWidthInPixels; }
  void Rotate(TvxAxis axis, double angle);
  void RotToView(TvxDXFViewDirection view);

  // ---- coordinates ----
  // The drawing point under a client pixel (picture pixels for other graphics).
  TFPoint GetRealPoint(double x, double y) const;
  TFPoint GetDrawingInternalCoordsWithoutSnap(double x, double y) const { return GetRealPoint(x, y); }
  // Object snap is not part of the editor: these give the same point.
  TFPoint GetDrawingInternalCoords(double x, double y) const { return GetRealPoint(x, y); }
  TFPoint GetDrawingUCSCoords(double x, double y) const { return GetRealPoint(x, y); }

  // ---- clients ----
  void AddClient(TvxNavigatorClient* c);
  void RemoveClient(TvxNavigatorClient* c);
  int ClientCount() const { return static_cast<int>(FClients.size()); }

  // ---- cursor ----
  // 5 the flat hand (panning), 6 the cross (default), others the arrow; ignored in
  // ImageDragMode unless it is 5.
  void SetCursorId(int id);
  int CursorId() const { return FCursorId; }
  // The standard cursors the editor's selection modes take.
  void SetStandardCursor(Qt::CursorShape shape);

  // ---- state ----
  bool HasState(TvxDrawingNavigatorState s) const { return (FState >> s) & 1u; }
  bool RectZoomingInProgress() const { return FRectZoomingProcess; }
  QRect ZoomingRect() const { return FZoomingRect; }

  // ---- options ----
  double ZoomInChange = 1.25, ZoomOutChange = 0.8;
  double ZoomChangeByMouseMove = 1.1;
  bool RectZooming = true, MouseScaling = false, MouseDragging = true, ImageDragMode = false;
  bool ScalingOnMouseWheel = true, DrawOnEveryMouseWheel = false, AutoFocus = false;
  bool BlockFocusUpdate = false, Stretch = false, CenterAlignment = false;
  bool HorzScrollBarVisibility = true, VertScrollBarVisibility = true;
  // CAD images are drawn antialiased (their selection matrix never is).
  bool Antialias = true;

  // ---- events ----
  TvxNavigatorEvent OnChangeScale, OnPictureMove, OnPictureChange;
  TvxNavigatorPaintEvent OnPaint;  // after each paint, on the screen, over the drawn picture
  TvxProgressEvent OnProgress;
  std::function<bool(TvxDrawingNavigator*, TFRect&)> OnGetImageExtents;
  TvxNavigatorMouseEvent OnMouseDown, OnMouseUp;
  TvxNavigatorMoveEvent OnMouseMove;
  std::vector<TvxNavigatorEvent> OnFitToSize;  // after a fit by a middle double click
  // A right click (released where it went down) asks for the context menu.
  std::function<void(TvxDrawingNavigator*, QPoint)> OnContextPopup;

  // ---- the scroll bars (for the editor's tests) ----
  QScrollBar* HorzScrollBar() const { return FHorz; }
  QScrollBar* VertScrollBar() const { return FVert; }

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  friend class TvxNavigatorStateScope;
  void SetState(TvxDrawingNavigatorState s, bool on);
  void PictureChange();
  void BindGraphic(TvxGraphic* g);
  TFRect GraphicBox();
  void RefreshExtents();
  void ComputeMaxDimAndWidth();
  void UpdateScrollBars();
  void LayoutScrollBars();
  void OnScroll(bool horizontal, int action);
  void ScaleChanged();
  void PictureMoved();
  void FullPaint();
  void DrawRubberBand(QPainter& p) const;
  void Broadcast(TvxNavigatorMessage& m);
  void BroadcastMsg(int msg, const TFRect* box = nullptr);
  TvxView* CurrentView() const;
  void EndPan();

  TvxPicture FPicture;
  TF2DRect FPictureRect2D{0, 0, 2, 2};
  TFRect FExtents = BadBox;
  double FMaxDim = 32767;
  double FWidthInPixels = 0;
  uint16_t FState = 0;
  int FUpdateCount = 0;
  bool FLoadedFromConverter = false;
  std::vector<TvxNavigatorClient*> FClients;
  std::vector<int> FBroadcasting;  // message numbers being broadcast now

  QImage FBuffer;
  bool FBufferSaved = false, FPictureChanged = false, FPictureRectChanged = false;
  int FFullPaints = 0;

  QPoint FMouseDownPt, FMouseMovePrevPoint;
  Qt::MouseButton FDownButton = Qt::NoButton;
  QRect FZoomingRect;
  bool FRectZoomingProcess = false, FMouseMoveZoomingProcess = false, FMoveByMouse = false;
  bool FMovedSinceDown = false;
  int FWheelAccum = 0;
  int FCursorId = cnstCursorCross;
  QCursor FCursorBeforePan;
  bool FAppActive = true;  // follows the application's activation

  TvxGraphic* FTmpGraphic = nullptr;  // compared only, never used: see FNewGraphic
  bool FNewGraphic = false;           // the next picture change brings another graphic
  TvxDXFLayout* FTmpLayout = nullptr;
  QScrollBar* FHorz = nullptr;
  QScrollBar* FVert = nullptr;
  QWidget* FCorner = nullptr;
};

}  // namespace vx
