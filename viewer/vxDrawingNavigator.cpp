// TvxDrawingNavigator: construction, the picture change, the picture rectangle and its view
// stack, zooming, coordinates and the client broadcast. Input is in vxNavigatorInput.cpp,
// painting and scroll bars in vxNavigatorPaint.cpp.
#include "viewer/vxDrawingNavigator.h"

#include "viewer/vxNavigatorState.h"

#include "database/layouts/vxLayouts.h"
#include "render/vxSelectionMatrix.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

// An update bracket that closes however the scope ends.
struct TvxUpdateScope {
  TvxDrawingNavigator* Nav;
  explicit TvxUpdateScope(TvxDrawingNavigator* n) : Nav(n) { n->BeginUpdate(); }
  ~TvxUpdateScope() { Nav->EndUpdate(); }
};

bool SameBox(const TFRect& a, const TFRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

// Millimetres per screen pixel; a screen that reports nothing sensible (virtual displays)
// counts as 96 dpi.
double ScreenMMPerPixel() {
  double dpi = 96;
  if (const QScreen* s = QGuiApplication::primaryScreen()) {
    const double d = s->physicalDotsPerInchX();
    if (std::isfinite(d) && d >= 30 && d <= 1200) dpi = d;
  }
  return 25.4 / dpi;
}

}  // namespace

TvxDrawingNavigator::TvxDrawingNavigator(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setContextMenuPolicy(Qt::PreventContextMenu);  // the menu comes on a right release (below)
  FHorz = new QScrollBar(Qt::Horizontal, this);
  FVert = new QScrollBar(Qt::Vertical, this);
  FCorner = new QWidget(this);
  for (QScrollBar* b : {FHorz, FVert}) {
    b->hide();
    b->setSingleStep(4);
    b->setFocusPolicy(Qt::NoFocus);
    const bool horizontal = b == FHorz;
    QObject::connect(b, &QScrollBar::actionTriggered, this,
                     [this, horizontal](int action) { OnScroll(horizontal, action); });
  }
  FCorner->hide();
  SetCursorId(cnstCursorCross);
  QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                   [this](Qt::ApplicationState s) { FAppActive = s == Qt::ApplicationActive; });
  FPicture.OnChange = [this](TvxGraphic*) { PictureChange(); };
  FPicture.OnProgress = [this](TvxGraphic* g, TvxProgressStage s, int p, const std::string& m) {
    if (OnProgress) OnProgress(g, s, p, m);
  };
}

TvxDrawingNavigator::~TvxDrawingNavigator() {
  // the picture's events point at this widget
  FPicture.OnChange = nullptr;
  FPicture.OnProgress = nullptr;
}

void TvxDrawingNavigator::SetState(TvxDrawingNavigatorState s, bool on) {
  if (on)
    FState = static_cast<uint16_t>(FState | (1u << s));
  else
    FState = static_cast<uint16_t>(FState & ~(1u << s));
}

TvxCADImage* TvxDrawingNavigator::Image() const { return dynamic_cast<TvxCADImage*>(Graphic()); }

// ---- loading and the picture change -------------------------------------------------------------

void TvxDrawingNavigator::LoadFromFile(const std::string& fileName) {
  TvxUpdateScope update(this);
  Clear();
  TvxNavigatorStateScope loading(this, dnsLoading);
  FNewGraphic = true;
  FPicture.LoadFromFile(fileName);
}

void TvxDrawingNavigator::SetGraphic(std::unique_ptr<TvxGraphic> g) {
  FNewGraphic = true;
  FPicture.SetGraphic(std::move(g));
}

TFRect TvxDrawingNavigator::GraphicBox() {
  TvxGraphic* g = Graphic();
  if (!g) return BadBox;
  if (TvxCADImage* img = Image()) {
    TFRect box = BadBox;
    if (TvxDXFLayout* layout = img->CurrentLayout()) {
      box = layout->GetBox();
      const TFMatrix rot = layout->RotMatrix();
      if (IsFittableBox(box)) box = TransformBox(box, rot);
    }
    BroadcastMsg(cnstMsgGetLayoutExtents, &box);
    return box;
  }
  TFRect box{0, double(g->Height()), 0, double(g->Width()), 0, 0};
  if (OnGetImageExtents) OnGetImageExtents(this, box);
  return box;
}

