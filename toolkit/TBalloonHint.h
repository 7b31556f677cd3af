#pragma once
// Balloon hint: a balloon-shaped popup whose stem points at a screen point,
// the body below and to the left of it, with a 4-pixel shadow. The next
// mouse button or wheel action anywhere in the application closes it and is
// used up; activating or deactivating the application closes it too.
#include <QPointer>
#include <QString>
#include <QWidget>

namespace halvane {

class TBalloonHint : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kShadowDepth = 4;

  explicit TBalloonHint(QWidget* owner = nullptr);
  ~TBalloonHint() override;

  // Replaces any balloon still shown.
  void ShowAt(const QPoint& screenPoint, const QString& text);
  void Close();
  bool IsShown() const { return isVisible(); }
  QString Text() const { return FText; }
  // Where the stem's tip ends up, in screen coordinates.
  QPoint TipPoint() const { return FTip; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QRect BodyRect() const;

  QString FText;
  QPoint FTip;
  bool FSwallowRelease = false;
};

}  // namespace halvane
