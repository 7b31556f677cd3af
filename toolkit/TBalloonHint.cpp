#include "toolkit/TBalloonHint.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QGuiApplication>
#include <QToolTip>

#ifdef HALVANE_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace halvane {
namespace {

constexpr int kStemHeight = 12;
constexpr int kStemWidth = 14;
constexpr int kStemInset = 18;  // from the body's right edge to the tip
constexpr int kPadding = 8;
constexpr int kRadius = 7;

// An X11 compositing manager owns the _NET_WM_CM_S<screen> selection.
bool X11CompositorRunning() {
#ifdef HALVANE_HAVE_XCB
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return false;
  const char name[] = "_NET_WM_CM_S0";
  const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof(name) - 1, name), nullptr),
      &std::free);
  if (!atom || atom->atom == XCB_ATOM_NONE) return false;
  const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
      &std::free);
  return owner && owner->owner != XCB_WINDOW_NONE;
#else
  return false;
#endif
}

}  // namespace

bool TBalloonHint::TranslucencyAvailable() {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("xcb")) return X11CompositorRunning();
  // Nothing blends the offscreen and minimal platforms' windows either.
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

TBalloonHint::TBalloonHint(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("BalloonHint"));
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  hide();
}

TBalloonHint::~TBalloonHint() {
  if (qApp) qApp->removeEventFilter(this);
}

QRect TBalloonHint::BodyRect() const {
  return QRect(0, kStemHeight, width() - kShadowDepth, height() - kStemHeight - kShadowDepth);
}

void TBalloonHint::ShowAt(const QPoint& screenPoint, const QString& text) {
  Close();
  FText = text;
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const QFontMetrics metrics(font());
  const QRect textRect = metrics.boundingRect(QRect(0, 0, 400, 2000), Qt::TextWordWrap, shown);
  const int bodyWidth = qMax(textRect.width() + 2 * kPadding, kStemInset + kStemWidth);
  const int bodyHeight = textRect.height() + 2 * kPadding;
  resize(bodyWidth + kShadowDepth, bodyHeight + kStemHeight + kShadowDepth);
  // The tip sits near the body's right end, so the body hangs below and to
  // the left of the point.
  FTip = screenPoint;
  move(screenPoint.x() - (bodyWidth - kStemInset), screenPoint.y());
  if (!TranslucencyAvailable()) {
    // The outline with its shadow, one pixel wider for the antialiased edge.
    const QPainterPath shape = Outline(QPoint(0, 0)).united(Outline(QPoint(kShadowDepth, kShadowDepth)));
    QPainterPathStroker edge;
    edge.setWidth(2);
    setMask(QRegion(shape.united(edge.createStroke(shape)).toFillPolygon().toPolygon()));
  } else {
    clearMask();
  }
  qApp->installEventFilter(this);
  show();
  raise();
}

void TBalloonHint::Close() {
  if (qApp) qApp->removeEventFilter(this);
  FSwallowRelease = false;
  hide();
}

bool TBalloonHint::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::NonClientAreaMouseButtonPress:
      // The release that belongs to this press is swallowed too.
      hide();
      FSwallowRelease = event->type() != QEvent::Wheel;
      if (!FSwallowRelease) qApp->removeEventFilter(this);
      return true;
    case QEvent::MouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonRelease:
      if (FSwallowRelease) {
        FSwallowRelease = false;
        qApp->removeEventFilter(this);
        return true;
      }
      break;
    case QEvent::ApplicationActivate:
    case QEvent::ApplicationDeactivate:
      Close();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

QPainterPath TBalloonHint::Outline(QPoint offset) const {
  const QRect body = BodyRect();
  const int tipX = body.right() + 1 - kStemInset;
  QPainterPath path;
  path.addRoundedRect(QRectF(body.translated(offset)), kRadius, kRadius);
  QPainterPath stem;
  stem.moveTo(QPointF(tipX + offset.x(), offset.y()));
  stem.lineTo(QPointF(tipX - kStemWidth + offset.x(), body.top() + 1 + offset.y()));
  stem.lineTo(QPointF(tipX + offset.x(), body.top() + 1 + offset.y()));
  stem.closeSubpath();
  return path.united(stem);
}

void TBalloonHint::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRect body = BodyRect();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 70));
  painter.drawPath(Outline(QPoint(kShadowDepth, kShadowDepth)));
  const QPalette pal = QToolTip::palette();
  painter.setPen(QPen(pal.color(QPalette::ToolTipText).lighter(150), 1));
  painter.setBrush(pal.color(QPalette::ToolTipBase));
  painter.drawPath(Outline(QPoint(0, 0)));
  painter.setPen(pal.color(QPalette::ToolTipText));
  QString shown = FText;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  painter.drawText(body.adjusted(kPadding, kPadding, -kPadding, -kPadding), Qt::TextWordWrap, shown);
}

}  // namespace halvane
