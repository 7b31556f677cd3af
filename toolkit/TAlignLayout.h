#pragma once
// Layout of a form: controls docked to a side of their parent in the order
// they are added (client takes what is left), or placed freely and kept at
// their distance to the anchored edges when the parent is resized. Hidden
// docked controls take no space.
#include <QLayout>
#include <QList>

namespace halvane {

enum class TAlign { None, Top, Bottom, Left, Right, Client };

enum TAnchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
constexpr int kDefaultAnchors = akLeft | akTop;

class TAlignLayout : public QLayout {
  Q_OBJECT

 public:
  // designSize: the parent's client size the positions were laid out for.
  TAlignLayout(QWidget* parent, QSize designSize);
  ~TAlignLayout() override;

  // The widget becomes a child of the layout's parent at designRect.
  void AddControl(QWidget* widget, QRect designRect, TAlign align = TAlign::None,
                  int anchors = kDefaultAnchors);
  // New height (top, bottom) or width (left, right) of a docked control.
  void SetExtent(QWidget* widget, int extent);

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

 private:
  struct TEntry {
    QLayoutItem* Item;
    TAlign Align;
    int Anchors;
    int Extent;
    QRect Design;
  };

  QList<TEntry> FEntries;
  QSize FDesignSize;
  QSize FLastSize;
};

}  // namespace halvane