void TvxDrawingNavigator::RefreshExtents() {
  if (TvxCADImage* img = Image()) {
    FExtents = img->Extents();
    BroadcastMsg(cnstMsgGetExtents, &FExtents);
  } else {
    FExtents = BadBox;
  }
}

void TvxDrawingNavigator::ComputeMaxDimAndWidth() {
  FMaxDim = 32767;
  TvxGraphic* g = Graphic();
  FWidthInPixels = g ? g->Width() : 0;
  if (TvxCADImage* img = Image()) {
    const TFRect e = img->Extents();
    const double w = e.Right - e.Left;
    if (std::isfinite(w) && w > 0) {
      const double mmPerPixel = ScreenMMPerPixel();
      FWidthInPixels = img->GetMillimetres() ? w / mmPerPixel : w * 25.4 / mmPerPixel;
    }
  }
}

void TvxDrawingNavigator::BindGraphic(TvxGraphic* g) {
  if (TvxCADImage* img = dynamic_cast<TvxCADImage*>(g)) img->SetAntialias(Antialias);
}

void TvxDrawingNavigator::PictureChange() {
  if (HasState(dnsPictureChanging)) return;
  TvxNavigatorStateScope changing(this, dnsPictureChanging);
  BroadcastMsg(cnstMsgPictureChange);
  if (OnPictureChange) OnPictureChange(this);
  FPictureChanged = true;
  FBufferSaved = false;
  TvxUpdateScope update(this);
  TvxGraphic* g = Graphic();
  const bool isNew = FNewGraphic || g != FTmpGraphic;
  FNewGraphic = false;
  BindGraphic(g);
  if (TvxCADImage* img = Image()) {
    if (isNew) {
      ComputeMaxDimAndWidth();
      FTmpLayout = img->CurrentLayout();
      RefreshExtents();
      const QSize client = ClientSize();
      if (client.width() >= 2 && client.height() >= 2) SetPictureRect2D(FitRect(GraphicBox(), client));
      FPictureRectChanged = true;
    }
    if (img->CurrentLayout() != FTmpLayout) {
      // another layout: its own last view, or the whole of it
      TvxView* view = CurrentView();
      RefreshExtents();
      if (view && view->HasBaseView()) {
        TvxNavigatorStateScope setView(this, dnsSetView);
        const TvxViewRect v = view->ActiveView();
        SetPictureRect2D({double(v.Left), double(v.Top), double(v.Right), double(v.Bottom)});
      } else {
        FitToSize();
      }
      FTmpLayout = img->CurrentLayout();
    }
    const TFRect old = FExtents;
    const TFRect now = img->Extents();
    if (!SameBox(old, now) && IsFittableBox(old) && IsFittableBox(now)) {
      // The drawing keeps its place and scale on the screen: the rectangle follows the extents.
      const TF2DRect r = FPictureRect2D;
      const double sx = Width(r) / (old.Right - old.Left), sy = Height(r) / (old.Top - old.Bottom);
      const double l = r.Left - (old.Left - now.Left) * sx, t = r.Top - (now.Top - old.Top) * sy;
      FExtents = now;
      SetPictureRect2D({l, t, l + (now.Right - now.Left) * sx, t + (now.Top - now.Bottom) * sy});
    }
    FExtents = now;
  } else {
    FTmpLayout = nullptr;
    FExtents = BadBox;
    if (g && isNew) {
      ComputeMaxDimAndWidth();
      const QSize client = ClientSize();
      if (client.width() >= 2 && client.height() >= 2) SetPictureRect2D(FitRect(GraphicBox(), client));
      FPictureRectChanged = true;
    }
  }
  FTmpGraphic = g;
}

// ---- the picture rectangle -------------------------------------------------------------------

