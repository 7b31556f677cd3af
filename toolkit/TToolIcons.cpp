#include "toolkit/TToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace halvane {
namespace {

const QColor kAccent(0x2b, 0x6c, 0xb0);
const QColor kAccentDark(0x1d, 0x4f, 0x86);

QIcon Draw(const std::function<void(QPainter&)>& paint) {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  paint(painter);
  painter.end();
  return QIcon(pixmap);
}

}  // namespace

QIcon TToolIcons::News() {
  return Draw([](QPainter& p) {
    // An envelope.
    p.setPen(QPen(kAccentDark, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xf4, 0xf8, 0xfd));
    p.drawRoundedRect(QRectF(8, 16, 48, 34), 4, 4);
    QPainterPath flap;
    flap.moveTo(10, 19);
    flap.lineTo(32, 36);
    flap.lineTo(54, 19);
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
  });
}

QIcon TToolIcons::Update() {
  return Draw([](QPainter& p) {
    // Two arrows chasing each other round a circle.
    p.setPen(QPen(kAccent, 6, Qt::SolidLine, Qt::RoundCap));
    const QRectF ring(12, 12, 40, 40);
    p.drawArc(ring, 30 * 16, 140 * 16);
    p.drawArc(ring, 210 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    QPainterPath head1;
    head1.moveTo(8, 24);
    head1.lineTo(22, 24);
    head1.lineTo(13, 36);
    head1.closeSubpath();
    QPainterPath head2;
    head2.moveTo(56, 40);
    head2.lineTo(42, 40);
    head2.lineTo(51, 28);
    head2.closeSubpath();
    p.drawPath(head1);
    p.drawPath(head2);
  });
}

QIcon TToolIcons::Help() {
  return Draw([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QRectF(8, 8, 48, 48));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(36);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(8, 8, 48, 48), Qt::AlignCenter, QStringLiteral("?"));
  });
}

}  // namespace halvane
