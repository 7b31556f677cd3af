#pragma once
// Balloon hint: a balloon-shaped popup whose stem points at a screen point,
// the body below and to the left of it, with a 4-pixel shadow. The next
// mouse button or wheel action anywhere in the application closes it and is
// used up; activating or deactivating the application closes it too.
#include <QPainterPath>
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
  // Whether the window system shows translucent windows blended (Wayland,
  // X11 with a compositing manager, ...). Without it the balloon is cut to
  // its outline by a shape mask instead of sitting on a black square.
  static bool TranslucencyAvailable();

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QRect BodyRect() const;
  // The balloon's body and stem, moved by offset (the shadow's).
  QPainterPath Outline(QPoint offset) const;

  QString FText;
  QPoint FTip;
  bool FSwallowRelease = false;
};

}  // namespace halvane
