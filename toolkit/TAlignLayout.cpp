#include "toolkit/TAlignLayout.h"

#include <QWidget>
#include <QWidgetItem>

namespace halvane {

TAlignLayout::TAlignLayout(QWidget* parent, QSize designSize)
    : QLayout(parent), FDesignSize(designSize), FLastSize(designSize) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(0);
  setSizeConstraint(QLayout::SetNoConstraint);
}

TAlignLayout::~TAlignLayout() {
  for (TEntry& entry : FEntries) delete entry.Item;
}

void TAlignLayout::AddControl(QWidget* widget, QRect designRect, TAlign align, int anchors) {
  if (widget->parentWidget() != parentWidget()) widget->setParent(parentWidget());
  widget->setGeometry(designRect);
  int extent = 0;
  if (align == TAlign::Top || align == TAlign::Bottom) extent = designRect.height();
  if (align == TAlign::Left || align == TAlign::Right) extent = designRect.width();
  FEntries.push_back({new QWidgetItem(widget), align, anchors, extent, designRect});
  invalidate();
}

void TAlignLayout::SetExtent(QWidget* widget, int extent) {
  for (TEntry& entry : FEntries) {
    if (entry.Item->widget() == widget) entry.Extent = extent;
  }
  invalidate();
  activate();
  // activate() does nothing before the parent is shown.
  if (parentWidget()) setGeometry(parentWidget()->contentsRect());
}

void TAlignLayout::addItem(QLayoutItem* item) { FEntries.push_back({item, TAlign::None, kDefaultAnchors, 0, item->geometry()}); }

QLayoutItem* TAlignLayout::itemAt(int index) const {
  return index >= 0 && index < FEntries.size() ? FEntries[index].Item : nullptr;
}

QLayoutItem* TAlignLayout::takeAt(int index) {
  if (index < 0 || index >= FEntries.size()) return nullptr;
  QLayoutItem* item = FEntries[index].Item;
  FEntries.removeAt(index);
  return item;
}

int TAlignLayout::count() const { return static_cast<int>(FEntries.size()); }

QSize TAlignLayout::sizeHint() const { return FDesignSize; }

QSize TAlignLayout::minimumSize() const { return QSize(0, 0); }

void TAlignLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  QRect rest = rect;
  for (const TEntry& entry : FEntries) {
    QWidget* w = entry.Item->widget();
    if (!w || w->isHidden()) continue;
    switch (entry.Align) {
      case TAlign::Top:
        w->setGeometry(rest.left(), rest.top(), rest.width(), entry.Extent);
        rest.setTop(rest.top() + entry.Extent);
        break;
      case TAlign::Bottom:
        w->setGeometry(rest.left(), rest.bottom() + 1 - entry.Extent, rest.width(), entry.Extent);
        rest.setBottom(rest.bottom() - entry.Extent);
        break;
      case TAlign::Left:
        w->setGeometry(rest.left(), rest.top(), entry.Extent, rest.height());
        rest.setLeft(rest.left() + entry.Extent);
        break;
      case TAlign::Right:
        w->setGeometry(rest.right() + 1 - entry.Extent, rest.top(), entry.Extent, rest.height());
        rest.setRight(rest.right() - entry.Extent);
        break;
      default:
        break;
    }
  }
  for (const TEntry& entry : FEntries) {
    QWidget* w = entry.Item->widget();
    if (w && !w->isHidden() && entry.Align == TAlign::Client) w->setGeometry(rest);
  }
  // Free controls sit relative to the parent's own edges (docked ones inside
  // its frame) and follow its size change since the last arrangement.
  const QSize size = parentWidget() ? parentWidget()->size() : rect.size();
  const int dx = size.width() - FLastSize.width();
  const int dy = size.height() - FLastSize.height();
  FLastSize = size;
  if (dx == 0 && dy == 0) return;
  for (const TEntry& entry : FEntries) {
    QWidget* w = entry.Item->widget();
    if (!w || entry.Align != TAlign::None) continue;
    QRect g = w->geometry();
    const int a = entry.Anchors;
    if ((a & akLeft) && (a & akRight))
      g.setWidth(g.width() + dx);
    else if (a & akRight)
      g.moveLeft(g.left() + dx);
    else if (!(a & akLeft))
      g.moveLeft(entry.Design.left() + (size.width() - FDesignSize.width()) / 2);
    if ((a & akTop) && (a & akBottom))
      g.setHeight(g.height() + dy);
    else if (a & akBottom)
      g.moveTop(g.top() + dy);
    else if (!(a & akTop))
      g.moveTop(entry.Design.top() + (size.height() - FDesignSize.height()) / 2);
    w->setGeometry(g);
  }
}

}  // namespace halvane