void TvxDrawingNavigator::SetPictureRect2D(const TF2DRect& in) {
  FPictureRectChanged = false;
  if (!(std::fabs(Width(in)) < FMaxDim) || !(std::fabs(Height(in)) < FMaxDim)) return;
  TF2DRect r = Normalized(in);
  const QSize client = ClientSize();
  if (Stretch) {
    r = {0, 0, double(client.width()), double(client.height())};
  } else if (!HasState(dnsLoading) && !HasState(dnsMoving)) {
    r = KeepAspect(r, FExtents, FMaxDim);
  }
  if (CenterAlignment) {
    if (Width(r) < client.width()) {
      const double w = Width(r);
      r.Left = (client.width() - w) / 2;
      r.Right = r.Left + w;
    }
    if (Height(r) < client.height()) {
      const double h = Height(r);
      r.Top = (client.height() - h) / 2;
      r.Bottom = r.Top + h;
    }
  }
  const TF2DRect cur = FPictureRect2D;
  if (std::fabs(Width(r) - Width(cur)) >= 1 || std::fabs(Height(r) - Height(cur)) >= 1) {
    FPictureRect2D = r;
    FPictureRectChanged = true;
    FBufferSaved = false;
    UpdateScrollBars();
    ScaleChanged();
  } else if (std::fabs(r.Left - cur.Left) >= 1 || std::fabs(r.Top - cur.Top) >= 1) {
    FPictureRect2D = r;
    FPictureRectChanged = true;
    FBufferSaved = false;
    UpdateScrollBars();
    PictureMoved();
  }
}

void TvxDrawingNavigator::ScaleChanged() {
  Invalidate();
  RefreshExtents();
  BroadcastMsg(cnstMsgChangeScale);
  if (OnChangeScale) OnChangeScale(this);
}

void TvxDrawingNavigator::PictureMoved() {
  Invalidate();
  RefreshExtents();
  BroadcastMsg(cnstMsgPictureMove);
  if (OnPictureMove) OnPictureMove(this);
}

QPoint TvxDrawingNavigator::Center() const {
  const QSize c = ClientSize();
  return {c.width() / 2, c.height() / 2};
}

void TvxDrawingNavigator::FitToSize() {
  TvxUpdateScope update(this);
  const QSize client = ClientSize();
  // a minimised window has nothing to fit into
  if (client.width() < 2 || client.height() < 2) return;
  SetPictureRect2D(FitRect(GraphicBox(), client));
}

double TvxDrawingNavigator::Scale() const {
  const double w = Width(FPictureRect2D);
  if (Empty() || !(FWidthInPixels > 0) || !std::isfinite(w)) return 1;
  return w / FWidthInPixels;
}

bool TvxDrawingNavigator::AlterScale(bool isAbsolute, QPointF p, double factor) {
  if (!(factor > 1e-6) || !std::isfinite(factor)) return false;
  if (isAbsolute) factor /= Scale();
  factor = LimitZoomFactor(FPictureRect2D, factor, FMaxDim);
  if (!(factor > 1e-6) || !std::isfinite(factor)) return false;
  const TF2DRect before = FPictureRect2D;
  SetPictureRect2D(ZoomAbout(FPictureRect2D, p.x(), p.y(), factor));
  return !SameRect(FPictureRect2D, before);
}

bool TvxDrawingNavigator::MovePictureRect2D(double dx, double dy) {
  if (HasState(dnsMoving) || !std::isfinite(dx) || !std::isfinite(dy)) return false;
  TvxNavigatorStateScope moving(this, dnsMoving);
  const TF2DRect before = FPictureRect2D;
  SetPictureRect2D({before.Left + dx, before.Top + dy, before.Right + dx, before.Bottom + dy});
  return !SameRect(FPictureRect2D, before);
}

void TvxDrawingNavigator::ShowRect(const TFRect& box) {
  TvxCADImage* img = Image();
  if (!img || !IsFittableBox(box)) return;
  const TFMatrix m = img->FitMatrix(PictureRect());
  TF2DRect band{1e300, 1e300, -1e300, -1e300};
  for (int i = 0; i < 4; ++i) {
    const TFPoint q = TransformPoint({(i & 1) ? box.Right : box.Left, (i & 2) ? box.Top : box.Bottom, 0}, m);
    band = {std::min(band.Left, q.X), std::min(band.Top, q.Y), std::max(band.Right, q.X),
            std::max(band.Bottom, q.Y)};
  }
  TF2DRect r;
  if (ZoomToBand(FPictureRect2D, band, ClientSize(), r)) SetPictureRect2D(r);
}

