#include "toolkit/TLinkLabel.h"

#include <QMouseEvent>

#include "toolkit/TShell.h"
#include "toolkit/TextConvert.h"

namespace halvane {

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  font.setUnderline(true);
  setFont(font);
  setCursor(Qt::PointingHandCursor);
  setTextFormat(Qt::PlainText);
  setProperty("linkLabel", true);
  SetHot(false);
}

void TLinkLabel::SetCaption(std::string_view caption) {
  FCaption = caption;
  setText(ToQString(caption));
  const QRect old = geometry();
  const int width = qMax(fontMetrics().horizontalAdvance(text()) + 2, 0);
  if (alignment() & Qt::AlignRight)
    setGeometry(old.right() + 1 - width, old.top(), width, old.height());
  else
    setGeometry(old.left(), old.top(), width, old.height());
}

void TLinkLabel::SetHot(bool hot) {
  // The skin colours the label; under the mouse it turns blue.
  setProperty("hot", hot);
  setStyleSheet(hot ? QStringLiteral("color: #0000ff;") : QString());
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
  SetHot(true);
  QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
  SetHot(false);
  QLabel::leaveEvent(event);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
  FPressed = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  FPressed = false;
  QLabel::mouseReleaseEvent(event);
  if (!click) return;
  emit Clicked();
  TShell::OpenDocument(FAddress);
}

}  // namespace halvane