// ---- the view stack ---------------------------------------------------------------------------

TvxView* TvxDrawingNavigator::CurrentView() const {
  TvxCADImage* img = Image();
  TvxDXFLayout* layout = img ? img->CurrentLayout() : nullptr;
  return layout ? layout->View() : nullptr;
}

void TvxDrawingNavigator::PushView() { PushView(PictureRect()); }

void TvxDrawingNavigator::PushView(const QRect& r) {
  TvxView* view = CurrentView();
  if (!view || (r.width() == 0 && r.height() == 0)) return;
  const TvxViewRect v{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  if (view->HasBaseView() && view->ActiveView() == v) return;
  view->PushView(v);
}

void TvxDrawingNavigator::CallPreviousView() {
  TvxView* view = CurrentView();
  if (!view || !view->HasView()) return;
  view->PopView();
  const TvxViewRect v = view->ActiveView();
  TvxNavigatorStateScope setView(this, dnsSetView);
  SetPictureRect2D({double(v.Left), double(v.Top), double(v.Right), double(v.Bottom)});
}

void TvxDrawingNavigator::Rotate(TvxAxis axis, double angle) {
  if (TvxCADImage* img = Image()) {
    img->Rotate(axis, angle);
    RepaintPicture();
  }
}

void TvxDrawingNavigator::RotToView(TvxDXFViewDirection view) {
  if (TvxCADImage* img = Image()) {
    img->RotToView(view);
    RepaintPicture();
  }
}

// ---- coordinates ------------------------------------------------------------------------------

TFPoint TvxDrawingNavigator::GetRealPoint(double x, double y) const {
  TvxGraphic* g = Graphic();
  if (!g) return {};
  TvxCADImage* img = Image();
  if (!img || !img->CurrentLayout()) {
    double fx = 0, fy = 0;
    PictureFractions(FPictureRect2D, x, y, fx, fy);
    return {g->Width() * fx, g->Height() * (1 - fy), 0};
  }
  // The inverse of the view the image draws with, on the drawing's XY plane.
  const TFMatrix m = img->CustomDraw() ? img->FitMatrix(PictureRect()) : img->DrawMatrix();
  const double a = m.M[0][0], b = m.M[1][0], c = m.M[0][1], d = m.M[1][1];
  const double det = a * d - b * c;
  if (!(std::fabs(det) > 1e-300) || !std::isfinite(det)) return {};
  const double px = x - m.M[3][0], py = y - m.M[3][1];
  return {(d * px - b * py) / det, (a * py - c * px) / det, 0};
}

// ---- clients ----------------------------------------------------------------------------------

void TvxDrawingNavigator::AddClient(TvxNavigatorClient* c) {
  if (c && std::find(FClients.begin(), FClients.end(), c) == FClients.end()) FClients.push_back(c);
}

void TvxDrawingNavigator::RemoveClient(TvxNavigatorClient* c) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), c), FClients.end());
}

void TvxDrawingNavigator::Broadcast(TvxNavigatorMessage& m) {
  const int key = m.Msg ? m.Msg : -static_cast<int>(m.Event ? m.Event->type() : 0);
  // a message being broadcast is not broadcast again from inside a client
  if (std::find(FBroadcasting.begin(), FBroadcasting.end(), key) != FBroadcasting.end()) return;
  FBroadcasting.push_back(key);
  const std::vector<TvxNavigatorClient*> clients = FClients;  // clients may leave meanwhile
  for (TvxNavigatorClient* c : clients) {
    if (std::find(FClients.begin(), FClients.end(), c) == FClients.end()) continue;
    try {
      c->NavigatorMessage(*this, m);
    } catch (...) {
      // a client's failure is its own: the next client is served
    }
    if (m.Result != 0) break;
  }
  FBroadcasting.erase(std::find(FBroadcasting.begin(), FBroadcasting.end(), key));
}

void TvxDrawingNavigator::BroadcastMsg(int msg, const TFRect* box) {
  if (FClients.empty()) return;
  TvxNavigatorMessage m;
  m.Msg = msg;
  m.Box = box;
  m.Graphic = Graphic();
  Broadcast(m);
}

}  // namespace vx
